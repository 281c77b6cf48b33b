// Read-all without a line: the steps' order and what each step stores from its reply.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "ReplyBlocks.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"

using namespace veltrin;
using veltrin::test::kReadAllOrder;
using veltrin::test::Reply;

namespace {
int StepOf(Kp kp) {
    for (int step = 1; step <= kReadAllSteps; ++step)
        if (ReadAllStepKp(step) == kp) return step;
    return 0;
}

void Store(Kp kp, std::initializer_list<std::uint8_t> bytes, EncoderParameters& p) {
    StoreReadAllReply(StepOf(kp), Reply(bytes), p);
}

EncoderParameters StartUp() {
    EncoderParameters p;
    Link link;
    p = DefaultEncoderParameters();
    return p;
}

}  // namespace

TEST(ReadAllSteps, StepOrderAndKpNumbers) {
    std::vector<int> kps;
    for (int step = 1; step <= kReadAllSteps; ++step) kps.push_back(KpNumber(ReadAllStepKp(step)));
    EXPECT_EQ(kps, kReadAllOrder);
}

TEST(ReadAllSteps, FlagsAreZeroOrOneAndInputLevelsAreTakenOver) {
    EncoderParameters p = StartUp();
    Store(Kp::ExtPreset1Input, {0xFF, 0x61, 0}, p);  // b2: bit 0, 5, 6 set
    EXPECT_EQ(p.extPreset1On, 1);
    EXPECT_EQ(p.extPreset1ActiveHigh, 1);
    EXPECT_EQ(p.presetReplyBit5Clear, 0);
    EXPECT_EQ(p.presetReplyBit6Clear, 0);
    Store(Kp::ExtPreset1Input, {0xFD, 0x9E, 0}, p);
    EXPECT_EQ(p.extPreset1On, 0);
    EXPECT_EQ(p.extPreset1ActiveHigh, 0);
    EXPECT_EQ(p.presetReplyBit5Clear, 1);
    EXPECT_EQ(p.presetReplyBit6Clear, 1);
    Store(Kp::ExtPreset2Input, {0x04, 0x01, 0}, p);
    EXPECT_EQ(p.extPreset2On, 1);
    EXPECT_EQ(p.extPreset2ActiveHigh, 1);
    Store(Kp::ExtDirSwitchInput, {0x80, 0x01, 0}, p);
    EXPECT_EQ(p.extDirSwitchOn, 1);
    EXPECT_EQ(p.extDirSwitchActiveHigh, 1);  // taken too: a backup keeps the encoder's level
    Store(Kp::LengthMeasurement, {0x04, 0, 0}, p);
    EXPECT_EQ(p.lengthMeasurementOn, 1);
    Store(Kp::CountDirection, {0xFF, 0, 0}, p);
    EXPECT_EQ(p.countDirectionBackward, 1);
    Store(Kp::OutputCode, {0xFE, 0, 0}, p);
    EXPECT_EQ(p.outputCode, 0);
    Store(Kp::SsiConfiguration, {0, 0x08, 0}, p);
    EXPECT_EQ(p.ssiConfiguration, 0);
    Store(Kp::SsiConfiguration, {0xFF, 0xF7, 0xFF}, p);
    EXPECT_EQ(p.ssiConfiguration, 1);
    Store(Kp::NumberRepresentation, {0x10, 0x00, 0}, p);
    EXPECT_EQ(p.numberRepresentation, 1);
    Store(Kp::NumberRepresentation, {0x00, 0x10, 0}, p);
    EXPECT_EQ(p.numberRepresentation, 2);
    Store(Kp::NumberRepresentation, {0xEF, 0xEF, 0}, p);
    EXPECT_EQ(p.numberRepresentation, 0);
    Store(Kp::Limit3Bit, {0x0B, 0, 0}, p);
    EXPECT_EQ(p.limit3BitPosition, 3);
    EXPECT_EQ(p.limit3BitOn, 1);
    EXPECT_EQ(p.limit3BitActiveLow, 1);
    Store(Kp::DirectionBit, {0x10, 0, 0}, p);
    EXPECT_EQ(p.directionBitPosition, 8);
    EXPECT_EQ(p.directionBitOn, 0);
    EXPECT_EQ(p.directionBitActiveLow, 0);
}

TEST(ReadAllSteps, ValuesScalingAndSteps) {
    EncoderParameters p = StartUp();
    Store(Kp::Limit2Value, {0x80, 0x00, 0x00}, p);
    EXPECT_EQ(p.limit2Value, -8388608);
    Store(Kp::Steps, {0x80, 0x00, 0x00}, p);
    EXPECT_EQ(p.stepsForMeasuringSteps, 8388608u);
    EXPECT_EQ(p.stepsForRevolutions, 0u);  // copied only with the measuring steps
    Store(Kp::MeasuringSteps, {0, 0, 7}, p);
    EXPECT_EQ(p.measuringSteps, 7u);
    EXPECT_EQ(p.stepsForRevolutions, 8388608u);
    Store(Kp::DebounceTime, {200, 1, 1}, p);
    EXPECT_EQ(p.debounceTime, 200u);

    // The scaling text fills its ten bytes and leaves the next member alone.
    p.stepsForMeasuringSteps = 0x11223344;
    Store(Kp::ScalingFactor, {0xFF, 0xFF, 0xFC}, p);
    EXPECT_EQ(std::string(p.scalingFactorText, 10), "0.99999988");
    EXPECT_EQ(p.stepsForMeasuringSteps, 0x11223344u);
    // A factor the query shows as 1.0 keeps a text that sends it back as it was read.
    Store(Kp::ScalingFactor, {0xFF, 0xFF, 0xFD}, p);
    EXPECT_EQ(std::string(p.scalingFactorText, 10), "0.99999994");
    Store(Kp::ScalingFactor, {0xFF, 0xFF, 0xFF}, p);
    EXPECT_EQ(std::string(p.scalingFactorText, 10), "1.00000000");
}

TEST(ReadAllSteps, BitCountsFollowTheFormatJustRead) {
    for (std::uint8_t format : {0, 1, 2, 3}) {
        EncoderParameters p = StartUp();
        Store(Kp::OutputFormat, {static_cast<std::uint8_t>(0xFC | format), 0, 0}, p);
        EXPECT_EQ(p.outputFormat, format);
        Store(Kp::BitNibbles, {0xCD, 0, 0}, p);
        EXPECT_EQ(p.bitsS, 12u);
        EXPECT_EQ(p.bitsU, 13u);
        Store(Kp::BitCounts, {30, 7, 9}, p);
        EXPECT_EQ(p.bitsTotal, 30u);
        if (format == 1) {  // "Tannenbaum": the nibbles stay
            EXPECT_EQ(p.bitsS, 12u);
            EXPECT_EQ(p.bitsU, 13u);
        } else {
            EXPECT_EQ(p.bitsS, 9u) << int(format);
            EXPECT_EQ(p.bitsU, 7u) << int(format);
        }
    }
}

TEST(ReadAllSteps, ShiftAboveSixteenIsStoredAsZero) {
    EncoderParameters p = StartUp();
    Store(Kp::PositionShift, {0, 0, 16}, p);
    EXPECT_EQ(p.positionShift, 16);
    Store(Kp::PositionShift, {0, 1, 5}, p);  // a left shift by 5
    EXPECT_EQ(p.positionShift, 0);
    Store(Kp::PositionShift, {0, 0, 17}, p);
    EXPECT_EQ(p.positionShift, 0);
}

TEST(ReadAllSteps, AnyReplyStoresSafely) {
    // Replies of any length and content, onto records of any content (as a file may bring):
    // nothing is read outside the block, flags stay 0 or 1, and the members read-all does not
    // own are never written.
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        EncoderParameters p;
        auto* raw = reinterpret_cast<std::uint8_t*>(&p);
        for (std::size_t i = 0; i < sizeof p; ++i) raw[i] = static_cast<std::uint8_t>(rng());
        const EncoderParameters before = p;
        for (int step = 1; step <= kReadAllSteps; ++step) {
            ReplyBlock r;
            r.count = static_cast<std::uint8_t>(rng() % 255);
            for (auto& b : r.data) b = static_cast<std::uint8_t>(rng());
            StoreReadAllReply(step, r, p);
        }
        StoreReadAllReply(0, Reply({1, 2, 3}), p);  // no such steps: nothing
        StoreReadAllReply(36, Reply({1, 2, 3}), p);
        for (std::uint16_t flag :
             {p.extPreset1On, p.extPreset2On, p.presetReplyBit5Clear, p.presetReplyBit6Clear,
              p.extPreset1ActiveHigh, p.extPreset2ActiveHigh, p.lengthMeasurementOn, p.ssiConfiguration,
              p.outputCode, p.countDirectionBackward, p.extDirSwitchOn, p.extDirSwitchActiveHigh,
              p.limit1BitOn, p.limit4BitActiveLow, p.directionBitOn, p.parityBitActiveLow})
            ASSERT_LE(flag, 1);
        for (std::int32_t pos : {p.limit1BitPosition, p.limit2BitPosition, p.limit3BitPosition,
                                 p.limit4BitPosition, p.overspeedBitPosition, p.standstillBitPosition,
                                 p.parityBitPosition, p.encoderErrorBitPosition, p.directionBitPosition}) {
            ASSERT_GE(pos, 1);
            ASSERT_LE(pos, 8);
        }
        ASSERT_LE(p.positionShift, 16);
        ASSERT_LE(p.numberRepresentation, 2);
        ASSERT_LE(p.outputFormat, 3);
        for (char c : p.scalingFactorText) ASSERT_TRUE(c == '.' || (c >= '0' && c <= '9'));
        EXPECT_EQ(p.scalingSelection, before.scalingSelection);
        EXPECT_EQ(p.reserved0, before.reserved0);
        EXPECT_EQ(p.reserved0E, before.reserved0E);
        EXPECT_EQ(p.reserved46, before.reserved46);
        EXPECT_EQ(p.reserved7A, before.reserved7A);
        EXPECT_EQ(p.reserved82, before.reserved82);
        EXPECT_EQ(p.reservedC2, before.reservedC2);
    }
}

// ---- against the simulated encoder ----
