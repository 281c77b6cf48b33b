#pragma once
// CVeltrinApp: the application object. It owns the serial port and the settings, puts the
// English resources in force when they are chosen, creates the document and the main window,
// opens a configuration named on the command line, and carries out the commands that change
// settings (interface, language), the program information and help.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/AppSession.h"
#include "app/Settings.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "res/Resources.h"

class QUrl;
class QWidget;

namespace veltrin::ui {
class CMainFrame;
}

namespace veltrin::app {

class CVeltrinDoc;

/// Shows the link's own message (the port that cannot be opened) in a message box.
class MessageBoxSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override;
};

class CVeltrinApp {
public:
    CVeltrinApp();
    ~CVeltrinApp();
    CVeltrinApp(const CVeltrinApp&) = delete;
    CVeltrinApp& operator=(const CVeltrinApp&) = delete;

    /// The one application object of the run (nullptr outside its lifetime).
    static CVeltrinApp* Instance();

    /// Start-up. arguments as QCoreApplication::arguments() gives them (program first):
    /// "[--device PATH] [FILE]". False: a file named on the command line could not be read
    /// (its message has been shown) and the program ends.
    bool InitInstance(const QStringList& arguments);

    // The program's state.
    std::int32_t portNumber = CSettings::kDefaultPort;
    std::int32_t language = CSettings::kDefaultLanguage;
    CSerialPort serialPort;
    /// Extended functions (service mode); the parameter operations read the same flag.
    std::int32_t& ExtendedMode;
    /// The English resource set when it is in force.
    ResourceSet languageLibrary;
    bool languageLibraryLoaded = false;

    CSettings& Settings() { return settings_; }
    CVeltrinDoc& Document() { return *doc_; }
    ui::CMainFrame* MainFrame() const { return mainFrame_; }

    /// Takes port number n, stores it and reopens the port on it. 0 opened, 1 not.
    int SetPort(int n);
    /// Binds COM n (1 or 2) to a device and stores the binding (empty: the default device).
    void BindPortDevice(int n, const QString& path);

    /// The commands handled here.
    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnPortSettings();
    void OnLanguage();

    /// Opens a configuration file (Open, a recent file, the command line). On failure the
    /// message has been shown. A file that opened goes to the top of the recent-file list.
    bool OpenDocumentFile(const QString& path);

    /// Recent files, newest first.
    const QStringList& RecentFiles() const { return recentFiles_; }
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(int index);
    /// At program end: the recent-file list goes to the settings.
    void SaveRecentFileList();

    /// Help: the topic set by a dialog, and the opening of the page.
    void SetHelpTopic(const QString& topic);
    QString helpTopic() const;
    /// Opens "file://<program folder>/help/Veltrin-P.html[#topic]" (under English the page in
    /// help/en, where it exists) and empties the topic. Nothing happens (and no message shows)
    /// when the page is missing; when the launcher fails (no browser), a message tells where
    /// the page is.
    void OpenHelp();
    /// The address OpenHelp opens for the current topic.
    QString HelpAddress() const;
    /// The help page of the language in force.
    QString HelpPage() const;

    /// The language restart: stores the language, frees the port and the close check, starts
    /// a new instance and asks the main window to close.
    void RestartWithLanguage(int index);

    /// The folder of the English resources and the help folder: beside the program in the build
    /// tree, <prefix>/share/veltrin when installed (DataFolder).
    QString programFolder;
    /// The arguments a restarted instance gets: the --device of this run (the language restart
    /// adds the document's file).
    QStringList arguments;

    // Seams for tests: what opens an address in the browser, what starts a program, and the
    // file dialogs. Empty functions mean the real thing.
    std::function<void(const QString& address)> helpOpener;
    /// What hands the help page to the browser, instead of the launcher; false: no browser.
    std::function<bool(const QUrl& url)> urlOpener;
    /// The program that hands the page to the browser on Linux and the like; a launcher that
    /// does not start or ends with a status other than 0 has failed.
    QString helpLauncher = QStringLiteral("xdg-open");
    std::function<bool(const QString& program, const QStringList& arguments)> programStarter;
    enum class FileDialogKind { Open, SaveAs };
    std::function<QString(FileDialogKind kind, const QString& title, const QString& filter,
                          const QString& proposedName)>
        fileDialog;

    /// The filter of the file dialogs: " Konfigurationsdaten (*.ssi);;Alle Dateien (*.*)".
    static QString FileFilter();
    /// A field (1 to 7) of the document type description (string 128).
    static QString DocTypeField(int field);
    /// Runs the file dialog; an empty text when it was cancelled.
    QString RunFileDialog(FileDialogKind kind, const QString& proposedName);

    /// Loads the English resources that belong to the program in programFolder.
    static bool LoadEnglishResources(ResourceSet& set, const QString& programFolder);

private:
    void LoadLanguageLibrary();
    /// Hands url to the browser; the message names page when that fails.
    void LaunchHelp(const QUrl& url, const QString& page);
    void RecentFilesChanged();

    CSettings settings_;
    MessageBoxSink messageSink_;
    std::unique_ptr<CVeltrinDoc> doc_;
    ui::CMainFrame* mainFrame_ = nullptr;  // owned; deleted with the application object
    QStringList recentFiles_;
};

}  // namespace veltrin::app
