// The main window: menu 128 with its ids, texts and order, the accelerators, the commands that
// run encoder operations directly, and the close check.
#include <QAbstractButton>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "ui/main/BackView.h"
#include "ui/main/ChoiceDialog.h"
#include "ui/main/TransferProgress.h"

namespace veltrin::test {
namespace {

class MainWindowTest : public AppTest {};

// One line per item: the object name (id) and the text; separators are "-".
QStringList MenuLines(QMenu* menu) {
    QStringList lines;
    for (QAction* a : menu->actions())
        lines << (a->isSeparator() ? QString("-")
                                   : a->objectName() + " " + a->text() + (a->isEnabled() ? "" : " [grau]"));
    return lines;
}

TEST_F(MainWindowTest, MenuHasEveryItemInOrder) {
    ASSERT_TRUE(Start());
    const QList<QAction*> popups = Frame().menuBar()->actions();
    ASSERT_EQ(popups.size(), 5);
    QStringList titles;
    for (QAction* p : popups) titles << p->text();
    EXPECT_EQ(titles,
              (QStringList{"&Datei", "Parameter &Senden", "Parameter &Abfragen", "&Konfiguration", "&?"}));

    EXPECT_EQ(
        MenuLines(popups[0]->menu()),
        (QStringList{"57600 &Neu\tStrg+N", "57601 Ö&ffnen...\tStrg+O", "57603 S&peichern\tStrg+S",
                     "57604 Speichern &unter...", "-", "32901 Be&richt...", "32800 Serie pro&grammieren...",
                     "-", "57616 Letzte Datei [grau]", "-", "57665 &Beenden"}));
    EXPECT_EQ(MenuLines(popups[1]->menu()),
              (QStringList{"32784 &Presets", "32785 &Skalierung", "32786 &Endlagen", "32787 &Datenformat",
                           "32788 &Zählrichtung", "32789 S&tatusbits", "-", "32779 &Alles Senden"}));
    EXPECT_EQ(MenuLines(popups[2]->menu()),
              (QStringList{"1114 &Presets", "32772 &Skalierung", "32773 &Endlagen", "32774 &Datenformat",
                           "32775 &Zählrichtung", "32776 S&tatusbits", "-", "32777 &Alles Abfragen",
                           "32900 Mit Geber &vergleichen...", "-", "32778 &Istwert"}));
    EXPECT_EQ(MenuLines(popups[3]->menu()),
              (QStringList{"32780 S&chnittstelle", "-", "32791 S&prache", "-", "32781 &Ram Default Werte",
                           "-", "32782 aus EEPROM &laden", "32783 ins EEPROM speichern"}));
    EXPECT_EQ(MenuLines(popups[4]->menu()),
              (QStringList{"57670 &Hilfe", "-", "57664 Inf&o über Veltrin..."}));
}

TEST_F(MainWindowTest, RecentFilesReplaceThePlaceholderAndAreWrittenAtTheEnd) {
    Store("Recent File List/File1", "/a/eins.ssi");
    Store("Recent File List/File2", "/b/zwei&drei.ssi");
    ASSERT_TRUE(Start());
    QMenu* file = Frame().menuBar()->actions()[0]->menu();
    EXPECT_EQ(MenuLines(file).mid(7, 4),
              (QStringList{"-", "57616 &1 /a/eins.ssi", "57617 &2 /b/zwei&&drei.ssi", "-"}));

    nextFile = FilePath("neu.ssi");
    Frame().RunCommand(57604);
    EXPECT_EQ(MenuLines(file).mid(8, 3),
              (QStringList{"57616 &1 " + nextFile, "57617 &2 /a/eins.ssi", "57618 &3 /b/zwei&&drei.ssi"}));
    EXPECT_EQ(Stored("Recent File List/File1").toString(), "/a/eins.ssi");  // not before the end
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(Stored("Recent File List/File1").toString(), nextFile);
    EXPECT_EQ(Stored("Recent File List/File3").toString(), "/b/zwei&drei.ssi");
    EXPECT_FALSE(Stored("Recent File List/File4").isValid());
}

TEST_F(MainWindowTest, AcceleratorsRunTheFileCommands) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().Action(57600)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(Frame().Action(57601)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(Frame().Action(57603)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));

    nextFile = FilePath("strg-s.ssi");
    QTest::keyClick(&Frame(), Qt::Key_S, Qt::ControlModifier);  // untitled: Save As
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].kind, app::CVeltrinApp::FileDialogKind::SaveAs);
    EXPECT_EQ(Frame().windowTitle(), "strg-s.ssi - Veltrin");

    QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");

    nextFile = FilePath("strg-s.ssi");
    QTest::keyClick(&Frame(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(fileDialogs.size(), 2u);
    EXPECT_EQ(fileDialogs[1].kind, app::CVeltrinApp::FileDialogKind::Open);
    EXPECT_EQ(Frame().windowTitle(), "strg-s.ssi - Veltrin");
}

TEST_F(MainWindowTest, ViewShowsThePictureAndScrollsWhenSmall) {
    ASSERT_TRUE(Start());
    ui::CBackView* view = Frame().View();
    ASSERT_NE(view->Picture(), nullptr);
    EXPECT_EQ(view->Picture()->pixmap().size(), QSize(496, 397));
    EXPECT_GE(view->FormSize().width(), view->Picture()->geometry().right());
    Frame().resize(200, 150);
    QApplication::processEvents();
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
}

TEST_F(MainWindowTest, ReadAllAndSendAllOnTheSimulator) {
    StartOnSimulator();
    sim.SetRam(1, {0x01, 0xE2, 0x40});  // internal preset 123456
    Frame().RunCommand(32777);
    EXPECT_EQ(Texts(), QStringList{"Alle Daten erfolgreich übertragen !"});
    EXPECT_EQ(encoderParameters.internalPreset, 123456);
    EXPECT_GE(sim.Telegrams().size(), 35u);

    messages.clear();
    sim.ClearTelegrams();
    encoderParameters.internalPreset = -2;
    Frame().RunCommand(32779);
    EXPECT_EQ(Texts(), QStringList{"Alle Daten erfolgreich übertragen !"});
    EXPECT_EQ(sim.Ram(1), (sim::Data3{0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(TheLink().timing.handshakeTimeoutMs[kChannel], kTestHandshakeTimeoutMs);
    EXPECT_GT(sim.Telegrams().size(), 10u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, SendAllTellsWhatItWithheldWhatWasRefusedAndWhyItStopped) {
    StartOnSimulator();
    // Status bits withheld: the result first, unchanged, the withheld bits on a second line.
    encoderParameters.limit2BitPosition = 6;
    encoderParameters.parityBitPosition = 6;
    Frame().RunCommand(32779);
    EXPECT_EQ(Texts(),
              QStringList{"Alle Daten erfolgreich übertragen !\nNicht gesendet, da die Bitposition "
                          "belegt ist: Parityüberwachung (Bitposition 6, belegt durch Grenzwert 2)"});

    // A refusal: the encoder's reason, the parameter under it.
    messages.clear();
    encoderParameters.parityBitPosition = 8;
    encoderParameters.ssiConfiguration = 2;
    Frame().RunCommand(32779);
    EXPECT_EQ(Texts(),
              QStringList{"Geber meldet Parameterwert ungültig !\nParameter: SSI Konfiguration (KP 29)"});

    // A selection above 2, after that refusal: the reason of the stop, not the old error.
    messages.clear();
    encoderParameters.ssiConfiguration = 0;
    encoderParameters.scalingSelection = 3;
    Frame().RunCommand(32779);
    EXPECT_EQ(
        Texts(),
        QStringList{"Auswahl Skalierung 3 ist nicht 0, 1 oder 2: nach den Presets wurde nichts gesendet."});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ProgressWindowCountsEveryTelegram) {
    StartOnSimulator();
    {
        ui::CTransferProgress progress(&Frame(), "lesen", 35);
        EXPECT_TRUE(progress.isVisible());
        EXPECT_TRUE(progress.isModal());
        EXPECT_TRUE(ReadAll(TheSession()));
        EXPECT_EQ(progress.Telegrams(), static_cast<int>(sim.Telegrams().size()));
        EXPECT_EQ(progress.findChild<QLabel*>("step")->text(),
                  QString("Telegramm 35 (KP %1)").arg(sim.Telegrams().back()[3]));
        // It cannot be closed while the transfer runs.
        EXPECT_FALSE(progress.close());
        sim.ClearTelegrams();
        EXPECT_TRUE(SendAll(TheSession()));
        EXPECT_EQ(progress.Telegrams(), 35 + static_cast<int>(sim.Telegrams().size()));
    }
    // Gone with the window: the next exchanges are not counted anywhere.
    EXPECT_TRUE(StoreToEeprom(TheSession()));
}

TEST_F(MainWindowTest, WholeTransfersRunUnderTheWaitCursorWithTheProgressWindow) {
    StartOnSimulator();
    // Looked at while the transfers run (the progress window lets timers through between
    // telegrams): the wait cursor and the progress window, every time.
    int looks = 0;
    QStringList seen;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ++looks;
        const QCursor* cursor = QApplication::overrideCursor();
        if (!cursor || cursor->shape() != Qt::WaitCursor) seen << "no wait cursor";
        auto* progress = Frame().findChild<QWidget*>("transferProgress");
        if (!progress || !progress->isVisible()) seen << "no progress window";
    });
    probe.start();
    Frame().RunCommand(32777);
    Frame().RunCommand(32779);
    probe.stop();
    EXPECT_GT(looks, 10);
    EXPECT_TRUE(seen.isEmpty()) << seen.join(", ").toStdString();
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57645), ui::Str(57645)}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Frame().findChild<QWidget*>("transferProgress"), nullptr);
}

TEST_F(MainWindowTest, ReadAllWithoutAnEncoder) {
    StartOnSimulator();
    sim.SetSilent(true);
    Frame().RunCommand(32777);
    EXPECT_EQ(Texts(), QStringList{"Geber antwortet nicht !"});
    EXPECT_EQ(Frame().findChild<QWidget*>("transferProgress"), nullptr);
}

TEST_F(MainWindowTest, EepromCommandsAnsweredNoSendNothingAndLeaveTheCloseCheckUnarmed) {
    StartOnSimulator();
    answers = {QMessageBox::No, QMessageBox::No, QMessageBox::No};
    Frame().RunCommand(32783);
    Frame().RunCommand(32782);
    Frame().RunCommand(32781);
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57646), ui::Str(57648), ui::Str(57650)}));
    EXPECT_TRUE(sim.Telegrams().empty());
    EXPECT_FALSE(TheLink().linkUsed);
    messages.clear();
    EXPECT_TRUE(Frame().close());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, EepromSuccessMessagesComeAfterHalfASecond) {
    StartOnSimulator();
    const struct {
        int command;
        unsigned success;
        int code;
        bool waits;
    } cases[] = {{32783, 57647, 26, true}, {32782, 57649, 27, true}, {32781, 57651, 28, false}};
    for (const auto& c : cases) {
        messages.clear();
        sim.ClearTelegrams();
        answers = {QMessageBox::Yes};
        Frame().RunCommand(c.command);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, ui::Str(c.success));
        ASSERT_EQ(sim.Telegrams().size(), 1u);
        EXPECT_EQ(sim.Telegrams()[0][0], c.code);
        if (c.waits) {
            EXPECT_GE(messages[1].atMs - messages[0].atMs, 500);
        }
    }
    // A failing command shows the device error and no success text.
    messages.clear();
    sim.SetSilent(true);
    answers = {QMessageBox::Yes};
    Frame().RunCommand(32783);
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57646), "Geber antwortet nicht !"}));
}

TEST_F(MainWindowTest, CloseCheckFlows) {
    StartOnSimulator();
    TheLink().linkUsed = true;

    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(Texts(), QStringList{ui::Str(57666)});

    messages.clear();
    answers = {QMessageBox::Yes, QMessageBox::No};
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57667)}));
    EXPECT_TRUE(sim.Telegrams().empty());

    messages.clear();
    answers = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57668)}));

    // Yes, Yes: stored in the EEPROM; Yes to the file, dialog cancelled: the user asked for a
    // file and got none, so the program stays (nothing is lost).
    messages.clear();
    answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes};
    nextFile.clear();
    EXPECT_FALSE(Frame().close());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57667), ui::Str(57668)}));
    ASSERT_EQ(sim.Telegrams().size(), 1u);
    EXPECT_EQ(sim.Telegrams()[0][0], 26);
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].proposed, "Konfiguration.ssi");

    // A save that fails: its message, then the program stays.
    messages.clear();
    answers = {QMessageBox::No, QMessageBox::Yes, QMessageBox::Ok};
    nextFile = folder.path();  // a folder is no file to save into
    EXPECT_FALSE(Frame().close());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].text.section('\n', 0, 0), "Zugriff auf " + folder.path() + " wurde verweigert.");
    EXPECT_TRUE(Frame().isVisible());

    // Saved: closes.
    messages.clear();
    answers = {QMessageBox::No, QMessageBox::Yes};
    nextFile = FilePath("gesichert.ssi");
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(QFileInfo(nextFile).size(), 204);
}

// The boxes of the close check and of the question about unsaved changes belong to the main
// window (centred over it), not to the screen. Real message boxes, answered by clicking.
TEST_F(MainWindowTest, CloseCheckAndSaveQuestionBelongToTheMainWindow) {
    StartOnSimulator();
    ui::SetMessageHook({});
    struct Box {
        QString text;
        QWidget* parent;
    };
    std::vector<Box> boxes;
    std::vector<QMessageBox::StandardButton> clicks;
    QTimer answerer;
    answerer.setInterval(5);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || clicks.empty()) return;
        boxes.push_back({box->text(), box->parentWidget()});
        QAbstractButton* button = box->button(clicks.front());
        clicks.erase(clicks.begin());
        ASSERT_NE(button, nullptr);
        button->click();
    });
    answerer.start();

    app->Document().SetModifiedFlag(true);
    clicks = {QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    TheLink().linkUsed = true;
    clicks = {QMessageBox::Yes, QMessageBox::No};
    EXPECT_FALSE(Frame().close());
    clicks = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    answerer.stop();

    ASSERT_EQ(boxes.size(), 5u);
    for (const Box& b : boxes) EXPECT_EQ(b.parent, &Frame()) << b.text.toStdString();
    EXPECT_EQ(boxes[1].text, ui::Str(57666));
    EXPECT_EQ(boxes[4].text, ui::Str(57668));
}

TEST_F(MainWindowTest, CloseCheckGoesOnAfterAFailedEepromStoreAndSavesTheFile) {
    StartOnSimulator();
    TheLink().linkUsed = true;
    sim.SetSilent(true);
    answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes};
    nextFile = FilePath("ende.ssi");
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(Texts(),
              (QStringList{ui::Str(57666), ui::Str(57667), "Geber antwortet nicht !", ui::Str(57668)}));
    EXPECT_EQ(QFileInfo(nextFile).size(), 204);
}

TEST_F(MainWindowTest, LanguageChangeAsksRestartsAndAsksNothingAtClose) {
    // Started with a configuration: the new instance gets the device and opens the file again.
    const QString config = FilePath("start.ssi");
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    StartOnSimulator({config});
    ASSERT_EQ(Frame().windowTitle(), "start.ssi - Veltrin");
    TheLink().linkUsed = true;

    OnNextModal<ui::CChoiceDialog>([](ui::CChoiceDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "147");
        dialog.Button(1)->setChecked(true);
        dialog.accept();
    });
    answers = {QMessageBox::Cancel};
    Frame().RunCommand(32791);
    EXPECT_EQ(Texts(), QStringList{ui::Str(61204)});
    EXPECT_TRUE(started.isEmpty());
    EXPECT_FALSE(Stored("Global/Language").isValid());

    messages.clear();
    OnNextModal<ui::CChoiceDialog>([](ui::CChoiceDialog& dialog) {
        dialog.Button(1)->setChecked(true);
        dialog.accept();
    });
    answers = {QMessageBox::Ok};
    Frame().RunCommand(32791);
    EXPECT_EQ(Stored("Global/Language").toInt(), 1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0], QCoreApplication::applicationFilePath());
    EXPECT_EQ(startedArguments, (QStringList{"--device", QString::fromStdString(sim.DevicePath()),
                                             app->Document().PathName()}));
    EXPECT_EQ(QFileInfo(startedArguments.last()).absoluteFilePath(), QFileInfo(config).absoluteFilePath());
    EXPECT_FALSE(TheLink().linkUsed);
    EXPECT_FALSE(app->serialPort.IsOpen());
    // The close request arrives through the event queue and closes without a question.
    QTRY_VERIFY(!Frame().isVisible());
    EXPECT_EQ(messages.size(), 1u);
}

// The language restart opens the document again only when it has a file: untitled stays
// untitled, and a file gone meanwhile is not named (the new instance would end on it).
TEST_F(MainWindowTest, LanguageRestartReopensOnlyADocumentWithAFile) {
    ASSERT_TRUE(Start());
    app->RestartWithLanguage(1);
    EXPECT_TRUE(startedArguments.isEmpty());

    app.reset();
    const QString gone = WriteFile("weg.ssi", {});
    ASSERT_TRUE(Start({gone}));
    ASSERT_TRUE(QFile::remove(gone));
    app->RestartWithLanguage(1);
    EXPECT_TRUE(startedArguments.isEmpty());

    // A saved document, started without a file: saved under a name, it comes back.
    app.reset();
    ASSERT_TRUE(Start());
    nextFile = FilePath("gespeichert.ssi");
    ASSERT_TRUE(app->Document().OnFileSaveAs());
    app->RestartWithLanguage(0);
    EXPECT_EQ(startedArguments, QStringList{app->Document().PathName()});
    EXPECT_TRUE(QFileInfo(startedArguments.last()).isFile());
}

}  // namespace
}  // namespace veltrin::test
