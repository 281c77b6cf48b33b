#include "app/StartUp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
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

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

StartOptions ParseStartOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption device("device", QString(), "path");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    parser.addOptions({device, help, version});
    StartOptions options;
    const bool ok = parser.parse(arguments.isEmpty() ? QStringList{"veltrin"} : arguments);
    options.deviceGiven = parser.isSet(device);
    options.device = parser.value(device);
    options.files = parser.positionalArguments();
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (!ok) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& name = unknown.first();
            options.error =
                Text("app.error.unknownOption").replace("%1", (name.size() == 1 ? "-" : "--") + name);
        } else {
            // The only option with a value is --device.
            options.error = Text("app.error.missingValue").replace("%1", "--device");
        }
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
        CVeltrinApp::LoadEnglishResources(english, QString::fromStdString(veltrin::ProgramFolder()));
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
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
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
