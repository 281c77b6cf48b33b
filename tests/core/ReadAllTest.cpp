// Read-all against the simulated encoder: the order on the wire, stopping part-way, the shift
// step's own rules. What each step stores (without a line) is in ReadAllStepsTest.cpp.
#include <gtest/gtest.h>

#include <cstring>

#include "ParamsSimFixture.h"
#include "ReplyBlocks.h"
#include "params/ReadAllSteps.h"

using namespace veltrin;
using veltrin::test::kReadAllOrder;
using veltrin::test::ParamsOnSimulator;

TEST_F(ParamsOnSimulator, ReadAllReadsThirtyFiveParametersInOrder) {
    EncoderParameters before = p;
    int exchanges = 0;
    link.SetTelegramObserver([&](const std::uint8_t*, int) { ++exchanges; });
    ASSERT_TRUE(ReadAll(session));
    EXPECT_EQ(exchanges, kReadAllSteps);
    EXPECT_EQ(ReadKps(Take()), kReadAllOrder);
    // The simulator's defaults are the program's start-up values; only the factor's text is
    // written the way read-all writes it.
    EXPECT_EQ(std::string(p.scalingFactorText, 10), "1.00000000");
    std::memcpy(before.scalingFactorText, p.scalingFactorText, 10);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

TEST_F(ParamsOnSimulator, ReadAllStoppingAfterTheScalingLeavesTheRestAsBefore) {
    sim.SetRam(1, EncodeSigned24(-5));
    sim.SetRam(4, EncodeSigned24(1234));
    sim.SetRam(11, EncodeUnsigned24(4096));
    sim.SetRam(9, EncodeUnsigned24(16));
    sim.SetRam(16, EncodeSigned24(77));  // not reached
    p.limit1Value = 99;
    p.limit1BitPosition = 5;
    // The encoder falls silent when the first limit is asked for.
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == KpNumber(Kp::Limit1Value)) sim.SetSilent(true);
    });
    EXPECT_FALSE(ReadAll(session));
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(p.internalPreset, -5);
    EXPECT_EQ(p.presetOffset, 1234);
    EXPECT_EQ(p.measuringSteps, 4096u);
    EXPECT_EQ(p.revolutions, 16u);
    EXPECT_EQ(p.limit1Value, 99);
    EXPECT_EQ(p.limit1BitPosition, 5);
    EXPECT_EQ(p.bitsTotal, 24u);
}

TEST_F(ParamsOnSimulator, ReadAllRefusedInTheMiddleStopsWithTheEncodersReason) {
    // A refused read of the output code (step 23): the reason is fetched, earlier steps stay.
    sim.SetRam(36, EncodeByte(2));
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == KpNumber(Kp::OutputCode)) sim.NakTelegrams(sim::kAlways, 1);
    });
    EXPECT_FALSE(ReadAll(session));
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 1);
    EXPECT_EQ(p.numberRepresentation, 2);
    const auto kps = ReadKps(Take());
    EXPECT_EQ(kps.back(), KpNumber(Kp::OutputCode));
}

TEST_F(ParamsOnSimulator, ReadAllShiftStepFailures) {
    // A reply that never arrives intact: the shift is 0 and read-all still succeeds.
    sim.SetRam(30, EncodePositionShift(7));
    p.positionShift = 3;
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == KpNumber(Kp::PositionShift)) sim.CorruptReplies(sim::kAlways);
    });
    EXPECT_TRUE(ReadAll(session));
    EXPECT_EQ(p.positionShift, 0);
    EXPECT_EQ(ReadKps(Take()).size(), static_cast<std::size_t>(kReadAllSteps));  // the request went once
    sim.CorruptReplies(0);

    // A request the encoder refuses: false, the shift as before.
    p.positionShift = 3;
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == KpNumber(Kp::PositionShift))
            sim.NakTelegrams(sim::kAlways, 2);
    });
    EXPECT_FALSE(ReadAll(session));
    EXPECT_EQ(p.positionShift, 3);
    EXPECT_EQ(link.deviceError.errorNumber, 2);
}
