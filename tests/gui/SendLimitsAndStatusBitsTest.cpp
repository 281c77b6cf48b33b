// The limits and status-bits send dialogs against the simulated encoder: what they show of the
// parameter set, what a take-over stores, which telegrams each button puts on the wire, and the
// limits' check of bit positions used twice.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <array>
#include <vector>

#include "QueryFixture.h"
#include "app/AppSession.h"
#include "params/InputRules.h"
#include "ui/send/SendLimitsDialog.h"
#include "ui/send/SendStatusBitsDialog.h"

using namespace veltrin;
using namespace veltrin::ui;

namespace {

class SendOnSimulator : public veltrin::test::QueryOnSimulator {
protected:
    void SetUp() override {
        QueryOnSimulator::SetUp();
        InitEncoderParameters(TheSession());  // defaults and a free table of status-bit owners
        test::UseTestTimeouts(TheLink().timing);
    }
    void TearDown() override {
        InitEncoderParameters(TheSession());
        QueryOnSimulator::TearDown();
    }
};

QString Text(const CSendDialog& d, int id) { return d.Control<QLineEdit>(id)->text(); }
void Type(const CSendDialog& d, int id, const QString& text) { d.Control<QLineEdit>(id)->setText(text); }
bool Checked(const CSendDialog& d, int id) { return d.Control<QRadioButton>(id)->isChecked(); }
void Click(const CSendDialog& d, int id) { d.Control<QPushButton>(id)->click(); }
void Choose(const CSendDialog& d, int id) { d.Control<QRadioButton>(id)->click(); }

std::vector<sim::Telegram> Wire(const sim::EncoderSimulator& sim) { return sim.Telegrams(); }

}  // namespace

using SendLimitsDialog = SendOnSimulator;

TEST_F(SendLimitsDialog, ShowsTheParameterSetAndTakesEveryFieldOverOnSchliessen) {
    EncoderParameters& p = encoderParameters;
    p.limit1Value = -5;
    p.limit2Value = 1000;
    p.limit3Value = 7;
    p.limit4Value = 8388607;
    p.limit1BitPosition = 5;
    p.limit2BitPosition = 3;
    p.limit3BitPosition = 9;
    p.limit4BitPosition = -1;
    p.limit1BitOn = 1;
    p.limit2BitOn = 0;
    p.limit1BitActiveLow = 0;
    p.limit2BitActiveLow = 1;
    p.limit3BitActiveLow = 7;  // no button of the group stands for 7

    CSendLimitsDialog dialog;
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle(), "Endlagen Senden");
    EXPECT_EQ(Text(dialog, 1032), "-5");
    EXPECT_EQ(Text(dialog, 1034), "1000");
    EXPECT_EQ(Text(dialog, 1036), "7");
    EXPECT_EQ(Text(dialog, 1024), "8388607");
    EXPECT_EQ(Text(dialog, 1033), "5");
    EXPECT_EQ(Text(dialog, 1035), "3");
    EXPECT_EQ(Text(dialog, 1037), "9");
    EXPECT_EQ(Text(dialog, 1027), "-1");
    EXPECT_TRUE(Checked(dialog, 1039));
    EXPECT_FALSE(Checked(dialog, 1038));
    EXPECT_TRUE(Checked(dialog, 1043));
    EXPECT_TRUE(Checked(dialog, 1040));
    EXPECT_TRUE(Checked(dialog, 1015));
    EXPECT_FALSE(Checked(dialog, 1049));
    EXPECT_FALSE(Checked(dialog, 1020));

    Type(dialog, 1032, "$1f");
    Type(dialog, 1036, "-$1F");
    Type(dialog, 1024, "12 mm");
    Type(dialog, 1035, "$12G");
    Choose(dialog, 1044);
    Click(dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.limit1Value, 31);
    EXPECT_EQ(p.limit3Value, -31);
    EXPECT_EQ(p.limit4Value, 12);
    EXPECT_EQ(p.limit2BitPosition, 0);
    EXPECT_EQ(p.limit3BitPosition, 9);
    EXPECT_EQ(p.limit4BitPosition, -1);
    EXPECT_EQ(p.limit2BitOn, 1);
    EXPECT_EQ(p.limit3BitActiveLow, 65535);  // the untouched empty group reads back as −1
    EXPECT_TRUE(Wire(sim).empty());          // "Schliessen" sends nothing
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(SendLimitsDialog, EachButtonSendsItsLimitAndAllesSendenAllFour) {
    EncoderParameters& p = encoderParameters;
    p.limit1Value = 1000;  // 00 03 E8
    p.limit2Value = -2;    // FF FF FE
    p.limit3Value = 0x123456;
    p.limit4Value = 1;
    p.limit1BitPosition = 1;
    p.limit2BitPosition = 2;
    p.limit3BitPosition = 3;
    p.limit4BitPosition = 8;
    p.limit1BitOn = 1;         // on, active 1: bits 3 and 4
    p.limit2BitActiveLow = 1;  // off, active 0
    p.limit3BitOn = 1;
    p.limit3BitActiveLow = 1;
    p.limit4BitOn = 1;  // no bit: position and on-flag go out as 0

    const std::vector<sim::Telegram> limit1 = {{16, 0x00, 0x03, 0xE8}, {40, 0, 0, 0x19}};
    const std::vector<sim::Telegram> limit2 = {{18, 0xFF, 0xFF, 0xFE}, {42, 0, 0, 0x02}};
    const std::vector<sim::Telegram> limit3 = {{17, 0x12, 0x34, 0x56}, {41, 0, 0, 0x0B}};
    const std::vector<sim::Telegram> limit4 = {{19, 0x00, 0x00, 0x01}, {43, 0, 0, 0x10}};
    const struct {
        int button;
        std::vector<std::vector<sim::Telegram>> expected;
    } cases[] = {
        {1042, {limit1}},
        {1046, {limit2}},
        {1016, {limit3}},
        {1021, {limit4}},
        {1022, {limit1, limit2, limit3, limit4}},
    };
    CSendLimitsDialog dialog;
    dialog.InitDialog();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearTelegrams();
        Click(dialog, c.button);
        std::vector<sim::Telegram> expected;
        for (const auto& part : c.expected) expected.insert(expected.end(), part.begin(), part.end());
        EXPECT_EQ(Wire(sim), expected);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(SendLimitsDialog, ABitPositionUsedTwiceStopsEverySendButKeepsTheValues) {
    const struct {
        std::array<const char*, 4> positions;
        int reported;  // -1: the check passes
    } cases[] = {
        {{"3", "3", "8", "8"}, 3},
        {{"1", "2", "1", "2"}, 2},
        {{"3", "3", "5", "8"}, 3},
        {{"4", "8", "4", "8"}, 4},  // limit 2 has no bit of its own and is still not sent
        {{"9", "9", "8", "8"}, -1},
        {{"8", "8", "8", "8"}, -1},
        {{"-1", "-1", "$0", "0"}, 0},  // "$0" is 0 as well: limits 3 and 4 share bit 0
    };
    const int positionFields[4] = {1033, 1035, 1037, 1027};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.positions[0]) + "," + c.positions[1] + "," + c.positions[2] + "," +
                     c.positions[3]);
        InitEncoderParameters(TheSession());
        test::UseTestTimeouts(TheLink().timing);
        messages.clear();
        sim.ClearTelegrams();
        CSendLimitsDialog dialog;
        dialog.InitDialog();
        for (int i = 0; i < 4; ++i) Type(dialog, positionFields[i], c.positions[static_cast<std::size_t>(i)]);
        Type(dialog, 1034, "77");
        Click(dialog, 1046);                           // "Senden" of limit 2
        EXPECT_EQ(encoderParameters.limit2Value, 77);  // stored whatever the check says
        EXPECT_EQ(encoderParameters.limit1BitPosition, TextToNumber(ApplyHexNotation(c.positions[0])));
        EXPECT_EQ(encoderParameters.limit3BitPosition, TextToNumber(ApplyHexNotation(c.positions[2])));
        if (c.reported >= 0) {
            EXPECT_EQ(messages,
                      QStringList{
                          QStringLiteral("Fehler: Doppelt belegt Bitpositionen ! (Bit %1)").arg(c.reported)});
            EXPECT_TRUE(Wire(sim).empty());
            // "Schliessen" shows the message again and closes all the same.
            Click(dialog, 1);
            EXPECT_EQ(messages.size(), 2);
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(Wire(sim).empty());
        } else {
            EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
            ASSERT_FALSE(Wire(sim).empty());
            EXPECT_EQ(Wire(sim).front()[0], 18);
        }
    }
}

using SendStatusBitsDialog = SendOnSimulator;

TEST_F(SendStatusBitsDialog, ShowsAndStoresTheFiveFunctionsAndSendsEachButton) {
    EncoderParameters& p = encoderParameters;
    p.overspeedValue = 300;  // only its low byte goes out
    p.overspeedBitPosition = 1;
    p.overspeedBitOn = 1;
    p.standstillBitPosition = 2;
    p.parityBitPosition = 3;
    p.parityBitActiveLow = 1;
    p.encoderErrorBitPosition = 4;
    p.encoderErrorBitOn = 1;
    p.encoderErrorBitActiveLow = 1;
    p.directionBitPosition = 5;
    p.directionBitOn = 2;  // neither "Aus" nor "An"

    CSendStatusBitsDialog dialog;
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle(), "Statusbits Senden");
    EXPECT_EQ(Text(dialog, 1000), "300");
    EXPECT_EQ(Text(dialog, 1001), "1");
    EXPECT_EQ(Text(dialog, 1005), "5");
    EXPECT_TRUE(Checked(dialog, 1008));
    EXPECT_TRUE(Checked(dialog, 1009));
    EXPECT_TRUE(Checked(dialog, 1019));
    EXPECT_FALSE(Checked(dialog, 1026));
    EXPECT_FALSE(Checked(dialog, 1027));

    const sim::Telegram overspeed = {44, 0, 0, 0x19}, threshold = {22, 0, 0, 0x2C},
                        standstill = {45, 0, 0, 0x12}, parity = {46, 0, 0, 0x03},
                        encoderError = {47, 0, 0, 0x0C};
    // The direction's empty on/off group is stored as 65535, which is not "An".
    const sim::Telegram direction = {48, 0, 0, 0x15};
    const struct {
        int button;
        std::vector<sim::Telegram> expected;
    } cases[] = {
        {1006, {overspeed, threshold}},
        {1015, {standstill}},
        {1020, {parity}},
        {1043, {encoderError}},
        {1031, {direction}},
        {1028, {overspeed, threshold, standstill, parity, encoderError, direction}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearTelegrams();
        Click(dialog, c.button);
        EXPECT_EQ(Wire(sim), c.expected);
    }
    EXPECT_EQ(p.directionBitOn, 65535);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();

    Type(dialog, 1000, "$FF");
    Type(dialog, 1002, "-$1");
    Click(dialog, 1);
    EXPECT_EQ(p.overspeedValue, 255u);
    EXPECT_EQ(p.standstillBitPosition, -1);
}

TEST_F(SendStatusBitsDialog, SharedPositionsGetNoMessageTheOwnerRecordDecides) {
    CSendStatusBitsDialog dialog;
    dialog.InitDialog();
    Type(dialog, 1001, "2");  // overspeed
    Type(dialog, 1002, "2");  // standstill, the same bit
    Click(dialog, 1028);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    std::vector<int> kps;
    for (const sim::Telegram& t : Wire(sim)) kps.push_back(t[0]);
    // Overspeed takes bit 2 first; standstill is passed over without a word.
    EXPECT_EQ(kps, (std::vector<int>{44, 22, 46, 47, 48}));
    EXPECT_EQ(encoderParameters.standstillBitPosition, 2);
}

TEST(SendLimitsAndStatusBitsHelp, HilfeAndF1SetTheDialogsTopics) {
    QString topic;
    ui::SetHelpHandler([&topic] { topic = ui::HelpTopic(); });
    CSendLimitsDialog limits;
    Click(limits, 57670);
    EXPECT_EQ(topic, "SendenEndlagen");
    topic.clear();
    CSendStatusBitsDialog statusBits;
    QTest::keyClick(&statusBits, Qt::Key_F1);
    EXPECT_EQ(topic, "SendenStatusbits");
    ui::SetHelpHandler({});
    ui::ClearHelpTopic();
}
