// veltrin-shots: renders the program's windows to PNG files, in German or English.
//   veltrin-shots --out DIR [--lang de|en] [--only NAME]
// Runs on any Qt platform; scripts/screenshots.sh runs it under Xvfb.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "Shots.h"
#include "app/VeltrinApp.h"
#include "res/Resources.h"
#include "ui/main/MainFrame.h"

namespace veltrin::shots {

namespace {
app::CVeltrinApp* g_app = nullptr;
QDir g_out;
QString g_language = QStringLiteral("de");
constexpr const char* kKeepProperty = "veltrinShotKeep";
}  // namespace

// Without a window manager a window has no frame: a plain caption bar with the title and the
// icon stands in for it, so that the pictures show the windows' titles.
QPixmap WithCaption(QWidget* widget, const QPixmap& content) {
    const QString title = widget->windowTitle();
    if (title.isEmpty()) return content;
    QFont font = QApplication::font();
    font.setBold(true);
    const int bar = QFontMetrics(font).height() + 10;
    QPixmap framed(content.width() + 2, content.height() + bar + 1);
    framed.fill(QColor("#2d4f73"));
    QPainter painter(&framed);
    const QIcon icon = widget->windowIcon();
    int x = 8;
    if (!icon.isNull()) {
        painter.drawPixmap(6, (bar - 16) / 2, icon.pixmap(16, 16));
        x = 28;
    }
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(x, 0, framed.width() - x, bar), Qt::AlignVCenter | Qt::AlignLeft, title);
    painter.drawPixmap(1, bar, content);
    return framed;
}

std::vector<Scene>& Scenes() {
    static std::vector<Scene> scenes;
    return scenes;
}

app::CVeltrinApp& App() { return *g_app; }
QWidget* Owner() { return g_app ? g_app->MainFrame() : nullptr; }
void Keep(QWidget* widget) { widget->setProperty(kKeepProperty, true); }
QString OutputPath(const QString& fileName) { return g_out.filePath(fileName); }
QString Language() { return g_language; }

}  // namespace veltrin::shots

int main(int argc, char** argv) {
    using namespace veltrin;
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QApplication qapp(argc, argv);

    QCommandLineParser parser;
    QCommandLineOption outOption("out", "output folder", "dir", "screenshots");
    QCommandLineOption langOption("lang", "de or en", "lang", "de");
    QCommandLineOption onlyOption("only", "one scene", "name");
    parser.addOptions({outOption, langOption, onlyOption});
    parser.process(qapp);
    const QString lang = parser.value(langOption);
    QDir out(parser.value(outOption));
    out.mkpath(".");
    shots::g_out = out;
    shots::g_language = lang;

    // Stored either way: on Windows the settings are the registry's, which outlives the run.
    QSettings("Veltrin", "Veltrin").setValue("Global/Language", lang == "en" ? 1 : 0);
    app::CVeltrinApp app;
    shots::g_app = &app;
    // No encoder and no serial port: the windows only.
    if (!app.InitInstance({QCoreApplication::applicationFilePath(), "--device", "/nonexistent"})) return 1;
    if (lang == "en" && !app.languageLibraryLoaded) {
        std::fprintf(stderr, "veltrin.en.txt not found beside %s\n", qPrintable(QCoreApplication::applicationFilePath()));
        return 1;
    }

    // What the pictures show: the platform, the style and the font Qt took.
    const QFontInfo font(QApplication::font());
    std::printf("platform %s, style %s, font %s %g pt\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(QApplication::style()->name()), qPrintable(font.family()), font.pointSizeF());

    int written = 0;
    for (const shots::Scene& scene : shots::Scenes()) {
        if (parser.isSet(onlyOption) && parser.value(onlyOption) != scene.name) continue;
        QWidget* widget = scene.build();
        if (!widget) continue;
        if (!widget->isVisible()) widget->show();
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents();
        }
        const QString file = out.filePath(QStringLiteral("%1-%2.png").arg(scene.name, lang));
        if (shots::WithCaption(widget, widget->grab()).save(file)) {
            std::printf("%s\n", qPrintable(file));
            ++written;
        } else {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        }
        if (!widget->property("veltrinShotKeep").toBool()) delete widget;
        else widget->hide();
    }
    shots::g_app = nullptr;
    return written > 0 ? 0 : 1;
}
