// The comparison of two configurations, without an encoder: equal wire values are equal
// whatever the set's text, a change is named, and what either "Alles Senden" leaves out.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "RandomSet.h"
#include "VerifyRows.h"
#include "res/Resources.h"

using namespace veltrin;
using veltrin::test::Generator;
using veltrin::test::RandomSet;
using veltrin::test::Row;
using veltrin::test::StartUp;
using veltrin::test::Strings;
using veltrin::test::With;

TEST(CompareConfigurations, EqualWireValuesAreEqualAndChangesAreNamed) {
    const EncoderParameters a = StartUp();
    EXPECT_EQ(CompareConfigurations(a, a, 0).counts.different, 0);
    Generator g{std::mt19937(3)};
    const EncoderParameters random = RandomSet(g);
    EXPECT_EQ(CompareConfigurations(random, random, 1).counts.different, 0);

    // Texts of the same factor; a debounce time beyond a byte; "An" without a position.
    EncoderParameters b = a;
    std::memcpy(b.scalingFactorText, "1.00000000", 10);
    b.debounceTime = 255 + 256;
    b.limit2BitOn = 1;
    VerifyResult r = CompareConfigurations(a, b, 1);
    EXPECT_EQ(r.counts.different, 0);
    EXPECT_EQ(Row(r, "debounceTime").encoderValue, "255");
    EXPECT_EQ(Row(CompareConfigurations(b, a, 1), "limit2BitOn").fileValue,
              ResString(61213) + " \u2192 " + ResString(61214));
    std::memcpy(b.scalingFactorText, "0.5\0\0\0\0\0\0\0", 10);
    EncoderParameters c = a;
    std::memcpy(c.scalingFactorText, "5e-1\0\0\0\0\0\0", 10);
    EXPECT_EQ(CompareConfigurations(b, c, 0).counts.different, 0);

    c.limit4Value = -7;
    r = CompareConfigurations(a, c, 0);
    EXPECT_EQ(With(r, VerifyStatus::Different), (Strings{"scalingFactorText", "limit4Value"}));
    EXPECT_EQ(Row(r, "limit4Value").encoderValue, "-7");
}

TEST(CompareConfigurations, WhatEitherSendLeavesOut) {
    EncoderParameters a = StartUp(), b = StartUp();
    a.scalingSelection = 1;
    a.stepsForMeasuringSteps = 100;
    b.scalingSelection = 2;
    b.stepsForRevolutions = 100;
    b.revolutions = 4;
    b.debounceTime = 9;
    VerifyResult r = CompareConfigurations(a, b, 0);
    EXPECT_EQ(r.counts.different, 0);
    // One steps parameter on the wire, whichever scaling wrote it.
    EXPECT_EQ(Row(r, "stepsForMeasuringSteps").status, VerifyStatus::Equal);
    EXPECT_EQ(Row(r, "measuringSteps").reason, NotSentReason::NotInSecond);
    EXPECT_EQ(Row(r, "revolutions").reason, NotSentReason::OtherScaling);
    EXPECT_EQ(Row(r, "revolutions").encoderValue, "4");
    EXPECT_EQ(Row(r, "debounceTime").reason, NotSentReason::ExtendedModeOff);
    EXPECT_EQ(With(CompareConfigurations(a, b, 1), VerifyStatus::Different), Strings{"debounceTime"});

    a.scalingSelection = 3;  // "Alles Senden" ends after the presets
    a.parityBitPosition = 9;
    r = CompareConfigurations(a, b, 0);
    EXPECT_EQ(Row(r, "limit1Value").reason, NotSentReason::SendStops);
    a.scalingSelection = 0;
    r = CompareConfigurations(a, b, 0);
    EXPECT_EQ(Row(r, "parityBitOn").reason, NotSentReason::InvalidBitPosition);
}
