// The wire encodings, the catalogue, the start-up values and the status-bit table: everything
// of the parameter layer that needs no line.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

#include "ReplyBlocks.h"
#include "params/Catalogue.h"
#include "params/Encoding.h"
#include "params/Operations.h"

using namespace veltrin;
using veltrin::test::Reply;

namespace {
std::string FieldString(const char (&field)[kScalingTextSize]) {
    return std::string(field, kScalingTextSize);
}
}  // namespace

TEST(Encoding, TwentyFourBitValuesKeepSignAndLowBits) {
    EXPECT_EQ(EncodeSigned24(-1), (WireBytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(DecodeSigned24(Reply({0xFF, 0xFF, 0xFF})), -1);
    EXPECT_EQ(DecodeSigned24(Reply({0x80, 0x00, 0x00})), -8388608);
    EXPECT_EQ(DecodeSigned24(Reply({0x7F, 0xFF, 0xFF})), 8388607);
    EXPECT_EQ(EncodeSigned24(-8388608), (WireBytes{0x80, 0x00, 0x00}));
    // Unsigned values stay positive with b1 >= 0x80.
    EXPECT_EQ(DecodeUnsigned24(Reply({0x80, 0x00, 0x00})), 8388608u);
    // Out of range: the low 24 bits go out.
    EXPECT_EQ(EncodeSigned24(0x01234567), (WireBytes{0x23, 0x45, 0x67}));
    EXPECT_EQ(EncodeUnsigned24(0xFF000001u), (WireBytes{0x00, 0x00, 0x01}));
    EXPECT_EQ(EncodeByte(300), (WireBytes{0, 0, 0x2C}));
    // Decoding looks at b1 to b3 only, whatever the block's count says.
    EXPECT_EQ(DecodeSigned24(Reply({})), 0);
}

TEST(Encoding, StatusBitByte) {
    // Position 8 switched on, "aktiv 1": only the level bit.
    EXPECT_EQ(EncodeStatusBitByte(8, 1, 0), 0x10);
    EXPECT_EQ(DecodeStatusBitByte(0x10), (StatusBitSetting{8, 0, 0}));
    // Position 3, on, "aktiv 0".
    EXPECT_EQ(EncodeStatusBitByte(3, 1, 1), 0x0B);
    EXPECT_EQ(DecodeStatusBitByte(0x0B), (StatusBitSetting{3, 1, 1}));
    // Position 0 is written with bits 0-2 clear, which reads back as 8.
    EXPECT_EQ(EncodeStatusBitByte(0, 1, 0), 0x18);
    EXPECT_EQ(DecodeStatusBitByte(0x18).position, 8);
    EXPECT_EQ(EncodeStatusBitByte(7, 0, 1), 0x07);
    // Upper bits of a reply are ignored.
    EXPECT_EQ(DecodeStatusBitByte(0xEF), (StatusBitSetting{7, 1, 1}));
}

TEST(Encoding, InputBitCountsAndShift) {
    EXPECT_EQ(EncodeInputConfigByte(1, 1), 0x03);
    EXPECT_EQ(EncodeInputConfigByte(0, 7), 0x02);
    EXPECT_EQ(EncodeInputConfigByte(1, 0), 0x01);
    EXPECT_EQ(EncodeBitCounts(12, 13), (WireBytes{12, 13, 25}));
    EXPECT_EQ(EncodeBitNibbles(12, 13), (WireBytes{0, 0, 0xCD}));
    EXPECT_EQ(EncodeBitCounts(200, 100), (WireBytes{200, 100, 44}));  // each its low byte
    EXPECT_EQ(EncodePositionShift(0x105), (WireBytes{0, 1, 5}));
    EXPECT_EQ(EncodePositionShift(0xFE07), (WireBytes{0, 0, 7}));
}

TEST(Encoding, ScalingFactorToWire) {
    EXPECT_EQ(ScalingFactorToWire("1.0000000"), 0xFFFFFFu);
    EXPECT_EQ(ScalingFactorToWire("0.5"), 0x7FFFFFu);
    EXPECT_EQ(ScalingFactorToWire("1.00000000"), 0xFFFFFFu);
    EXPECT_EQ(ScalingFactorToWire("abc"), 0u);
    EXPECT_EQ(ScalingFactorToWire(""), 0u);
    EXPECT_EQ(ScalingFactorToWire("."), 0u);
    EXPECT_EQ(ScalingFactorToWire(" .25x"), static_cast<std::uint32_t>(0.25 * 16777215.0));
    EXPECT_EQ(ScalingFactorToWire("-0.5"), static_cast<std::uint32_t>(-8388607) & 0xFFFFFFu);
    EXPECT_EQ(ScalingFactorToWire("0.5,7"), 0x7FFFFFu);  // stops at the first other character
    // An exponent is part of the number, as atof reads it; an "e" without digits is not.
    EXPECT_EQ(ScalingFactorToWire("5e-1"), 0x7FFFFFu);
    EXPECT_EQ(ScalingFactorToWire("0.05E+1"), ScalingFactorToWire("0.5"));
    EXPECT_EQ(ScalingFactorToWire(".5e"), 0x7FFFFFu);
    EXPECT_EQ(ScalingFactorToWire("0.5e-x"), 0x7FFFFFu);
    EXPECT_EQ(ScalingFactorToWire("1e-99999"), 0u);
    EXPECT_EQ(ScalingFactorToWire("1e99999"), 0u);
    // Only ten characters count; an eleventh digit never does.
    EXPECT_EQ(ScalingFactorToWire("0.50000000009"), ScalingFactorToWire("0.50000000"));
    // Products beyond 32 bits are not undefined: they go out as 0.
    EXPECT_EQ(ScalingFactorToWire("9999999999"), 0u);
    EXPECT_EQ(ScalingFactorToWire("-999999999"), 0u);
    // 127 × 16777215 still fits 32 bits: the low 24 bits go out.
    EXPECT_EQ(ScalingFactorToWire("127"), static_cast<std::uint32_t>(127LL * 16777215LL) & 0xFFFFFFu);

    // A full field without terminator is read up to its tenth byte and no further.
    struct {
        char field[10];
        char after[6];
    } padded;
    std::memcpy(padded.field, "0.50000000", 10);
    std::memcpy(padded.after, "99999", 6);
    EXPECT_EQ(ScalingFactorToWire(padded.field), 0x7FFFFFu);
}

TEST(Encoding, ScalingFactorFromWire) {
    // Wire value, read-all's text: the "%010.8f" of the factor where it sends back as the same
    // value, else the nearest text that does.
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x7FFFFF, "0.50000000"},
        {0xFFFFFC, "0.99999988"},
        {0, "0.00000000"},
        {1, "0.00000006"},
        // The factor 0.9164106 as entered goes out as 15374817; its plain text 0.91641062
        // would come back as 15374818.
        {15374817, "0.91641061"},
        // From 0.9999999 on the query shows 1.0, but "1.00000000" sends 0xFFFFFF: the two
        // values below it keep texts of their own, which send them back.
        {0xFFFFFD, "0.99999994"},
        {0xFFFFFE, "0.99999999"},
        {0xFFFFFF, "1.00000000"},
        // Bits above the 24 of the wire do not count.
        {0x1FFFFFF, "1.00000000"}};
    char field[kScalingTextSize];
    for (auto [u, text] : cases) {
        ScalingFactorTextFromWire(u, field);
        EXPECT_EQ(FieldString(field), text) << std::hex << u;
    }

    EXPECT_EQ(ScalingFactorForQuery(0xFFFFFD), 1.0f);
    EXPECT_EQ(ScalingFactorForQuery(0xFFFFFF), 1.0f);
    EXPECT_FLOAT_EQ(ScalingFactorForQuery(0x7FFFFF), 0.5f);
    EXPECT_LT(ScalingFactorForQuery(0xFFFFFC), 1.0f);
    // The constant is the single-precision one just above 2^-24.
    EXPECT_EQ(ScalingFactorFromWire(1), static_cast<long double>(5.9604652e-8f));
}

TEST(Encoding, ReadAllsFactorTextSendsBackEveryWireValue) {
    // Every 24-bit value: read-all's text, sent again, is the very value read; the text is one
    // of ten characters, within a wire step of the factor read.
    char field[kScalingTextSize];
    std::uint32_t mismatches = 0, badTexts = 0, firstBad = 0;
    for (std::uint32_t u = 0; u <= 0xFFFFFF; ++u) {
        ScalingFactorTextFromWire(u, field);
        const bool shaped =
            (field[0] == '0' || field[0] == '1') && field[1] == '.' &&
            std::all_of(field + 2, field + kScalingTextSize, [](char c) { return c >= '0' && c <= '9'; });
        // The text's value in hundred-millionths, against the factor's: within a wire step.
        long long steps = field[0] - '0';
        for (std::size_t i = 2; i < kScalingTextSize; ++i) steps = steps * 10 + (field[i] - '0');
        const long double distance = static_cast<long double>(steps) - ScalingFactorFromWire(u) * 1e8L;
        const bool near = distance < 5.9604652L && distance > -5.9604652L;
        if (ScalingFactorToWire(field) != u) {
            if (mismatches++ == 0 && badTexts == 0) firstBad = u;
        } else if (!shaped || !near) {
            if (badTexts++ == 0 && mismatches == 0) firstBad = u;
        }
    }
    EXPECT_EQ(mismatches, 0u) << "first at 0x" << std::hex << firstBad;
    EXPECT_EQ(badTexts, 0u) << "first at 0x" << std::hex << firstBad;
}

TEST(Encoding, ReadAllsFactorTextIsPrintfsWhereThatSendsBack) {
    // Where the plain "%010.8f" of the factor sends back as the value, read-all writes exactly
    // it; elsewhere the text next to it, one hundred-millionth up or down.
    std::mt19937 rng(17);
    char field[kScalingTextSize];
    int moved = 0;
    const int samples = 20000;
    for (int i = 0; i < samples; ++i) {
        const std::uint32_t u = rng() % 0xFFFFFD;  // below the values that print as 1 or more
        // "%010.8f" of the factor, which lies below 1 here: "0.dddddddd".
        char plain[32] = {};
        std::to_chars(plain, plain + sizeof plain, ScalingFactorFromWire(u), std::chars_format::fixed, 8);
        ScalingFactorTextFromWire(u, field);
        if (ScalingFactorToWire(std::string_view(plain, kScalingTextSize)) == u) {
            ASSERT_EQ(FieldString(field), std::string(plain, kScalingTextSize)) << std::hex << u;
            continue;
        }
        ++moved;
        const double step =
            ParseScalingFactorText(field) - ParseScalingFactorText(std::string_view(plain, 10));
        ASSERT_NEAR(std::abs(step), 1e-8, 1e-12) << std::hex << u << " " << plain;
    }
    // About 4 % of the values read would have moved on their way back.
    EXPECT_GT(moved, samples / 50);
    EXPECT_LT(moved, samples / 15);
}

TEST(Encoding, ActualValueUnderTheThreeRepresentations) {
    EXPECT_EQ(ActualPositionValue(0x80, 0x00, 0x01, 0, 0), -8388607);
    EXPECT_EQ(ActualPositionValue(0x80, 0x00, 0x01, 1, 0), 8388609);
    EXPECT_EQ(ActualPositionValue(0x80, 0x00, 0x01, 2, 0), -1);
    EXPECT_EQ(ActualPositionValue(0x00, 0x00, 0x05, 2, 0), 5);
    EXPECT_EQ(ActualPositionValue(0x80, 0x00, 0x01, 7, 0), -8388607);  // unknown: two's complement
    EXPECT_EQ(DataBitText(0x80, 0x00, 0x01), "10000000 00000000 00000001");
    EXPECT_EQ(StatusBitText(0xA5), "1010010X");
    EXPECT_EQ(StatusBitText(0x01), "0000000X");  // bit 0 is never shown
    EXPECT_EQ(StatusBitText(0xFF), "1111111X");
}

TEST(Encoding, GrayCodedActualValue) {
    for (std::uint32_t v : {0u, 1u, 2u, 3u, 0x7FFFFFu, 0x800000u, 0x800001u, 0xFFFFFFu, 0x123456u}) {
        const std::uint32_t gray = (v ^ (v >> 1)) & 0xFFFFFF;
        EXPECT_EQ(GrayToBinary24(gray), v);
        const auto b1 = static_cast<std::uint8_t>(gray >> 16), b2 = static_cast<std::uint8_t>(gray >> 8),
                   b3 = static_cast<std::uint8_t>(gray);
        EXPECT_EQ(ActualPositionValue(b1, b2, b3, 1, 1), static_cast<std::int32_t>(v));
        EXPECT_EQ(ActualPositionValue(b1, b2, b3, 0, 1),
                  ActualPositionValue(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                                      static_cast<std::uint8_t>(v), 0, 0));
    }
    // Every change of the data bits changes the number (the display refreshes on a change).
    std::mt19937 rng(3);
    for (int i = 0; i < 10000; ++i) {
        const std::uint32_t a = rng() & 0xFFFFFF, b = rng() & 0xFFFFFF;
        if (a == b) continue;
        for (std::uint32_t rep : {0u, 1u}) {
            ASSERT_NE(ActualPositionValue(a >> 16, a >> 8, a, rep, 1),
                      ActualPositionValue(b >> 16, b >> 8, b, rep, 1));
        }
    }
}

TEST(Catalogue, NumbersGroupsAndAccess) {
    EXPECT_EQ(KpNumber(Kp::Limit2Value), 18);
    EXPECT_EQ(KpNumber(Kp::Limit3Value), 17);
    EXPECT_EQ(KpNumber(Kp::Limit2Bit), 42);
    EXPECT_EQ(KpNumber(Kp::DebounceTime), 23);
    for (int kp : {0, 14, 15, 31}) {
        ASSERT_NE(FindKp(kp), nullptr);
        EXPECT_FALSE(IsWritable(*FindKp(kp))) << kp;
    }
    for (int kp : {26, 27, 28}) {
        ASSERT_NE(FindKp(kp), nullptr);
        EXPECT_FALSE(IsReadable(*FindKp(kp))) << kp;
    }
    for (int kp : {5, 6, 7, 12, 13, 24, 25, 49, 255, -1}) EXPECT_EQ(FindKp(kp), nullptr) << kp;
    EXPECT_EQ(FindKp(48)->id, Kp::DirectionBit);
    EXPECT_EQ(FindKp(1)->group, KpGroup::Presets);
}

TEST(Params, StartUpValues) {
    EncoderSession session;
    EncoderParameters& p = session.parameters;
    Link& link = session.link;
    std::memset(&p, 0xA5, sizeof p);
    link.timing.retryCount = {9, 9, 9};
    session.statusBitOwners.fill(4);
    session.extendedMode = 1;
    InitEncoderParameters(session);
    EXPECT_EQ(link.timing.retryCount, (std::array<std::int32_t, 3>{3, 3, 0}));
    EXPECT_EQ(link.timing.charTimeoutMs, (std::array<std::int32_t, 3>{200, 200, 0}));
    EXPECT_EQ(link.timing.handshakeTimeoutMs, (std::array<std::int32_t, 3>{550, 550, 0}));
    EXPECT_EQ(session.statusBitOwners, (std::array<std::int32_t, 8>{}));
    EXPECT_EQ(session.extendedMode, 1);  // the user's switch, not a start-up value

    // Zeros everywhere except the start-up values, reserved bytes included.
    EncoderParameters expected;
    std::memset(&expected, 0, sizeof expected);
    expected.presetReplyBit5Clear = expected.presetReplyBit6Clear = 1;
    expected.debounceTime = 255;
    std::memcpy(expected.scalingFactorText, "1.0000000", 10);
    expected.measuringSteps = expected.revolutions = 1;
    expected.limit1BitPosition = expected.limit2BitPosition = expected.limit3BitPosition = 8;
    expected.limit4BitPosition = expected.overspeedBitPosition = expected.standstillBitPosition = 8;
    expected.parityBitPosition = expected.encoderErrorBitPosition = expected.directionBitPosition = 8;
    expected.reserved7A = 3;
    expected.bitsS = expected.bitsU = 12;
    expected.bitsTotal = 24;
    expected.overspeedValue = 100;
    EXPECT_EQ(std::memcmp(&p, &expected, sizeof p), 0);
}

TEST(Params, StatusBitAllocation) {
    StatusBitOwners owners{};
    EXPECT_TRUE(AllocateStatusBit(owners, 3, 1));   // limit 1 at 3
    EXPECT_FALSE(AllocateStatusBit(owners, 3, 5));  // overspeed may not take it
    EXPECT_EQ(owners[3], 1);
    EXPECT_TRUE(AllocateStatusBit(owners, 3, 1));  // the owner itself may send again
    EXPECT_TRUE(AllocateStatusBit(owners, 8, 1));  // limit 1 to "none" frees 3
    EXPECT_EQ(owners[3], 0);
    EXPECT_TRUE(AllocateStatusBit(owners, 3, 5));

    EXPECT_TRUE(AllocateStatusBit(owners, 2, 2));  // limit 2 moves from 2 to 5: 2 is free again
    EXPECT_TRUE(AllocateStatusBit(owners, 5, 2));
    EXPECT_EQ(owners[2], 0);
    EXPECT_EQ(owners[5], 2);
    EXPECT_TRUE(AllocateStatusBit(owners, 0, 9));  // position 0 is a table entry
    EXPECT_EQ(owners[0], 9);

    // Positions a user may have typed that are no position: refused, table untouched.
    const auto before = owners;
    for (int bad : {-1, 9, 100, INT32_MIN, INT32_MAX}) EXPECT_FALSE(AllocateStatusBit(owners, bad, 7)) << bad;
    EXPECT_EQ(owners, before);
}
