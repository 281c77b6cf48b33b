#pragma once
// CSettings: the only place that reads and writes the program's persistent settings.
// QSettings under organisation "Veltrin", application "Veltrin":
//   "Global"/"Port"            COM port number, default 1
//   "Global"/"Language"        0 German, anything else English, default 0
//   "Global"/"Port1Device", "Port2Device"   the device bound to COM 1 / COM 2 (Linux), default
//                              none; an empty or blank value is none as well
//   "Recent File List"/"File1" ... "File4"   the recent files, newest first
// Every value is checked as it is loaded: a value of the wrong type or out of range gives
// the default, so a damaged settings file never stops the program.
#include <QString>
#include <QStringList>

namespace veltrin::app {

class CSettings {
public:
    static constexpr int kDefaultPort = 1;
    static constexpr int kDefaultLanguage = 0;
    /// Port numbers taken from the settings; COM 0 can be stored by the interface dialog.
    static constexpr int kMinPort = 0;
    static constexpr int kMaxPort = 255;
    static constexpr int kRecentFiles = 4;
    static constexpr int kBindablePorts = 2;

    /// Reads every value (nothing is written).
    void Load();

    int port = kDefaultPort;
    int language = kDefaultLanguage;
    QStringList recentFiles;          ///< at most kRecentFiles, no empty entries, no duplicates
    QString portDevice[kBindablePorts];   ///< COM 1, COM 2; empty: the platform's default

    void SavePort(int n);
    void SaveLanguage(int index);
    void SavePortDevice(int n, const QString& path);   ///< n 1 or 2
    void SaveRecentFiles(const QStringList& files);
};

}  // namespace veltrin::app
