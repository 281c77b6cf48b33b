// Send-all of random parameter sets into the simulated encoder, read-all into a fresh record:
// every member that travels on the wire comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "ParamsSimFixture.h"
#include "RandomSet.h"

using namespace veltrin;
using veltrin::test::Generator;
using veltrin::test::ParamsOnSimulator;
using veltrin::test::RandomSet;

namespace {

/// What read-all gives back for a set that send-all wrote, starting from the start-up record.
EncoderParameters Expected(const EncoderParameters& sent, const EncoderParameters& startUp,
                           const EncoderParameters& readBack) {
    EncoderParameters e = sent;
    // Read-all leaves this alone.
    e.scalingSelection = startUp.scalingSelection;
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
    session.extendedMode = 1;  // the debounce time travels only in the service mode
    for (int set = 0; set < 2; ++set) {
        const EncoderParameters sent = RandomSet(g);
        session.statusBitOwners.fill(0);
        ASSERT_TRUE(SendAllOf(sent)) << link.DeviceErrorText();

        EncoderParameters startUp, readBack;
        startUp = DefaultEncoderParameters();
        readBack = startUp;
        ASSERT_TRUE(ReadAll(session, readBack)) << link.DeviceErrorText();

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
