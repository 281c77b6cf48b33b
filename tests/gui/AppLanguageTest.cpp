// One language throughout: Qt's own texts (standard buttons, file dialog) follow the language
// in force, the help page of that language opens, and help without a browser says where the
// page is (the settings file and the interface dialog's device states: AppLanguageTest_unix.cpp).
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "AppFixture.h"
#include "app/StartUp.h"
#include "res/LanguageChoice.h"
#include "res/Resources.h"

namespace veltrin::test {
namespace {

QString BuildDir() { return QString::fromUtf8(VELTRIN_BUILD_DIR); }

class LanguageTest : public AppTest {
protected:
    /// The texts of a real message box's buttons (shown, read, answered with No).
    QStringList ButtonTextsOfAMessageBox() {
        ui::SetMessageHook({});
        QStringList texts;
        QTimer::singleShot(0, [&texts] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons()) texts << b->text();
            box->button(QMessageBox::No)->click();
        });
        ui::ShowMessage(nullptr, "?", QMessageBox::Yes | QMessageBox::No);
        texts.sort();
        return texts;
    }
};

TEST_F(LanguageTest, StandardButtonsAndFileDialogFollowTheLanguage) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(ButtonTextsOfAMessageBox(), (QStringList{"&Ja", "&Nein"}));
    QFileDialog german(nullptr, "Öffnen");
    german.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(german.labelText(QFileDialog::FileName), "Datei&name:");
    app.reset();

    Store("Global/Language", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(EnglishInForce());
    EXPECT_EQ(ButtonTextsOfAMessageBox(), (QStringList{"&No", "&Yes"}));
    QFileDialog english;
    english.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(english.labelText(QFileDialog::FileName), "File &name:");
}

TEST_F(LanguageTest, SaveQuestionHasOurButtonsInBothLanguages) {
    ui::SetMessageHook({});
    for (bool english : {false, true}) {
        ResourceSet set;
        if (english) {
            ASSERT_TRUE(set.LoadFile((BuildDir() + "/veltrin.en.txt").toStdString()));
            UseResourceSet(&set);
        }
        QStringList texts;
        QTimer::singleShot(0, [&texts] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (auto button : {QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel})
                texts << box->button(button)->text();
            texts << box->windowTitle();
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(ui::AskSaveChanges(nullptr, "?"), QMessageBox::Cancel);
        UseResourceSet(nullptr);
        EXPECT_EQ(texts, english ? QStringList({"&Save", "Do&n't Save", "Cancel", "Veltrin"})
                                 : QStringList({"&Speichern", "&Nicht speichern", "Abbrechen", "Veltrin"}));
    }
}

TEST_F(LanguageTest, QtTranslationsAreReplacedAndAMissingOneLeavesQtsTexts) {
    // A second call replaces the first; English installs none.
    EXPECT_GE(app::InstallQtTranslations(false), 1);
    EXPECT_GE(app::InstallQtTranslations(false), 1);
    EXPECT_EQ(ButtonTextsOfAMessageBox(), (QStringList{"&Ja", "&Nein"}));
    EXPECT_EQ(app::InstallQtTranslations(true), 0);
    EXPECT_EQ(ButtonTextsOfAMessageBox(), (QStringList{"&No", "&Yes"}));
    // A folder without translations: Qt's own English, nothing breaks.
    QTemporaryDir empty;
    EXPECT_EQ(app::InstallQtTranslations(false, empty.path()), 0);
    EXPECT_EQ(ButtonTextsOfAMessageBox(), (QStringList{"&No", "&Yes"}));
    app::RemoveQtTranslations();
}

TEST_F(LanguageTest, EnglishHelpPageUnderEnglish) {
    const QString folder = BuildDir() + "/help/";
    ASSERT_TRUE(Start());
    ui::SetHelpTopic("SendenZählrichtung");
    EXPECT_EQ(app->HelpAddress(), "file://" + folder + "Veltrin-P.html#SendenZählrichtung");
    app.reset();

    Store("Global/Language", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(EnglishInForce());
    ui::SetHelpTopic("SendenZählrichtung");
    EXPECT_EQ(app->HelpAddress(), "file://" + folder + "en/Veltrin-P.html#SendenZählrichtung");
    Frame().RunCommand(57670);
    EXPECT_EQ(openedHelp, QStringList{"file://" + folder + "en/Veltrin-P.html#SendenZählrichtung"});
    app.reset();

    // Without the English page the German one opens.
    QTemporaryDir programDir;
    ASSERT_TRUE(QFile::copy(BuildDir() + "/veltrin.en.txt", programDir.filePath("veltrin.en.txt")));
    ASSERT_TRUE(QDir(programDir.path()).mkpath("help"));
    ASSERT_TRUE(QFile::copy(folder + "Veltrin-P.html", programDir.filePath("help/Veltrin-P.html")));
    Make().programFolder = programDir.path();
    ASSERT_TRUE(Start());
    Frame().RunCommand(57670);
    EXPECT_EQ(openedHelp.last(), "file://" + programDir.path() + "/help/Veltrin-P.html");
}

TEST_F(LanguageTest, HelpWithoutABrowserSaysWhereThePageIs) {
    ASSERT_TRUE(Start());
    QList<QUrl> tried;
    app->helpOpener = {};
    app->urlOpener = [&tried](const QUrl& url) {
        tried << url;
        return false;
    };
    ui::SetHelpTopic("AbfragenEndlagen");
    Frame().RunCommand(57670);
    ASSERT_EQ(tried.size(), 1);
    EXPECT_EQ(tried[0].fragment(), "AbfragenEndlagen");
    const QString page = BuildDir() + "/help/Veltrin-P.html";
    EXPECT_EQ(Texts(),
              QStringList{
                  "Es ist kein Programm zum Anzeigen der Hilfe eingerichtet.\nDie Hilfeseite liegt hier:\n" +
                  page});
    EXPECT_TRUE(ui::HelpTopic().isEmpty());

    // A browser that opens it: no message.
    messages.clear();
    app->urlOpener = [](const QUrl&) { return true; };
    Frame().RunCommand(57670);
    EXPECT_TRUE(messages.empty());
}

// Whenever the launcher fails (it does not start, or it ends with a status other than 0, as
// xdg-open does with xdg-utils but no browser) the message says where the page is; a launcher
// that takes the page gets its address and nothing is shown.
TEST_F(LanguageTest, HelpLauncherThatFailsSaysWhereThePageIs) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    ASSERT_TRUE(Start());
    app->helpOpener = {};
    const QString page = BuildDir() + "/help/Veltrin-P.html";
    const QString where =
        "Es ist kein Programm zum Anzeigen der Hilfe eingerichtet.\nDie Hilfeseite liegt hier:\n" + page;
    auto script = [this](const QString& name, const QString& body) {
        QFile f(FilePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return f.fileName();
    };
    // (QTRY_* would only return from the test body: gtest would not see the failure.)
    auto waitFor = [](const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 30000) QTest::qWait(10);
        return done();
    };
    const QString taken = FilePath("taken.txt");
    const QString browser = script(
        "browser", "printf '%s' \"$1\" > '" + taken + ".part' && mv '" + taken + ".part' '" + taken + "'");
    for (const QString& failing : {script("kein-browser", "exit 3"), script("fehlgeschlagen", "exit 4"),
                                   script("abgestuerzt", "kill -9 $$"), FilePath("gibt-es-nicht")}) {
        messages.clear();
        app->helpLauncher = failing;
        Frame().RunCommand(57670);
        EXPECT_TRUE(waitFor([&] { return !messages.empty(); })) << failing.toStdString();
        EXPECT_EQ(Texts(), QStringList{where}) << failing.toStdString();
    }

    // A launcher that takes the page: its address, and no message when it ends. (The failing
    // launcher after it ends later; by then a message of the first would have been shown.)
    messages.clear();
    app->helpLauncher = browser;
    ui::SetHelpTopic("AbfragenEndlagen");
    Frame().RunCommand(57670);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(taken); }));
    QFile address(taken);
    ASSERT_TRUE(address.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(address.readAll()), "file://" + page + "#AbfragenEndlagen");
    app->helpLauncher = FilePath("gibt-es-nicht");
    Frame().RunCommand(57670);
    ASSERT_TRUE(waitFor([&] { return !messages.empty(); }));
    QTest::qWait(100);
    EXPECT_EQ(Texts(), QStringList{where});
#endif
}

TEST(HelpPages, EnglishPageHasTheSameAnchorsAsTheGermanOne) {
    auto anchors = [](const QString& path) {
        QFile page(path);
        EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << path.toStdString();
        QStringList ids;
        const QRegularExpression id("id=\"([^\"]+)\"");
        for (auto m = id.globalMatch(QString::fromUtf8(page.readAll())); m.hasNext();)
            ids << m.next().captured(1);
        ids.sort();
        return ids;
    };
    const QStringList german = anchors(BuildDir() + "/help/Veltrin-P.html");
    EXPECT_EQ(anchors(BuildDir() + "/help/en/Veltrin-P.html"), german);
    EXPECT_TRUE(german.contains("SendenZählrichtung"));
    // Both pages find their shared stylesheet.
    for (const QString page : {"/help/Veltrin-P.html", "/help/en/Veltrin-P.html"}) {
        QFile file(BuildDir() + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto m =
            QRegularExpression("<link rel=\"stylesheet\" href=\"([^\"]+)\">").match(file.readAll());
        ASSERT_TRUE(m.hasMatch()) << page.toStdString();
        EXPECT_TRUE(QFileInfo(QFileInfo(file).dir(), m.captured(1)).isFile()) << page.toStdString();
    }
}

}  // namespace
}  // namespace veltrin::test
