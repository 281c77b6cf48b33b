// Send-all of random parameter sets into the simulated encoder, read-all into a fresh record:
// every member that travels on the wire comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "ParamsSimFixture.h"

using namespace veltrin;
using veltrin::test::ParamsOnSimulator;

namespace {

struct Generator {
    std::mt19937 rng;
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    std::uint16_t Flag() { return static_cast<std::uint16_t>(Range(0, 1)); }
    std::int32_t S24() { return Range(-8388608, 8388607); }
    std::uint32_t U24() { return static_cast<std::uint32_t>(Range(0, 0xFFFFFF)); }
};

/// A parameter set inside the ranges the encoder accepts, with status-bit positions that do
/// not clash (each of 1 to 7 at most once, 8 any number of times).
EncoderParameters RandomSet(Generator& g) {
    EncoderParameters p;
    Link scratch;
    InitEncoderParameters(p, scratch);
    p.internalPreset = g.S24();
    p.extPreset1 = g.S24();
    p.extPreset2 = g.S24();
    p.presetOffset = g.S24();
    p.extPreset1On = g.Flag();
    p.extPreset2On = g.Flag();
    p.extPreset1ActiveHigh = g.Flag();
    p.extPreset2ActiveHigh = g.Flag();
    p.debounceTime = static_cast<std::uint32_t>(g.Range(sim::kMinDebounce, sim::kMaxDebounce));
    p.lengthMeasurementOn = g.Flag();
    p.scalingSelection = static_cast<std::uint16_t>(g.Range(0, 2));
    if (g.Flag()) {
        ScalingFactorTextFromWire(g.U24(), p.scalingFactorText);
    } else {  // a shorter text as typed, with its terminator
        const std::string typed = "0." + std::to_string(g.Range(0, 999999));
        std::memset(p.scalingFactorText, 0, sizeof p.scalingFactorText);
        std::memcpy(p.scalingFactorText, typed.data(), typed.size());
    }
    p.stepsForMeasuringSteps = g.U24();
    p.measuringSteps = g.U24();
    p.stepsForRevolutions = g.U24();
    p.revolutions = g.U24();
    p.limit1Value = g.S24();
    p.limit2Value = g.S24();
    p.limit3Value = g.S24();
    p.limit4Value = g.S24();

    std::vector<int> positions = {1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8};
    std::shuffle(positions.begin(), positions.end(), g.rng);
    const std::pair<std::int32_t*, std::pair<std::uint16_t*, std::uint16_t*>> bits[] = {
        {&p.limit1BitPosition, {&p.limit1BitOn, &p.limit1BitActiveLow}},
        {&p.limit2BitPosition, {&p.limit2BitOn, &p.limit2BitActiveLow}},
        {&p.limit3BitPosition, {&p.limit3BitOn, &p.limit3BitActiveLow}},
        {&p.limit4BitPosition, {&p.limit4BitOn, &p.limit4BitActiveLow}},
        {&p.overspeedBitPosition, {&p.overspeedBitOn, &p.overspeedBitActiveLow}},
        {&p.standstillBitPosition, {&p.standstillBitOn, &p.standstillBitActiveLow}},
        {&p.parityBitPosition, {&p.parityBitOn, &p.parityBitActiveLow}},
        {&p.encoderErrorBitPosition, {&p.encoderErrorBitOn, &p.encoderErrorBitActiveLow}},
        {&p.directionBitPosition, {&p.directionBitOn, &p.directionBitActiveLow}},
    };
    for (std::size_t i = 0; i < std::size(bits); ++i) {
        *bits[i].first = positions[i];
        *bits[i].second.first = g.Flag();
        *bits[i].second.second = g.Flag();
    }

    p.ssiConfiguration = static_cast<std::uint16_t>(g.Range(0, sim::kMaxSsiConfiguration));
    p.numberRepresentation = static_cast<std::uint16_t>(g.Range(0, sim::kMaxNumberRepresentation));
    p.outputCode = g.Flag();
    p.outputFormat = static_cast<std::uint16_t>(g.Range(0, sim::kMaxOutputFormat));
    p.bitsS = static_cast<std::uint32_t>(g.Range(0, sim::kMaxBitsS));
    p.bitsU = static_cast<std::uint32_t>(g.Range(0, sim::kMaxBitsU));
    p.countDirectionBackward = g.Flag();
    p.extDirSwitchOn = g.Flag();
    p.extDirSwitchActiveHigh = g.Flag();
    p.overspeedValue = static_cast<std::uint32_t>(g.Range(sim::kMinOverspeed, sim::kMaxOverspeed));
    p.positionShift = static_cast<std::uint16_t>(g.Range(0, sim::kMaxShiftAmount));  // right shifts
    return p;
}

/// What read-all gives back for a set that send-all wrote, starting from the start-up record.
EncoderParameters Expected(const EncoderParameters& sent, const EncoderParameters& startUp,
                           const EncoderParameters& readBack) {
    EncoderParameters e = sent;
    // Read-all leaves these alone.
    e.scalingSelection = startUp.scalingSelection;
    e.extDirSwitchActiveHigh = startUp.extDirSwitchActiveHigh;
    // The encoder reports neither bit 5 nor bit 6 of the preset input.
    e.presetReplyBit5Clear = 1;
    e.presetReplyBit6Clear = 1;
    // Only the scaling that was selected travels; the others read back what the encoder had.
    switch (sent.scalingSelection) {
        case 0:
            ScalingFactorTextFromWire(ScalingFactorToWire(sent.scalingFactorText), e.scalingFactorText);
            e.stepsForMeasuringSteps = readBack.stepsForMeasuringSteps;
            e.stepsForRevolutions = readBack.stepsForRevolutions;
            e.measuringSteps = readBack.measuringSteps;
            e.revolutions = readBack.revolutions;
            break;
        case 1:
            std::memcpy(e.scalingFactorText, readBack.scalingFactorText, 10);
            e.stepsForRevolutions = sent.stepsForMeasuringSteps;
            e.revolutions = readBack.revolutions;
            break;
        default:
            std::memcpy(e.scalingFactorText, readBack.scalingFactorText, 10);
            e.stepsForMeasuringSteps = sent.stepsForRevolutions;
            e.measuringSteps = readBack.measuringSteps;
            break;
    }
    // A status bit without a position reads back as off.
    for (auto [position, on] : {std::pair{e.limit1BitPosition, &e.limit1BitOn},
                                {e.limit2BitPosition, &e.limit2BitOn},
                                {e.limit3BitPosition, &e.limit3BitOn},
                                {e.limit4BitPosition, &e.limit4BitOn},
                                {e.overspeedBitPosition, &e.overspeedBitOn},
                                {e.standstillBitPosition, &e.standstillBitOn},
                                {e.parityBitPosition, &e.parityBitOn},
                                {e.encoderErrorBitPosition, &e.encoderErrorBitOn},
                                {e.directionBitPosition, &e.directionBitOn}})
        if (position == 8) *on = 0;
    e.bitsTotal = sent.bitsS + sent.bitsU;
    return e;
}

class RoundTrip : public ParamsOnSimulator, public ::testing::WithParamInterface<unsigned> {};

}  // namespace

TEST_P(RoundTrip, SendAllThenReadAllGivesEveryWireMemberBack) {
    Generator g{std::mt19937(GetParam())};
    ExtendedMode = 1;  // the debounce time travels only in the service mode
    for (int set = 0; set < 2; ++set) {
        const EncoderParameters sent = RandomSet(g);
        statusBitOwners.fill(0);
        ASSERT_TRUE(SendAll(sent, link)) << link.DeviceErrorText();

        EncoderParameters startUp, readBack;
        Link scratch;
        InitEncoderParameters(startUp, scratch);
        readBack = startUp;
        ASSERT_TRUE(ReadAll(readBack, link)) << link.DeviceErrorText();

        const EncoderParameters expected = Expected(sent, startUp, readBack);
        // Member by member first, for a readable failure; then the whole image.
        EXPECT_EQ(readBack.internalPreset, expected.internalPreset);
        EXPECT_EQ(readBack.limit3Value, expected.limit3Value);
        EXPECT_EQ(readBack.limit3BitPosition, expected.limit3BitPosition);
        EXPECT_EQ(readBack.bitsS, expected.bitsS);
        EXPECT_EQ(readBack.outputFormat, expected.outputFormat);
        EXPECT_EQ(std::string(readBack.scalingFactorText, 10), std::string(expected.scalingFactorText, 10));
        const auto* a = reinterpret_cast<const std::uint8_t*>(&readBack);
        const auto* b = reinterpret_cast<const std::uint8_t*>(&expected);
        for (std::size_t i = 0; i < sizeof readBack; ++i)
            ASSERT_EQ(a[i], b[i]) << "offset " << i << " seed " << GetParam() << " set " << set;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTrip, ::testing::Values(1u, 2u, 3u));
