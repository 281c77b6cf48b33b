// The program information with the way into the extended functions, and help.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "ui/main/InfoDialog.h"
#include "ui/main/PasswordDialog.h"
#include "ui/main/PortDialog.h"

namespace veltrin::test {
namespace {

TEST(PasswordRule, EdgeCases) {
    // 'q' 113 + 'l' 108 + 'l' 108 + 'm' 109 + 'm' 109 = 547
    EXPECT_TRUE(ui::IsServicePassword("qllmm"));
    EXPECT_TRUE(ui::IsServicePassword("qmmll"));
    EXPECT_FALSE(ui::IsServicePassword("Qllmm"));   // first character
    EXPECT_FALSE(ui::IsServicePassword("qllml"));   // 546
    EXPECT_FALSE(ui::IsServicePassword("qllmn"));   // 548
    EXPECT_FALSE(ui::IsServicePassword("qllm"));    // 4 characters
    EXPECT_FALSE(ui::IsServicePassword("qllmm "));  // 6 characters
    EXPECT_FALSE(ui::IsServicePassword("q{{{{"));   // 113 + 4*123 = 605
    EXPECT_FALSE(ui::IsServicePassword(""));
    // Above 127 a character counts negative: 'ä' is 0xE4, -28. Taken unsigned, "qäFDD" would
    // add up to 113 + 228 + 70 + 68 + 68 = 547; signed it is 291 and refused.
    EXPECT_FALSE(ui::IsServicePassword(QString("q") + QChar(0xE4) + "FDD"));
    EXPECT_EQ(ui::ToWindows1252(QString("q") + QChar(0xE4)), QByteArray("q\xE4"));
    EXPECT_EQ(ui::ToWindows1252(QString(QChar(0x20AC))), QByteArray("\x80"));
    EXPECT_EQ(ui::ToWindows1252(QString(QChar(0x4E2D))), QByteArray("?"));
}

class InfoDialogTest : public AppTest {
protected:
    void DoubleClick(ui::CInfoDialog& dialog, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(QEvent::MouseButtonDblClick, at, dialog.mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(&dialog, &event);
    }
};

TEST_F(InfoDialogTest, DoubleClickOnTheIconAsksForThePassword) {
    ASSERT_TRUE(Start());
    {
        ui::CInfoDialog dialog(&Frame());
        EXPECT_EQ(dialog.windowTitle(), "Info über Veltrin");
        EXPECT_EQ(dialog.findChild<QLabel*>("version")->text(), "Veltrin Version 1.04 04.04.2006");
        ASSERT_NE(dialog.findChild<QLabel*>("1145"), nullptr);

        int asked = 0;
        QString entry;
        ui::CInfoDialog::SetPasswordRunner([&](ui::CPasswordDialog& password) {
            ++asked;
            EXPECT_EQ(password.Edit()->objectName(), "1147");
            EXPECT_EQ(password.Edit()->echoMode(), QLineEdit::Password);
            password.Edit()->setText(entry);
            password.accept();
            return int(QDialog::Accepted);
        });

        // Beside the icon, on the text: nothing.
        entry = "qllmm";
        DoubleClick(dialog, dialog.Icon()->geometry().bottomRight() + QPoint(4, 4));
        DoubleClick(dialog, dialog.findChild<QLabel*>("version")->geometry().center());
        // On the icon, but with the right or the middle button: nothing either.
        DoubleClick(dialog, dialog.Icon()->geometry().center(), Qt::RightButton);
        DoubleClick(dialog, dialog.Icon()->geometry().center(), Qt::MiddleButton);
        EXPECT_EQ(asked, 0);

        // A wrong entry: silently nothing; the right one: the message and the mode.
        entry = "qllml";
        DoubleClick(dialog, dialog.Icon()->geometry().center());
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(ExtendedMode, 0);
        entry = "qllmm";
        DoubleClick(dialog, dialog.Icon()->geometry().center());
        EXPECT_EQ(Texts(), QStringList{"Erweiterte Funktionen eingeschaltet !"});
        EXPECT_EQ(ExtendedMode, 1);
        // Again while on: the message again, the mode stays.
        DoubleClick(dialog, dialog.Icon()->geometry().topLeft());
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(ExtendedMode, 1);
        ui::CInfoDialog::SetPasswordRunner({});
    }

    // A new run starts with the mode off.
    app.reset();
    ASSERT_TRUE(Start());
    EXPECT_EQ(ExtendedMode, 0);
}

TEST_F(InfoDialogTest, PasswordDialogEnterIsOkEscapeIsCancel) {
    ui::CPasswordDialog dialog;
    EXPECT_TRUE(dialog.findChildren<QPushButton*>().isEmpty());
    dialog.show();
    QTest::keyClicks(dialog.Edit(), "qllmm");
    QTest::keyClick(dialog.Edit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Entry(), "qllmm");

    ui::CPasswordDialog other;
    other.show();
    QTest::keyClicks(other.Edit(), "qllmm");
    QTest::keyClick(other.Edit(), Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
    EXPECT_EQ(other.Entry(), "");
}

class HelpTest : public AppTest {};

TEST_F(HelpTest, AddressForTheMenuADialogTopicAndAfterwards) {
    ASSERT_TRUE(Start());
    const QString page = "file://" + QString::fromUtf8(VELTRIN_BUILD_DIR) + "/help/Veltrin-P.html";
    Frame().RunCommand(57670);
    ui::SetHelpTopic("AbfragenZählrichtung");
    ui::RequestHelp();
    ui::RequestHelp();
    EXPECT_EQ(openedHelp, (QStringList{page, page + "#AbfragenZählrichtung", page}));
    EXPECT_TRUE(ui::HelpTopic().isEmpty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(HelpTest, F1InTheMainWindowAndInADialog) {
    ASSERT_TRUE(Start());
    const QString page = "file://" + QString::fromUtf8(VELTRIN_BUILD_DIR) + "/help/Veltrin-P.html";
    QTest::keyClick(&Frame(), Qt::Key_F1);
    EXPECT_EQ(openedHelp, QStringList{page});

    // The interface dialog has no topic.
    OnNextModal<ui::CPortDialog>([](ui::CPortDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_F1);
        dialog.reject();
    });
    Frame().RunCommand(32780);
    EXPECT_EQ(openedHelp, (QStringList{page, page}));

    // A dialog that names its topic gets it.
    QDialog withTopic(&Frame());
    ui::SetDialogHelpTopic(&withTopic, "AbfragenIstwert");
    withTopic.show();
    QTest::keyClick(&withTopic, Qt::Key_F1);
    EXPECT_EQ(openedHelp.last(), page + "#AbfragenIstwert");
}

TEST_F(HelpTest, MissingHelpPageDoesNothingVisible) {
    QTemporaryDir programDir;
    Make().programFolder = programDir.path();
    ASSERT_TRUE(Start());
    ui::SetHelpTopic("SendenPresets");
    Frame().RunCommand(57670);
    EXPECT_TRUE(openedHelp.isEmpty());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(ui::HelpTopic().isEmpty());
}

TEST(HelpPage, HasAnAnchorForEveryTopic) {
    QFile page(QString::fromUtf8(VELTRIN_BUILD_DIR) + "/help/Veltrin-P.html");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (const char* topic :
         {"SendenPresets", "SendenSkalierung", "SendenEndlagen", "SendenDatenformat", "SendenZählrichtung",
          "SendenStatusbits", "AbfragenIstwert", "AbfragenPresets", "AbfragenSkalierung", "AbfragenEndlagen",
          "AbfragenDatenformat", "AbfragenZählrichtung", "AbfragenStatusbits"})
        EXPECT_TRUE(html.contains(QString("id=\"%1\"").arg(QString::fromUtf8(topic)))) << topic;
}

}  // namespace
}  // namespace veltrin::test
