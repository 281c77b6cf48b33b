// The sends against the simulated encoder: the telegrams of every item in their order and
// bytes, the shared status-bit positions, send-all and its stops, and parameter sets of any
// content (as a file may bring).
#include <gtest/gtest.h>

#include <random>

#include "ParamsSimFixture.h"
#include "doc/SendNotes.h"
#include "res/Resources.h"

using namespace veltrin;
using veltrin::test::ParamsOnSimulator;

namespace {
using Telegrams = std::vector<Telegram>;
}

TEST_F(ParamsOnSimulator, SendPresetsItemsAndWhole) {
    p.internalPreset = -1;
    p.extPreset1 = 0x123456;
    p.extPreset1On = 1;
    p.extPreset1ActiveHigh = 1;
    p.extPreset2 = -8388608;
    p.extPreset2On = 1;
    p.extPreset2ActiveHigh = 0;
    p.presetOffset = 7;
    p.lengthMeasurementOn = 1;
    p.debounceTime = 300;  // its low byte goes out

    ASSERT_TRUE(SendPresets(session, 0));  // extended functions off: no debounce time
    EXPECT_EQ(Take(), (Telegrams{{1, 0xFF, 0xFF, 0xFF},
                                 {2, 0x12, 0x34, 0x56},
                                 {32, 0, 0, 0x03},
                                 {3, 0x80, 0x00, 0x00},
                                 {33, 0, 0, 0x01},
                                 {4, 0, 0, 7},
                                 {39, 0, 0, 1}}));
    session.extendedMode = 1;
    ASSERT_TRUE(SendPresets(session, 0));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{1, 2, 23, 32, 3, 33, 4, 39}));

    const std::vector<std::vector<int>> items = {{1}, {2, 32}, {3, 33}, {4}, {39}, {23}};
    for (int item = 1; item <= 6; ++item) {
        ASSERT_TRUE(SendPresets(session, item)) << item;
        EXPECT_EQ(Codes(Take()), items[static_cast<std::size_t>(item - 1)]) << item;
    }
    EXPECT_EQ(sim.Ram(23), (sim::Data3{0, 0, 0x2C}));
    EXPECT_FALSE(SendPresets(session, 7));
    EXPECT_TRUE(Take().empty());
}

TEST_F(ParamsOnSimulator, SendScalingSendsOneStepsParameterPerScaling) {
    p.stepsForMeasuringSteps = 1000;
    p.measuringSteps = 360;
    p.stepsForRevolutions = 0xABCDEF;
    p.revolutions = 0x1000001;  // beyond 24 bits: the low 24 go out
    ASSERT_TRUE(SendScaling(session, 1));
    EXPECT_EQ(Take(), (Telegrams{{8, 0xFF, 0xFF, 0xFF}}));
    ASSERT_TRUE(SendScaling(session, 2));
    EXPECT_EQ(Take(), (Telegrams{{10, 0x00, 0x03, 0xE8}, {11, 0x00, 0x01, 0x68}}));
    ASSERT_TRUE(SendScaling(session, 3));
    EXPECT_EQ(Take(), (Telegrams{{10, 0xAB, 0xCD, 0xEF}, {9, 0x00, 0x00, 0x01}}));
    EXPECT_FALSE(SendScaling(session, 0));
    EXPECT_FALSE(SendScaling(session, 4));
    EXPECT_TRUE(Take().empty());
}

TEST_F(ParamsOnSimulator, SendLimitsPairsValueAndStatusBit) {
    p.limit1Value = 1;
    p.limit2Value = 2;
    p.limit3Value = 3;
    p.limit4Value = 4;
    p.limit1BitPosition = 3;
    p.limit1BitOn = 1;
    p.limit1BitActiveLow = 1;
    p.limit2BitPosition = 2;
    p.limit3BitPosition = 8;
    p.limit3BitOn = 1;
    p.limit4BitPosition = 0;  // a table entry; the encoder shows it as none
    ASSERT_TRUE(SendLimits(session, 0));
    EXPECT_EQ(Take(), (Telegrams{{16, 0, 0, 1},
                                 {40, 0, 0, 0x0B},
                                 {18, 0, 0, 2},
                                 {42, 0, 0, 0x12},
                                 {17, 0, 0, 3},
                                 {41, 0, 0, 0x10},
                                 {19, 0, 0, 4},
                                 {43, 0, 0, 0x10}}));
    EXPECT_EQ(session.statusBitOwners, (std::array<std::int32_t, 8>{4, 0, 2, 1, 0, 0, 0, 0}));

    // Limit 2 moves from 2 to 5: position 2 is free for the direction bit.
    p.limit2BitPosition = 5;
    ASSERT_TRUE(SendLimits(session, 2));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{18, 42}));
    p.directionBitPosition = 2;
    ASSERT_TRUE(SendStatusBits(session, 5));
    EXPECT_EQ(Take(), (Telegrams{{48, 0, 0, 0x12}}));

    // A position typed out of range: the value goes, the status bit silently does not.
    p.limit1BitPosition = 9;
    ASSERT_TRUE(SendLimits(session, 1));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{16}));
    EXPECT_EQ(session.statusBitOwners[3], 1);
}

TEST_F(ParamsOnSimulator, StatusBitClashesSkipOnlyTheClashingFunction) {
    p.limit1BitPosition = 3;
    ASSERT_TRUE(SendLimits(session, 1));
    Take();
    // "Überdrehzahl" at 3, held by limit 1: true, but neither KP 44 nor KP 22.
    p.overspeedBitPosition = 3;
    p.overspeedValue = 300;
    ASSERT_TRUE(SendStatusBits(session, 1));
    EXPECT_TRUE(Take().empty());

    // The whole group goes on after the skipped function.
    p.standstillBitPosition = 4;
    p.parityBitPosition = 3;  // held by limit 1 as well
    p.encoderErrorBitPosition = 8;
    p.directionBitPosition = 4;  // standstill takes 4 first
    ASSERT_TRUE(SendStatusBits(session, 0));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{45, 47}));

    // Limit 1 to none frees 3; now overspeed goes out with its threshold's low byte.
    p.limit1BitPosition = 8;
    ASSERT_TRUE(SendLimits(session, 1));
    Take();
    ASSERT_TRUE(SendStatusBits(session, 1));
    EXPECT_EQ(Take(), (Telegrams{{44, 0, 0, 0x13}, {22, 0, 0, 0x2C}}));
}

TEST_F(ParamsOnSimulator, SendDataFormatItems) {
    p.ssiConfiguration = 1;
    p.numberRepresentation = 2;
    p.outputCode = 1;
    p.outputFormat = 1;
    p.bitsS = 12;
    p.bitsU = 13;
    p.positionShift = 0x105;
    ASSERT_TRUE(SendDataFormat(session, 4));
    EXPECT_EQ(Take(), (Telegrams{{37, 0, 0, 1}, {20, 0, 0, 0xCD}}));
    p.outputFormat = 2;
    ASSERT_TRUE(SendDataFormat(session, 4));
    EXPECT_EQ(Take(), (Telegrams{{37, 0, 0, 2}, {21, 12, 13, 25}}));
    // The encoder refuses a left shift by 5 only if it is too large; 5 is fine.
    ASSERT_TRUE(SendDataFormat(session, 5));
    EXPECT_EQ(Take(), (Telegrams{{30, 0, 1, 5}}));
    ASSERT_TRUE(SendDataFormat(session, 0));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{29, 36, 35, 37, 21, 30}));
    EXPECT_FALSE(SendDataFormat(session, 6));

    ASSERT_TRUE(SendCountDirection(session, 0));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{38, 34}));
    p.extDirSwitchOn = 1;
    p.extDirSwitchActiveHigh = 1;
    ASSERT_TRUE(SendCountDirection(session, 2));
    EXPECT_EQ(Take(), (Telegrams{{34, 0, 0, 3}}));
    ASSERT_TRUE(SendCountDirection(session, 1));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{38}));
    EXPECT_FALSE(SendCountDirection(session, 3));
}

TEST_F(ParamsOnSimulator, SendAllOrderAndStops) {
    p.scalingSelection = 2;
    ASSERT_TRUE(SendAll(session));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{1,  2,  32, 3,  33, 4,  39,  // presets
                                               10, 9,                       // revolutions
                                               16, 40, 18, 42, 17, 41, 19, 43, 29, 36, 35,
                                               37, 21, 30, 44, 22, 45, 46, 47, 48, 38, 34}));

    // A selection that names no scaling ends send-all after the presets.
    p.scalingSelection = 3;
    EXPECT_FALSE(SendAll(session));
    EXPECT_EQ(Codes(Take()), (std::vector<int>{1, 2, 32, 3, 33, 4, 39}));

    // The encoder refuses limit 1's value: nothing after it goes out.
    p.scalingSelection = 0;
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == KpNumber(Kp::Limit1Value)) sim.NakTelegrams(sim::kAlways, 3);
    });
    EXPECT_FALSE(SendAll(session));
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 3);
    const auto codes = Codes(Take());
    EXPECT_EQ(codes.back(), 16);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 8), 1);
}

TEST_F(ParamsOnSimulator, ParameterSetsOfAnyContentAreSentSafely) {
    // 196 random bytes, as a damaged file may bring: every send runs to its end or to the
    // encoder's refusal, writes only what may be written and keeps the status-bit table sane.
    std::mt19937 rng(2024);
    for (int round = 0; round < 3; ++round) {
        EncoderParameters q;
        auto* raw = reinterpret_cast<std::uint8_t*>(&q);
        for (std::size_t i = 0; i < sizeof q; ++i) raw[i] = static_cast<std::uint8_t>(rng());
        if (round % 2) q.scalingSelection = static_cast<std::uint16_t>(rng() % 3);
        session.extendedMode = round % 2;
        p = q;
        SendAll(session);
        for (int item = 0; item <= 6; ++item) SendPresets(session, item);
        for (int item = 0; item <= 4; ++item) SendScaling(session, item);
        for (int item = 0; item <= 4; ++item) SendLimits(session, item);
        for (int item = 0; item <= 5; ++item) SendDataFormat(session, item);
        for (int item = 0; item <= 5; ++item) SendStatusBits(session, item);
        for (int item = 0; item <= 2; ++item) SendCountDirection(session, item);
        for (const Telegram& t : Take()) {
            // Only catalogue parameters that may be written, never a read-only one.
            const KpEntry* e = FindKp(t[0]);
            ASSERT_NE(e, nullptr) << int(t[0]);
            ASSERT_TRUE(IsWritable(*e)) << int(t[0]);
        }
        for (std::int32_t owner : session.statusBitOwners) {
            ASSERT_GE(owner, 0);
            ASSERT_LE(owner, 9);
        }
    }
}

// ---- What a send tells beyond its result ----------------------------------------------------

namespace {
/// A set the simulated encoder takes whole, with one member changed.
EncoderParameters With(EncoderParameters p, void (*change)(EncoderParameters&)) {
    change(p);
    return p;
}
}  // namespace

TEST_F(ParamsOnSimulator, ARefusedSendNamesTheParameterUnderTheEncodersReason) {
    // A member outside what the encoder takes, the parameter it goes out under, the reason.
    struct Case {
        void (*change)(EncoderParameters&);
        const char* text;
    };
    const Case cases[] = {
        {[](EncoderParameters& q) { q.outputFormat = 7; },
         "Geber meldet Parameterwert ungültig !\nParameter: Ausgabeformat (KP 37)"},
        {[](EncoderParameters& q) { q.overspeedValue = 0; },
         "Geber meldet Parameterwert zu klein !\nParameter: Schwellwert Überdrehzahl (KP 22)"},
        {[](EncoderParameters& q) { q.bitsS = 40; },
         "Geber meldet Parameterwert zu groß !\nParameter: Anzahl Bits (KP 21)"},
        {[](EncoderParameters& q) { q.extPreset2On = 9; },
         "Geber meldet Parameterwert ungültig !\nParameter: Eingang Externer Preset 2 (KP 33)"},
        {[](EncoderParameters& q) { q.positionShift = 17; },
         "Geber meldet Parameterwert zu groß !\nParameter: Shift des Positionswerts (KP 30)"},
    };
    for (const Case& c : cases) {
        SendReport report;
        EXPECT_FALSE(SendAllOf(With(p, c.change), &report));
        EXPECT_EQ(SendFailureText(report, link), c.text);
    }
    // A single item's send names it the same way.
    SendReport report;
    p.countDirectionBackward = 2;
    EXPECT_FALSE(SendCountDirection(session, 1, &report));
    p.countDirectionBackward = 0;
    EXPECT_EQ(RefusedParameterText(report, link), "Parameter: Interne Zählrichtung (KP 38)");

    // No answer is no refusal: the device-error text alone, though the report knows the telegram.
    sim.SetSilent(true);
    EXPECT_FALSE(SendPresets(session, 1, &report));
    EXPECT_EQ(report.failedWrite, Kp::InternalPreset);
    EXPECT_EQ(SendFailureText(report, link), "Geber antwortet nicht !");
    sim.SetSilent(false);

    // In English.
    ResourceSet english;
    ASSERT_TRUE(english.LoadFile(VELTRIN_BUILD_DIR "/veltrin.en.txt"));
    UseResourceSet(&english);
    EXPECT_FALSE(SendAllOf(With(p, cases[0].change), &report));
    const std::string text = SendFailureText(report, link);
    UseResourceSet(nullptr);
    EXPECT_EQ(text.substr(text.find('\n') + 1), "Parameter: Output format (KP 37)");
}

TEST_F(ParamsOnSimulator, SendAllNamesTheStatusBitsItWithheld) {
    p.limit1BitPosition = 3;
    p.overspeedBitPosition = 3;  // held by limit 1, which goes first
    p.standstillBitPosition = 5;
    p.directionBitPosition = 5;  // held by the standstill bit
    p.parityBitPosition = 9;     // no position at all
    SendReport report;
    ASSERT_TRUE(SendAll(session, &report));
    ASSERT_EQ(report.withheld.size(), 3u);
    const WithheldStatusBit& first = report.withheld[0];
    EXPECT_EQ(first.kp, Kp::OverspeedBit);
    EXPECT_EQ(first.owner, 5);
    EXPECT_EQ(first.position, 3);
    EXPECT_EQ(first.holder, 1);
    EXPECT_EQ(report.withheld[1].kp, Kp::ParityBit);
    EXPECT_EQ(report.withheld[1].holder, 0);
    EXPECT_EQ(report.withheld[2].kp, Kp::DirectionBit);
    EXPECT_EQ(report.withheld[2].holder, 6);
    EXPECT_FALSE(report.failedWrite);
    EXPECT_EQ(WithheldText(report),
              "Nicht gesendet, da die Bitposition belegt ist: Überdrehzahl (Bitposition 3, belegt durch "
              "Grenzwert 1), Parityüberwachung (Bitposition 9 ungültig), Drehrichtung (Bitposition 5, belegt "
              "durch Stillstandsüberwachung)");
    // Sent again, the same bits are withheld again; the report starts empty every time.
    ASSERT_TRUE(SendAll(session, &report));
    EXPECT_EQ(report.withheld.size(), 3u);
    // Freed positions leave nothing to tell.
    p.overspeedBitPosition = p.directionBitPosition = p.parityBitPosition = 8;
    ASSERT_TRUE(SendAll(session, &report));
    EXPECT_TRUE(report.withheld.empty());
    EXPECT_EQ(WithheldText(report), "");
}

TEST_F(ParamsOnSimulator, ASelectionThatNamesNoScalingIsTheReasonNotAnOlderError) {
    // An earlier refusal leaves its error in the link; send-all of a selection above 2 stops
    // after the presets without a telegram failing, and says so instead.
    SendReport report;
    p.outputCode = 4;
    ASSERT_FALSE(SendDataFormat(session, 3, &report));
    p.outputCode = 0;
    ASSERT_TRUE(link.deviceError.nakReceived);
    Take();
    for (std::uint16_t selection : {3, 255, 65535}) {
        p.scalingSelection = selection;
        EXPECT_FALSE(SendAll(session, &report));
        EXPECT_EQ(Codes(Take()), (std::vector<int>{1, 2, 32, 3, 33, 4, 39}));
        EXPECT_EQ(report.invalidScalingSelection, selection);
        EXPECT_FALSE(report.failedWrite);
        EXPECT_EQ(SendFailureText(report, link), "Auswahl Skalierung " + std::to_string(selection) +
                                                     " ist nicht 0, 1 oder 2: nach den Presets wurde nichts "
                                                     "gesendet.");
    }
    // A failed preset is the encoder's failure as ever.
    sim.NakTelegrams(sim::kAlways, 3);
    EXPECT_FALSE(SendAll(session, &report));
    EXPECT_FALSE(report.invalidScalingSelection);
    EXPECT_EQ(SendFailureText(report, link),
              "Geber meldet Parameterwert zu groß !\nParameter: Interner Preset (KP 1)");
}
