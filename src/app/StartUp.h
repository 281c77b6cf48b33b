#pragma once
// What the program settles before and around its main window: the command line
// "veltrin [--device PATH] [FILE.ssi]" with --help and --version, which are answered without a
// display, and Qt's own translations (standard buttons, file dialogs) for the language in force.
#include <QString>
#include <QStringList>
#include <ostream>
#include <string>

namespace veltrin::app {

inline constexpr char kProgramVersionText[] = "veltrin 1.04";
/// Exit status of a wrong command line.
inline constexpr int kExitUsage = 2;

struct StartOptions {
    bool deviceGiven = false;
    QString device;     ///< --device PATH: this device instead of the chosen COM port
    QStringList files;  ///< the first one is opened at start
    bool help = false;
    bool version = false;
    QString error;  ///< what is wrong with the command line (our texts); empty when nothing
};

/// Parses the arguments (the program first).
StartOptions ParseStartOptions(const QStringList& arguments);

/// --help and --version print to out, a wrong command line prints its error and the short
/// usage to err; the texts are in the language the settings choose. Returns the exit status
/// (0 or kExitUsage), or -1 when the program is to start. Needs no application object, so it
/// runs before there is a window or a display.
int HandleCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err);

/// The arguments of main() as Qt would give them, without an application object; on Windows
/// from the UTF-16 command line, so that a name like "Ωmega.ssi" stays what it is (StartUp_unix.cpp,
/// StartUp_win.cpp).
QStringList ArgumentsOf(int argc, char** argv);
/// Writes what HandleCommandLine printed: on Linux to standard output and error; on Windows,
/// where the program has no console of its own, to the handles it was given (a file, a pipe)
/// and else to the console of the program that started it, in UTF-16, so umlauts show.
void WriteCommandLineAnswer(const std::string& out, const std::string& err);

/// Puts Qt's own translations in force for the program's language: German loads "qtbase_de"
/// and, where present, "qt_de" from the folder "translations" in the data folder where that holds
/// them (Windows, which has no Qt of its own), else from Qt's translation folder; English needs none, as Qt's own
/// texts are English. Translations installed by an earlier call are removed first. A missing
/// translation leaves Qt's English texts. Returns the number of translations installed.
/// folder: where the translations lie; empty: as said.
int InstallQtTranslations(bool english, const QString& folder = {});
void RemoveQtTranslations();

}  // namespace veltrin::app
