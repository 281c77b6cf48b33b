#include "app/StartUp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <vector>

#include "app/Settings.h"
#include "app/VeltrinApp.h"
#include "res/ProgramFolder.h"
#include "res/Resources.h"

namespace veltrin::app {

namespace {
QString Text(const char* key) { return QString::fromStdString(ResText(key)); }

std::vector<QTranslator*> g_translators;
}  // namespace

namespace {
// Qt's own options, which QApplication takes out of the command line when it starts (a style,
// the platform, ...): they are no unknown options of ours.
const char* const kQtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                           "platformtheme",   "plugin",
                                           "qwindowgeometry", "geometry",
                                           "qwindowtitle",    "title",
                                           "qwindowicon",     "icon",
                                           "display",         "name",
                                           "session",         "style",
                                           "stylesheet",      "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"};

// The argument as typed whose option name is name ("-x", "--bogus", "-style=x" for "style").
QString AsTyped(const QStringList& arguments, const QString& name) {
    for (const QString& a : arguments.mid(1)) {
        QString bare = a.section('=', 0, 0);
        while (bare.startsWith('-')) bare.remove(0, 1);
        if (a.startsWith('-') && bare == name) return a.section('=', 0, 0);
    }
    return "--" + name;
}
}  // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-device" like "--device", as Qt's own options are written with one dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption device("device", QString(), "path");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    parser.addOptions({device, help, version});
    for (const char* name : kQtOptionsWithValue)
        parser.addOption({QString::fromLatin1(name), QString(), "value"});
    for (const char* name : kQtFlags) parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    const QStringList args = arguments.isEmpty() ? QStringList{"veltrin"} : arguments;
    StartOptions options;
    const bool ok = parser.parse(args);
    options.deviceGiven = parser.isSet(device);
    options.device = parser.value(device);
    options.files = parser.positionalArguments();
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (!ok) {
        const QStringList unknown = parser.unknownOptionNames();
        // Otherwise an option that takes a value came last, without one.
        options.error = unknown.isEmpty()
                            ? Text("app.error.missingValue").replace("%1", args.last().section('=', 0, 0))
                            : Text("app.error.unknownOption").replace("%1", AsTyped(args, unknown.first()));
    }
    return options;
}

int HandleCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    // The texts of the language the program would start in.
    CSettings settings;
    settings.Load();
    ResourceSet english;
    const bool englishSet =
        settings.language != 0 &&
        CVeltrinApp::LoadEnglishResources(english, QString::fromStdString(veltrin::DataFolder()));
    if (englishSet) UseResourceSet(&english);
    struct Restore {
        bool active;
        ~Restore() {
            if (active) UseResourceSet(nullptr);
        }
    } restore{englishSet};

    const StartOptions options = ParseStartOptions(arguments);
    if (!options.error.isEmpty()) {
        err << options.error.toStdString() << '\n' << ResText("app.usage.short") << '\n';
        return kExitUsage;
    }
    if (options.help) {
        out << ResText("app.usage") << '\n';
        return 0;
    }
    if (options.version) {
        out << kProgramVersionText << '\n';
        return 0;
    }
    return -1;
}

void RemoveQtTranslations() {
    for (QTranslator* t : g_translators) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    g_translators.clear();
}

int InstallQtTranslations(bool english, const QString& folder) {
    RemoveQtTranslations();
    if (english || !QCoreApplication::instance()) return 0;
    QString from = folder;
    if (from.isEmpty()) {
        // Beside the program where it brings Qt's translations along (Windows), else Qt's own folder.
        const QString beside = QString::fromStdString(veltrin::DataFolder()) + "/translations";
        from = QFileInfo::exists(beside + "/qtbase_de.qm") ? beside : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    }
    for (const char* name : {"qtbase_de", "qt_de"}) {
        auto* translator = new QTranslator;
        if (translator->load(QString::fromLatin1(name), from) &&
            QCoreApplication::installTranslator(translator)) {
            g_translators.push_back(translator);
        } else {
            delete translator;
        }
    }
    return static_cast<int>(g_translators.size());
}

}  // namespace veltrin::app
