// Unsaved changes: a take-over in a send dialog that changes the parameter set marks the
// document modified (asterisk in the title); closing, New, Open, a recent file and the language
// restart ask whether to save them; saving clears the mark; the close check's own file
// question is not followed by a second one.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <sstream>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "doc/ConfigFile.h"
#include "ui/main/ChoiceDialog.h"
#include "ui/send/SendPresetsDialog.h"

namespace veltrin::test {
namespace {

class ModifiedTest : public AppTest {
protected:
    /// "Presets Senden": the internal preset (1052) typed, then the button pressed
    /// (1 "Schliessen", 1053 its "Senden", 2 Escape).
    void EditInternalPreset(const QString& text, int button = 1) {
        OnNextModal<ui::CSendPresetsDialog>([text, button](ui::CSendPresetsDialog& dialog) {
            auto* edit = dialog.Control<QLineEdit>(1052);
            ASSERT_NE(edit, nullptr);
            edit->selectAll();
            edit->del();
            QTest::keyClicks(edit, text);
            if (button == 2) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return;
            }
            if (button != 1) dialog.Control<QPushButton>(button)->click();
            dialog.Control<QPushButton>(1)->click();
        });
        Frame().RunCommand(32784);
    }
    /// The title as the window shows it ("[*]" resolved).
    QString ShownTitle() { return Frame().windowHandle()->title(); }
    QString SaveQuestion(const QString& title) const { return "Änderungen an „" + title + "“ speichern?"; }

    QString GoodFile(const QString& name, std::int32_t preset) const {
        EncoderParameters p{};
        p = DefaultEncoderParameters();
        p.internalPreset = preset;
        std::ostringstream out;
        WriteConfiguration(out, p);
        return WriteFile(name, QByteArray::fromStdString(out.str()));
    }
};

TEST_F(ModifiedTest, TakeOverThatChangesAValueMarksTheDocument) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(ShownTitle(), "Konfiguration - Veltrin");

    // The same value again, and Escape: nothing changed.
    EditInternalPreset(QString::number(encoderParameters.internalPreset));
    EditInternalPreset("77", 2);
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");

    EditInternalPreset("77");
    EXPECT_EQ(encoderParameters.internalPreset, 77);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_TRUE(Frame().isWindowModified());
    EXPECT_EQ(ShownTitle(), "Konfiguration* - Veltrin");

    // A save clears the mark.
    nextFile = FilePath("neu.ssi");
    Frame().RunCommand(57603);
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_EQ(ShownTitle(), "neu.ssi - Veltrin");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ModifiedTest, ClosingWithUnsavedChangesAsksToSaveThem) {
    ASSERT_TRUE(Start());
    EditInternalPreset("12");

    // Cancel keeps the program; so does a save whose file dialog is cancelled.
    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, SaveQuestion("Konfiguration"));
    EXPECT_EQ(messages[0].buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    answers = {QMessageBox::Save};
    nextFile.clear();
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(fileDialogs.size(), 1u);

    // Save: written, then closed.
    messages.clear();
    answers = {QMessageBox::Save};
    nextFile = FilePath("ende.ssi");
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(QFileInfo(nextFile).size(), 204);
    EXPECT_EQ(Texts(), QStringList{SaveQuestion("Konfiguration")});

    // Don't Save closes without a file dialog.
    app.reset();
    ASSERT_TRUE(Start());
    EditInternalPreset("13");
    answers = {QMessageBox::Discard};
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(fileDialogs.size(), 2u);
}

TEST_F(ModifiedTest, NewOpenAndRecentFileAskFirst) {
    const QString other = GoodFile("andere.ssi", 5);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(app->OpenDocumentFile(GoodFile("erste.ssi", 1)));
    EXPECT_FALSE(app->Document().IsModified());
    EditInternalPreset("33");
    EXPECT_EQ(ShownTitle(), "erste.ssi* - Veltrin");

    // New, cancelled: nothing happens. Open, cancelled: no file dialog.
    answers = {QMessageBox::Cancel, QMessageBox::Cancel};
    Frame().RunCommand(57600);
    Frame().RunCommand(57601);
    EXPECT_EQ(Texts(), (QStringList{SaveQuestion("erste.ssi"), SaveQuestion("erste.ssi")}));
    EXPECT_TRUE(fileDialogs.empty());
    EXPECT_EQ(ShownTitle(), "erste.ssi* - Veltrin");

    // Open, Save: the changes go to their file (no dialog), then the other file opens.
    messages.clear();
    answers = {QMessageBox::Save};
    nextFile = other;
    Frame().RunCommand(57601);
    EXPECT_EQ(Texts(), QStringList{SaveQuestion("erste.ssi")});
    EXPECT_EQ(encoderParameters.internalPreset, 5);
    EXPECT_EQ(ShownTitle(), "andere.ssi - Veltrin");
    EncoderParameters saved{};
    ASSERT_TRUE(ReadConfigurationFile(FilePath("erste.ssi").toStdString(), saved).ok());
    EXPECT_EQ(saved.internalPreset, 33);

    // A recent file asks too; Don't Save opens it and drops the changes.
    EditInternalPreset("44");
    messages.clear();
    answers = {QMessageBox::Discard};
    Frame().RunCommand(57617);  // the second entry: erste.ssi
    EXPECT_EQ(Texts(), QStringList{SaveQuestion("andere.ssi")});
    EXPECT_EQ(encoderParameters.internalPreset, 33);
    EXPECT_FALSE(app->Document().IsModified());

    // New, Don't Save: untitled, values kept, no mark.
    EditInternalPreset("55");
    answers = {QMessageBox::Discard};
    Frame().RunCommand(57600);
    EXPECT_EQ(ShownTitle(), "Konfiguration - Veltrin");
    EXPECT_EQ(encoderParameters.internalPreset, 55);
    EXPECT_FALSE(app->Document().IsModified());
}

// Once something was sent, the close check asks its EEPROM and file questions; its file
// question is the question about saving, so there is no second one.
TEST_F(ModifiedTest, CloseCheckAfterSendingAsksItsOwnQuestionsOnly) {
    StartOnSimulator();
    EditInternalPreset("21", 1053);  // "Senden": sent, and taken over
    ASSERT_TRUE(TheLink().linkUsed);
    ASSERT_TRUE(app->Document().IsModified());

    answers = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57668)}));

    // Yes to the file question saves and clears the mark; No closes: either way no second question.
    messages.clear();
    answers = {QMessageBox::No, QMessageBox::Yes};
    nextFile = FilePath("gesendet.ssi");
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57668)}));
    EXPECT_EQ(QFileInfo(nextFile).size(), 204);
    EXPECT_FALSE(app->Document().IsModified());

    app.reset();
    ASSERT_TRUE(Start({"--device", QString::fromStdString(sim.DevicePath())}));
    EditInternalPreset("22", 1053);
    messages.clear();
    answers = {QMessageBox::No, QMessageBox::No};
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(57666), ui::Str(57668)}));
    EXPECT_EQ(fileDialogs.size(), 1u);
}

TEST_F(ModifiedTest, LanguageRestartAsksBeforeItRestarts) {
    ASSERT_TRUE(Start());
    EditInternalPreset("66");
    auto chooseEnglish = [] {
        OnNextModal<ui::CChoiceDialog>([](ui::CChoiceDialog& dialog) {
            dialog.Button(1)->setChecked(true);
            dialog.accept();
        });
    };
    chooseEnglish();
    answers = {QMessageBox::Ok, QMessageBox::Cancel};
    Frame().RunCommand(32791);
    EXPECT_EQ(Texts(), (QStringList{ui::Str(61204), SaveQuestion("Konfiguration")}));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(app->Document().IsModified());

    messages.clear();
    chooseEnglish();
    answers = {QMessageBox::Ok, QMessageBox::Discard};
    Frame().RunCommand(32791);
    ASSERT_EQ(started.size(), 1);
    // The closing instance asks nothing more.
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(Texts(), (QStringList{ui::Str(61204), SaveQuestion("Konfiguration")}));
}

}  // namespace
}  // namespace veltrin::test
