// The live actual-value display against the simulated encoder.
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "QueryFixture.h"
#include "app/AppSession.h"
#include "ui/query/ActualValueDialog.h"
#include "ui/query/QueryDialogs.h"

using namespace veltrin;
using namespace veltrin::ui;

namespace {

using ActualValueDisplay = veltrin::test::QueryOnSimulator;

QString TextOf(const CActualValueDialog& dialog, int controlId) {
    return dialog.Control<QLabel>(controlId)->text();
}

int ValueRequests(const sim::EncoderSimulator& sim) {
    int n = 0;
    for (const sim::Telegram& t : sim.Telegrams())
        if (t[0] == 0x80 && t[3] == 0) ++n;
    return n;
}

}  // namespace

TEST_F(ActualValueDisplay, ShowsTheReadingAndRefreshesOnlyWhenTheValueChanges) {
    sim.SetReplyBytes(0, {0x12, 0x34, 0x56, 0xA5});
    CActualValueDialog dialog;
    dialog.show();  // the first reading runs while the dialog opens
    EXPECT_EQ(TextOf(dialog, 1072), "00010010 00110100 01010110");
    EXPECT_EQ(TextOf(dialog, 1073), "1010010X");
    EXPECT_EQ(TextOf(dialog, 1074), "1193046");
    EXPECT_TRUE(dialog.Control<QLabel>(1074)->alignment() & Qt::AlignRight);
    EXPECT_TRUE(dialog.TimerRunning());

    // New status bits with the same value leave every field alone.
    sim.SetReplyBytes(0, {0x12, 0x34, 0x56, 0x00});
    dialog.RefreshValue();
    EXPECT_EQ(TextOf(dialog, 1073), "1010010X");
    EXPECT_EQ(dialog.LastShownValue(), 1193046);

    sim.SetReplyBytes(0, {0x12, 0x34, 0x57, 0x02});
    dialog.RefreshValue();
    EXPECT_EQ(TextOf(dialog, 1072), "00010010 00110100 01010111");
    EXPECT_EQ(TextOf(dialog, 1073), "0000001X");
    EXPECT_EQ(TextOf(dialog, 1074), "1193047");
    EXPECT_TRUE(messages.isEmpty());
    dialog.reject();
}

TEST_F(ActualValueDisplay, FirstReadingOfMinusOneKeepsTheTemplateTexts) {
    sim.SetReplyBytes(0, {0xFF, 0xFF, 0xFF, 0xFE});  // -1 in two's complement
    CActualValueDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.Readings(), 1);
    EXPECT_EQ(TextOf(dialog, 1072), "00000000 00000000 00000000");
    EXPECT_EQ(TextOf(dialog, 1073), "0000000X");
    EXPECT_EQ(TextOf(dialog, 1074), "00000");
    dialog.reject();
}

TEST_F(ActualValueDisplay, FourthFailedReadingSinceOpeningClosesWithTheMessage) {
    sim.SetSilent(true);
    CActualValueDialog dialog;
    dialog.show();  // a failed first reading opens the display all the same
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(TextOf(dialog, 1074), "00000");

    sim.SetSilent(false);
    sim.SetReplyBytes(0, {0x00, 0x00, 0x07, 0x00});
    dialog.RefreshValue();  // a good reading between does not reset the count
    ASSERT_EQ(TextOf(dialog, 1074), "7");
    sim.SetSilent(true);
    dialog.RefreshValue();
    dialog.RefreshValue();
    EXPECT_EQ(dialog.FailedReads(), 3);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.TimerRunning());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(TextOf(dialog, 1074), "7");  // failures keep the last reading

    dialog.RefreshValue();
    EXPECT_EQ(messages, QStringList{"Geber antwortet nicht !"});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.TimerRunning());
}

TEST_F(ActualValueDisplay, SchliessenClickedDuringAReadingEndsTheDisplayAfterIt) {
    sim.SetSpeed(500.0);
    // The click arrives while the fifth reading blocks the event loop, as a user's would.
    int requestsSent = 0;
    TheLink().SetTelegramObserver([&](const std::uint8_t* t, int n) {
        if (n != 4 || t[0] != 0x80 || t[3] != 0 || ++requestsSent != 5) return;
        auto* display = qobject_cast<CActualValueDialog*>(QApplication::activeModalWidget());
        if (!display) return;
        QPushButton* close = display->Control<QPushButton>(1);
        const QPointF at = QPointF(close->rect().center());
        const QPointF global = QPointF(close->mapToGlobal(at.toPoint()));
        QCoreApplication::postEvent(close, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(close, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    });
    QTimer failSafe;  // should the click be lost, end the display anyway
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    failSafe.start(5000);
    RunQueryDialog(32778, nullptr);
    EXPECT_TRUE(failSafe.isActive()) << "the click did not close the display";
    EXPECT_EQ(requestsSent, 5);  // the reading under way was the last one
    QTest::qWait(100);           // and no tick comes after the dialog is gone
    EXPECT_EQ(ValueRequests(sim), 5);
    EXPECT_TRUE(messages.isEmpty());
}

TEST(ActualValueHelp, F1AsksForHelpAtTheDisplaysTopic_NoHelpButton) {
    QStringList requested;
    ui::SetHelpHandler([&] { requested << ui::HelpTopic(); });
    CActualValueDialog dialog;  // not shown: no reading
    QTest::keyClick(&dialog, Qt::Key_F1);
    ui::SetHelpHandler({});
    EXPECT_EQ(requested, QStringList{"AbfragenIstwert"});
    EXPECT_EQ(dialog.Control<QPushButton>(57670), nullptr);
    EXPECT_EQ(dialog.Control<QPushButton>(1)->text(), QString::fromUtf8("Schließen"));
    EXPECT_EQ(dialog.windowTitle(), "Istwert Anzeige");
}
