// The data-format and count-direction send dialogs against the simulated encoder: the fill, the
// take-over with the two-character fields and the position shift, the controls of the extended
// mode, and the telegrams of every button.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <vector>

#include "QueryFixture.h"
#include "app/AppSession.h"
#include "ui/send/SendCountDirectionDialog.h"
#include "ui/send/SendDataFormatDialog.h"

using namespace veltrin;
using namespace veltrin::ui;

namespace {

class SendOnSimulator : public veltrin::test::QueryOnSimulator {
protected:
    void SetUp() override {
        QueryOnSimulator::SetUp();
        InitEncoderParameters(TheSession());
        test::UseTestTimeouts(TheLink().timing);
    }
    void TearDown() override {
        InitEncoderParameters(TheSession());
        QueryOnSimulator::TearDown();
    }
};

QLineEdit* Edit(const CSendDialog& d, int id) { return d.Control<QLineEdit>(id); }
bool Checked(const CSendDialog& d, int id) { return d.Control<QRadioButton>(id)->isChecked(); }
void Click(const CSendDialog& d, int id) { d.Control<QPushButton>(id)->click(); }
void Choose(const CSendDialog& d, int id) { d.Control<QRadioButton>(id)->click(); }
bool Hidden(const CSendDialog& d, int id) { return d.Control(id)->isHidden(); }

}  // namespace

using SendDataFormatDialog = SendOnSimulator;

TEST_F(SendDataFormatDialog, ShowsTheParameterSetAndStoresItBackUnchanged) {
    EncoderParameters& p = encoderParameters;
    p.ssiConfiguration = 1;
    p.numberRepresentation = 2;
    p.outputCode = 1;
    p.outputFormat = 3;  // no button stands for 3
    p.bitsS = 12;
    p.bitsU = 13;
    p.positionShift = 0x105;  // 5 to the left

    CSendDataFormatDialog dialog;
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle(), "Datenformat Senden");
    EXPECT_TRUE(Checked(dialog, 1008));
    EXPECT_TRUE(Checked(dialog, 1013));
    EXPECT_TRUE(Checked(dialog, 1012));
    EXPECT_FALSE(Checked(dialog, 1019) || Checked(dialog, 1016) || Checked(dialog, 1028));
    EXPECT_EQ(Edit(dialog, 1017)->text(), "12");
    EXPECT_EQ(Edit(dialog, 1020)->text(), "13");
    EXPECT_EQ(Edit(dialog, 1026)->text(), "5");
    EXPECT_TRUE(Checked(dialog, 1015));
    for (int id : {1148, 1026, 1014, 1015, 1027}) EXPECT_TRUE(Hidden(dialog, id)) << id;

    Click(dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.positionShift, 0x105);
    EXPECT_EQ(p.outputFormat, 65535);  // the untouched empty group
    EXPECT_EQ(p.numberRepresentation, 2);
    EXPECT_EQ(p.bitsS, 12u);
    EXPECT_TRUE(sim.Telegrams().empty());
}

TEST_F(SendDataFormatDialog, ExtendedModeShowsTheShiftAndItsAmountTakesHexadecimal) {
    ExtendedMode = 1;
    CSendDataFormatDialog dialog;
    dialog.InitDialog();
    for (int id : {1148, 1026, 1014, 1015, 1027}) EXPECT_FALSE(Hidden(dialog, id)) << id;
    EXPECT_TRUE(Checked(dialog, 1014));  // 0: "rechts"

    const struct {
        const char* amount;
        int direction;
        std::uint16_t stored;
    } cases[] = {
        {"$F", 1014, 15}, {"99", 1015, 0x163}, {"-1", 1014, 0xFFFF}, {"3", 1015, 0x103}, {"4", 1014, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        Edit(dialog, 1026)->setText(c.amount);
        Choose(dialog, c.direction);
        sim.ClearTelegrams();
        Click(dialog, 1027);
        EXPECT_EQ(encoderParameters.positionShift, c.stored);
        // The encoder may refuse a shift it cannot do; what was sent is the stored shift.
        ASSERT_FALSE(sim.Telegrams().empty());
        EXPECT_EQ(sim.Telegrams().front(),
                  (sim::Telegram{30, 0, std::uint8_t((c.stored >> 8) & 1), std::uint8_t(c.stored)}));
    }
}

TEST_F(SendDataFormatDialog, EachButtonSendsItsItemAndAllesSendenTheHiddenShiftToo) {
    EncoderParameters& p = encoderParameters;
    p.ssiConfiguration = 0;
    p.numberRepresentation = 1;
    p.outputCode = 1;
    p.outputFormat = 1;  // fir tree: the split goes out in KP 20's nibbles
    p.bitsS = 12;
    p.bitsU = 13;
    p.positionShift = 0x102;
    CSendDataFormatDialog dialog;  // extended mode off: the shift controls are hidden
    dialog.InitDialog();

    const sim::Telegram ssi = {29, 0, 0, 0}, representation = {36, 0, 0, 1}, code = {35, 0, 0, 1},
                        firTree = {37, 0, 0, 1}, nibbles = {20, 0, 0, 0xCD}, shift = {30, 0, 1, 2};
    const struct {
        int button;
        std::vector<sim::Telegram> expected;
    } cases[] = {
        {1024, {ssi}},
        {1025, {representation}},
        {1018, {code}},
        {1021, {firTree, nibbles}},
        {1022, {ssi, representation, code, firTree, nibbles, shift}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearTelegrams();
        Click(dialog, c.button);
        EXPECT_EQ(sim.Telegrams(), c.expected);
    }

    // Any other format sends the split with its sum in KP 21.
    Choose(dialog, 1028);
    Edit(dialog, 1017)->setText("$C");
    sim.ClearTelegrams();
    Click(dialog, 1021);
    EXPECT_EQ(sim.Telegrams(), (std::vector<sim::Telegram>{{37, 0, 0, 2}, {21, 12, 13, 25}}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(SendDataFormatDialog, AFieldOverTwoCharactersStopsTheTakeOverBeforeAnythingIsStored) {
    EncoderParameters& p = encoderParameters;
    p.bitsS = 100;
    const EncoderParameters before = p;
    CSendDataFormatDialog dialog;
    dialog.InitDialog();
    EXPECT_EQ(Edit(dialog, 1017)->text(), "100");  // a longer stored value is shown in full

    Edit(dialog, 1020)->setText("7");
    Choose(dialog, 1008);
    Click(dialog, 1024);
    EXPECT_EQ(messages, QStringList{"Geben Sie nicht mehr als 2 Zeichen ein."});
    EXPECT_EQ(Edit(dialog, 1017)->selectedText(), "100");
    EXPECT_EQ(p.bitsS, 100u);
    EXPECT_EQ(p.bitsU, before.bitsU);
    EXPECT_EQ(p.ssiConfiguration, before.ssiConfiguration);  // read before the limit, still not stored
    EXPECT_TRUE(sim.Telegrams().empty());

    // "Schliessen" keeps the dialog open; so does a hexadecimal amount that grows too long.
    Click(dialog, 1);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    Edit(dialog, 1017)->setText("12");
    Edit(dialog, 1026)->setText("$FF");
    messages.clear();
    Click(dialog, 1022);
    EXPECT_EQ(messages, QStringList{"Geben Sie nicht mehr als 2 Zeichen ein."});
    EXPECT_EQ(p.bitsS, 100u);
    EXPECT_TRUE(sim.Telegrams().empty());
}

using SendCountDirectionDialog = SendOnSimulator;

TEST_F(SendCountDirectionDialog, ShowsStoresAndSendsTheDirectionAndTheSwitchWithItsLevel) {
    EncoderParameters& p = encoderParameters;
    p.countDirectionBackward = 1;
    p.extDirSwitchOn = 1;
    p.extDirSwitchActiveHigh = 5;  // any value but 0 is "aktiv 1"

    CSendCountDirectionDialog dialog;  // extended mode off: the level is hidden, and still sent
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Z\u00e4hlrichtung Senden"));
    EXPECT_TRUE(Checked(dialog, 1027));
    EXPECT_TRUE(Checked(dialog, 1029));
    EXPECT_TRUE(Checked(dialog, 1143));
    EXPECT_TRUE(Hidden(dialog, 1143));
    EXPECT_TRUE(Hidden(dialog, 1144));

    const sim::Telegram backward = {38, 0, 0, 1}, switchOnActive1 = {34, 0, 0, 3};
    const struct {
        int button;
        std::vector<sim::Telegram> expected;
    } cases[] = {{1030, {backward}}, {1031, {switchOnActive1}}, {1022, {backward, switchOnActive1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearTelegrams();
        Click(dialog, c.button);
        EXPECT_EQ(sim.Telegrams(), c.expected);
    }
    EXPECT_EQ(p.extDirSwitchActiveHigh, 1);

    Choose(dialog, 1026);
    Choose(dialog, 1144);
    Click(dialog, 1);
    EXPECT_EQ(p.countDirectionBackward, 0);
    EXPECT_EQ(p.extDirSwitchActiveHigh, 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();

    ExtendedMode = 1;
    CSendCountDirectionDialog extended;
    extended.InitDialog();
    EXPECT_FALSE(Hidden(extended, 1143));
    EXPECT_FALSE(Hidden(extended, 1144));
    EXPECT_TRUE(Checked(extended, 1144));
}

TEST(SendDataFormatAndCountDirectionHelp, HilfeAndF1SetTheDialogsTopics) {
    QString topic;
    ui::SetHelpHandler([&topic] { topic = ui::HelpTopic(); });
    CSendDataFormatDialog dataFormat;
    Click(dataFormat, 57670);
    EXPECT_EQ(topic, "SendenDatenformat");
    topic.clear();
    CSendCountDirectionDialog countDirection;
    QTest::keyClick(&countDirection, Qt::Key_F1);
    EXPECT_EQ(topic, QStringLiteral("SendenZ\u00e4hlrichtung"));
    ui::SetHelpHandler({});
    ui::ClearHelpTopic();
}
