// Verify against the simulated encoder: what "Alles Senden" writes counts, the cases it leaves
// out are named, and only read requests go out; the labels in both languages.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ParamsSimFixture.h"
#include "RandomSet.h"
#include "VerifyRows.h"
#include "doc/Verify.h"
#include "params/ReadAllSteps.h"
#include "res/Resources.h"

using namespace veltrin;
using veltrin::test::Generator;
using veltrin::test::ParamsOnSimulator;
using veltrin::test::RandomSet;
using veltrin::test::Row;
using veltrin::test::SameBytes;
using veltrin::test::StartUp;
using veltrin::test::Strings;
using veltrin::test::With;

namespace {

class VerifyOnSimulator : public ParamsOnSimulator {
protected:
    void SetUp() override {
        ParamsOnSimulator::SetUp();
        // The program's own time-outs: a loaded machine must not turn a slow answer into a
        // failed verify (only the failure test waits for them).
        link.timing = LinkTiming{};
    }

    /// Verifies set with the run's owner table; asserts it succeeded without touching anything.
    VerifyResult Verify(const EncoderParameters& set) {
        const EncoderParameters before = set;
        const auto owners = session.statusBitOwners;
        link.linkUsed = false;
        sim.ClearTelegrams();
        VerifyResult r;
        EXPECT_TRUE(VerifyEncoder(session, set, session.statusBitOwners, r)) << link.DeviceErrorText();
        EXPECT_TRUE(SameBytes(before, set));
        EXPECT_EQ(session.statusBitOwners, owners);
        EXPECT_FALSE(link.linkUsed);
        // Read requests only: the firmware, then every KP read-all reads, each once.
        std::vector<int> kps;
        for (const Telegram& t : sim.Telegrams()) {
            EXPECT_EQ(t[0], kReadRequestCode);
            kps.push_back(t[3]);
        }
        EXPECT_EQ(kps.size(), 36u);
        EXPECT_EQ(std::set<int>(kps.begin(), kps.end()).size(), kps.size());
        return r;
    }
};

class VerifyAfterSendAll : public VerifyOnSimulator,
                           public ::testing::WithParamInterface<std::pair<int, int>> {};

}  // namespace

TEST_P(VerifyAfterSendAll, FindsNoDifferenceAndNamesWhatWasLeftOut) {
    const auto [selection, extended] = GetParam();
    Generator g{std::mt19937(static_cast<unsigned>(10 * selection + extended))};
    EncoderParameters set = RandomSet(g);
    set.scalingSelection = static_cast<std::uint16_t>(selection);
    set.positionShift = 0x105;  // left by 5: read-all would take it as 0
    for (std::int32_t* position :
         {&set.limit1BitPosition, &set.limit3BitPosition, &set.limit4BitPosition, &set.overspeedBitPosition,
          &set.standstillBitPosition, &set.encoderErrorBitPosition, &set.directionBitPosition})
        if (*position == 4) *position = 8;
    set.parityBitPosition = set.limit2BitPosition = 4;  // the parity bit is withheld
    set.debounceTime = 300;                             // its low byte goes out
    session.extendedMode = extended;
    ASSERT_TRUE(SendAllOf(set)) << link.DeviceErrorText();

    const VerifyResult r = Verify(set);
    EXPECT_EQ(r.counts.different, 0) << With(r, VerifyStatus::Different)[0];
    EXPECT_EQ(r.rows.size(), 58u);
    EXPECT_EQ(r.firmware, "01.04");
    EXPECT_EQ(With(r, VerifyStatus::NotReadable), Strings{"scalingSelection"});
    Strings notSent = With(r, VerifyStatus::NotSent);
    const Strings scalingLeftOut[] = {
        {"stepsForMeasuringSteps", "measuringSteps", "stepsForRevolutions", "revolutions"},
        {"scalingFactorText", "stepsForRevolutions", "revolutions"},
        {"scalingFactorText", "stepsForMeasuringSteps", "measuringSteps"}};
    Strings expected = scalingLeftOut[selection];
    if (!extended) expected.insert(expected.begin(), "debounceTime");
    for (const char* m : {"parityBitPosition", "parityBitOn", "parityBitActiveLow"}) expected.push_back(m);
    EXPECT_EQ(notSent, expected);
    EXPECT_EQ(Row(r, "parityBitOn").reason, NotSentReason::StatusBitTaken);
    EXPECT_EQ(Row(r, "debounceTime").fileValue, "300 \u2192 44");
    EXPECT_EQ(Row(r, "positionShift").encoderValue, Row(r, "positionShift").fileValue);
}

INSTANTIATE_TEST_SUITE_P(SelectionsAndModes, VerifyAfterSendAll,
                         ::testing::Values(std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 0}, std::pair{0, 1},
                                           std::pair{1, 1}, std::pair{2, 1}));

TEST_F(VerifyOnSimulator, AParameterChangedInTheEncoderIsTheOnlyDifference) {
    Generator g{std::mt19937(5)};
    const EncoderParameters set = RandomSet(g);
    ASSERT_TRUE(SendAllOf(set));
    sim.SetRam(17, EncodeSigned24(set.limit3Value + 1));
    // The level of limit 4's status bit, nothing else of its byte.
    const std::uint8_t bit = sim.Ram(43)[2];
    sim.SetRam(43, {0, 0, static_cast<std::uint8_t>(bit ^ 0x10)});
    const VerifyResult r = Verify(set);
    EXPECT_EQ(With(r, VerifyStatus::Different), (Strings{"limit3Value", "limit4BitActiveLow"}));
    EXPECT_EQ(Row(r, "limit3Value").encoderValue, std::to_string(set.limit3Value + 1));
}

TEST_F(VerifyOnSimulator, TheUpDownSwitchingsLevelIsReadFromItsReply) {
    // The file's level against the encoder's, with the input off and on: only the level
    // differs, and it is named with both values.
    struct Case {
        std::uint16_t on, fileLevel, encoderLevel;
    };
    for (const Case c : {Case{0, 0, 1}, Case{1, 1, 0}, Case{1, 1, 1}}) {
        EncoderParameters set = StartUp();
        set.extDirSwitchOn = c.on;
        set.extDirSwitchActiveHigh = c.encoderLevel;
        ASSERT_TRUE(SendAllOf(set));
        set.extDirSwitchActiveHigh = c.fileLevel;
        const VerifyResult r = Verify(set);
        const VerifyRow& row = Row(r, "extDirSwitchActiveHigh");
        if (c.fileLevel == c.encoderLevel) {
            EXPECT_EQ(r.counts.different, 0);
            EXPECT_EQ(row.status, VerifyStatus::Equal);
            continue;
        }
        EXPECT_EQ(With(r, VerifyStatus::Different), Strings{"extDirSwitchActiveHigh"}) << c.on;
        EXPECT_EQ(row.encoderValue, c.encoderLevel ? "Aktiv 1" : "Aktiv 0");
        EXPECT_EQ(row.fileValue, c.fileLevel ? "Aktiv 1" : "Aktiv 0");
    }
    // Set behind the program's back: the reply's bit alone decides.
    sim.SetRam(34, {0, 0, 0x02});
    EXPECT_EQ(Row(Verify(StartUp()), "extDirSwitchActiveHigh").status, VerifyStatus::Different);
}

TEST_F(VerifyOnSimulator, ScalingCopiedWithReadAllIsNotSentAndNoDifference) {
    EncoderParameters golden = StartUp();
    golden.scalingSelection = 2;
    golden.revolutions = 4096;
    golden.stepsForRevolutions = 8192;
    ASSERT_TRUE(SendAllOf(golden));
    EncoderParameters plain = StartUp();
    ASSERT_TRUE(ReadAll(session, plain));
    // The copy sends the factor: the revolutions it would not send are named, with the
    // encoder's values.
    VerifyResult r = Verify(plain);
    EXPECT_EQ(r.counts.different, 0);
    EXPECT_EQ(Row(r, "revolutions").status, VerifyStatus::NotSent);
    EXPECT_EQ(Row(r, "revolutions").reason, NotSentReason::OtherScaling);
    EXPECT_EQ(Row(r, "revolutions").encoderValue, "4096");
    EXPECT_EQ(Row(r, "stepsForRevolutions").encoderValue, "8192");
    EXPECT_EQ(Row(r, "scalingFactorText").status, VerifyStatus::Equal);
    EXPECT_EQ(Row(r, "scalingSelection").status, VerifyStatus::NotReadable);
    r = Verify(golden);
    EXPECT_EQ(Row(r, "revolutions").status, VerifyStatus::Equal);
    EXPECT_EQ(Row(r, "stepsForRevolutions").status, VerifyStatus::Equal);
}

TEST_F(VerifyOnSimulator, DebounceWithoutExtendedFunctionsAndAWithheldStatusBit) {
    EncoderParameters set = StartUp();
    set.debounceTime = 20;
    set.limit1BitPosition = 3;
    set.overspeedBitPosition = 3;
    set.overspeedBitOn = 1;
    set.overspeedValue = 50;
    ASSERT_TRUE(SendAllOf(set));
    VerifyResult r = Verify(set);
    EXPECT_EQ(r.counts.different, 0);
    EXPECT_EQ(Row(r, "debounceTime").reason, NotSentReason::ExtendedModeOff);
    EXPECT_EQ(Row(r, "debounceTime").encoderValue, "255");
    for (const char* m : {"overspeedBitPosition", "overspeedBitOn", "overspeedValue"}) {
        EXPECT_EQ(Row(r, m).status, VerifyStatus::NotSent) << m;
        EXPECT_EQ(Row(r, m).reason, NotSentReason::StatusBitTaken) << m;
    }
    EXPECT_EQ(Row(r, "overspeedBitPosition").encoderValue, "8");
    EXPECT_EQ(Row(r, "overspeedValue").encoderValue, "100");
    // With the extended functions the send would write the debounce time: the encoder differs.
    session.extendedMode = 1;
    r = Verify(set);
    EXPECT_EQ(With(r, VerifyStatus::Different), Strings{"debounceTime"});
}

TEST_F(VerifyOnSimulator, AFailedReadStopsWithoutAVerdict) {
    int telegrams = 0;
    link.SetTelegramObserver([&](const std::uint8_t*, int) {
        if (++telegrams == 12) sim.SetSilent(true);
    });
    link.linkUsed = false;
    VerifyResult r;
    r.rows.resize(3);
    EXPECT_FALSE(VerifyEncoder(session, p, session.statusBitOwners, r));
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(r.counts.Total(), 0);
    EXPECT_EQ(link.DeviceErrorText(), ResString(57656));
    EXPECT_FALSE(link.linkUsed);
    link.SetTelegramObserver({});
}

TEST_F(VerifyOnSimulator, AFailedShiftReplyLeavesOnlyTheShiftUnread) {
    ASSERT_TRUE(SendAll(session));
    link.SetTelegramObserver([&](const std::uint8_t* t, int n) {
        if (t[0] == kReadRequestCode && t[n - 1] == 30) sim.CorruptReplies(sim::kAlways);
    });
    VerifyResult r;
    ASSERT_TRUE(VerifyEncoder(session, p, session.statusBitOwners, r));
    link.SetTelegramObserver({});
    EXPECT_EQ(Row(r, "positionShift").status, VerifyStatus::NotReadable);
    EXPECT_EQ(Row(r, "positionShift").encoderValue, "");
    EXPECT_EQ(r.counts.different, 0);
}

TEST_F(ParamsOnSimulator, PlanSendIsWhatSendAllSends) {
    Generator g{std::mt19937(11)};
    for (int extended = 0; extended <= 1; ++extended) {
        EncoderParameters set = RandomSet(g);
        set.overspeedBitPosition = set.limit1BitPosition = 2;  // limit 1 takes it first
        session.statusBitOwners.fill(0);
        session.statusBitOwners[5] = 7;  // held by the parity bit since an earlier send
        const auto owners = session.statusBitOwners;
        const std::vector<PlannedWrite> plan = PlanSend(SendGroup::All, 0, set, extended, owners);
        EXPECT_EQ(session.statusBitOwners, owners);
        session.extendedMode = extended;
        ASSERT_TRUE(SendAllOf(set));
        std::vector<Telegram> planned;
        for (const PlannedWrite& w : plan) planned.push_back(WriteTelegram(KpNumber(w.kp), w.data));
        EXPECT_EQ(Take(), planned);
    }
}

TEST(VerifyTexts, LabelsAndValuesAreTheDialogs) {
    Generator g{std::mt19937(9)};
    const EncoderParameters set = RandomSet(g);
    const auto labels = [&] {
        std::set<std::string> seen;
        for (const ParameterLine& line : DescribeConfiguration(set)) {
            EXPECT_FALSE(line.label.empty()) << line.member;
            EXPECT_FALSE(line.fileValue.empty()) << line.member;
            EXPECT_TRUE(seen.insert(line.label).second) << line.label;
        }
        return seen;
    };
    EXPECT_EQ(labels().count("Grenzwert 3 (Bitposition)"), 1u);
    EXPECT_EQ(SummaryText({55, 1, 1, 1}),
              "58 Parameter: 55 gleich, 1 abweichend, 1 nicht gesendet, 1 nicht lesbar");
    EXPECT_EQ(FirmwareVersionText({'1', '2', ':', '4'}, true), "00.12");

    ResourceSet english;
    ASSERT_TRUE(english.LoadFile(VELTRIN_BUILD_DIR "/veltrin.en.txt"));
    UseResourceSet(&english);
    const std::set<std::string> englishLabels = labels();
    EXPECT_EQ(englishLabels.count("Limit 3 (bit position)"), 1u);
    for (int s = 0; s < 4; ++s) EXPECT_NE(StatusText(static_cast<VerifyStatus>(s)), "");
    UseResourceSet(nullptr);
}
