// The send dialogs' input rules: "$" notation, text to number, character limits and the two
// checks that can stop a send.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "doc/ParameterFields.h"
#include "params/Encoding.h"
#include "params/InputRules.h"

namespace veltrin {
namespace {

// What a numeric field finally stores: the hexadecimal notation, then text to number.
std::int32_t Entered(const std::string& typed) { return TextToNumber(ApplyHexNotation(typed)); }

TEST(InputRules, HexadecimalNotation) {
    EXPECT_EQ(ApplyHexNotation("$1f"), "31");
    EXPECT_EQ(ApplyHexNotation("-$1F"), "-31");
    EXPECT_EQ(ApplyHexNotation("$FFFFFFFF"), "4294967295");
    EXPECT_EQ(ApplyHexNotation("$123456789"), "591751049");   // only the last eight digits count
    // Left as typed: non-hexadecimal characters, an empty hexadecimal part, a "$" not in front.
    for (const char* typed : {"$12G", "-$X", "$", "-$", " $10", "12", "", "--$1", "$ 1"})
        EXPECT_EQ(ApplyHexNotation(typed), typed) << typed;
}

TEST(InputRules, EditCasesOfTheSendDialogs) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"$1f", 31},        {"-$1F", -31},       {"$12G", 0},          {" 42", 42},
        {" $10", 0},        {"12abc", 12},       {"", 0},              {"+7", 7},
        {"--5", 0},         {"4294967295", -1},  {"4294967296", 0},    {"2147483648", -2147483648},
        {"$123456789", 591751049}, {"$FFFFFFFF", -1}, {"-$1", -1},    {"-$X", 0},
        {"$", 0},           {"-$", 0},           {"12 mm", 12},        {"\t\n-8", -8},
        {"-2147483648", -2147483648}, {"99999999999999999999", 1661992959}, {"-$0", 0},
    };
    for (const auto& [typed, value] : cases) EXPECT_EQ(Entered(typed), value) << '"' << typed << '"';
}

TEST(InputRules, CharacterLimits) {
    EXPECT_EQ(kShortFieldCharLimit, 2u);
    EXPECT_EQ(kScalingFactorCharLimit, 9u);
    EXPECT_TRUE(FitsCharacterLimit("12", kShortFieldCharLimit));
    EXPECT_FALSE(FitsCharacterLimit("100", kShortFieldCharLimit));
    EXPECT_TRUE(FitsCharacterLimit("", kShortFieldCharLimit));
    EXPECT_TRUE(FitsCharacterLimit("1.0000000", kScalingFactorCharLimit));
    // The notation runs first: "$FFFFFFFF" fits as typed, its decimal form does not.
    EXPECT_TRUE(FitsCharacterLimit("$FFFFFFFF", kScalingFactorCharLimit));
    EXPECT_FALSE(FitsCharacterLimit(ApplyHexNotation("$FFFFFFFF"), kScalingFactorCharLimit));
    // Characters, not bytes: "ä1" is two characters.
    EXPECT_TRUE(FitsCharacterLimit("\xC3\xA4" "1", kShortFieldCharLimit));
}

TEST(InputRules, RepeatedLimitBitPositions) {
    struct Case {
        std::array<std::int32_t, 4> positions;
        bool ok;
        std::int32_t reported;
    };
    const std::vector<Case> cases = {
        {{3, 3, 8, 8}, false, 3}, {{8, 8, 8, 8}, true, 0}, {{1, 2, 1, 2}, false, 2},
        {{3, 3, 5, 8}, false, 3}, {{9, 9, 8, 8}, true, 0}, {{-1, -1, 0, 7}, true, 0},
        {{0, 1, 2, 0}, false, 0}, {{5, 5, 5, 1}, false, 5}, {{0, 1, 2, 3}, true, 0},
    };
    for (const auto& c : cases) {
        BitPositionCheck r = CheckLimitBitPositions(c.positions);
        EXPECT_EQ(r.ok, c.ok) << c.positions[0] << c.positions[1] << c.positions[2] << c.positions[3];
        if (!c.ok) {
            EXPECT_EQ(r.position, c.reported);
        }
    }
}

TEST(InputRules, MeasuringStepsComparedSigned) {
    EXPECT_TRUE(MeasuringStepsValid(100, 100));
    EXPECT_FALSE(MeasuringStepsValid(99, 100));
    EXPECT_TRUE(MeasuringStepsValid(101, 100));
    // Entered as -1 (stored 0xFFFFFFFF): fewer than 1 as signed numbers.
    EXPECT_FALSE(MeasuringStepsValid(static_cast<std::uint32_t>(Entered("-1")), 1));
    EXPECT_TRUE(MeasuringStepsValid(1, static_cast<std::uint32_t>(Entered("$FFFFFFFF"))));
    EXPECT_STREQ(kMeasuringStepsMessage, "Fehler: Anzahl Messschritte < Anzahl Schritte");
}

// Whole numbers: nothing wraps, nothing after the digits is ignored.
TEST(InputRules, WholeNumbers) {
    const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
        {"0", 0},
        {"-0", 0},
        {"42", 42},
        {"-8388608", -8388608},
        {"4294967295", 4294967295LL},
        {"007", 7},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {" 42", std::nullopt},
        {"42 ", std::nullopt},
        {"+7", std::nullopt},
        {"--5", std::nullopt},
        {"$1F", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(WholeNumber(text), value) << '"' << text << '"';
    // Far too large stays far too large (no wrap-around back into a range).
    for (const char* huge : {"99999999999999999999", "18446744073709551617", "-99999999999999999999"}) {
        auto v = WholeNumber(huge);
        ASSERT_TRUE(v.has_value());
        EXPECT_GT(*v > 0 ? *v : -*v, 0xFFFFFFFFLL) << huge;
    }
    // "$" notation first, as the dialogs read a field.
    EXPECT_EQ(WholeNumber(ApplyHexNotation("$FFFFFFFF")), 4294967295LL);
    EXPECT_EQ(WholeNumber(ApplyHexNotation("-$10")), -16);
    EXPECT_EQ(WholeNumber(ApplyHexNotation("$1G")), std::nullopt);
}

TEST(InputRules, ScalingFactorTexts) {
    const std::vector<std::pair<std::string, FactorCheck>> cases = {
        {"1.0000000", FactorCheck::Ok},
        {"1.00000000", FactorCheck::Ok},  // as read-all writes it
        {"0.99999988", FactorCheck::Ok},
        {"0", FactorCheck::Ok},
        {".5", FactorCheck::Ok},
        {"1", FactorCheck::Ok},
        {"0000000001", FactorCheck::Ok},
        {"1.000000001", FactorCheck::TooLong},
        {"0.123456789", FactorCheck::TooLong},
        {"abc", FactorCheck::NotANumber},
        {"", FactorCheck::NotANumber},
        {".", FactorCheck::NotANumber},
        {"0.5x", FactorCheck::NotANumber},
        {"-0.5", FactorCheck::NotANumber},
        {"1..0", FactorCheck::NotANumber},
        {"5e-1", FactorCheck::NotANumber},
        {" 0.5", FactorCheck::NotANumber},
        {"1.0000001", FactorCheck::OutOfRange},
        {"2", FactorCheck::OutOfRange},
        {"9999999999", FactorCheck::OutOfRange},
    };
    for (const auto& [text, check] : cases)
        EXPECT_EQ(CheckScalingFactorText(text), check) << '"' << text << '"';
    // Whatever is taken goes out as it is: at most the 24 bits of 1.0, never wrapped.
    for (const auto& [text, check] : cases)
        if (check == FactorCheck::Ok) {
            EXPECT_LE(ScalingFactorToWire(text), 0xFFFFFFu) << text;
        }
    EXPECT_EQ(kScalingFactorFieldSize, kScalingTextSize);
}

// Every numeric member of the record has its range, no name stands for nothing, and every
// value of a range fits the member it goes into.
TEST(InputRules, EveryMemberHasARangeThatFitsIt) {
    for (const ParameterField& f : kParameterFields) {
        const auto range = MemberRange(f.name);
        if (f.kind == FieldKind::Text) {
            EXPECT_FALSE(range) << f.name;
            continue;
        }
        ASSERT_TRUE(range) << f.name;
        const std::int64_t low = f.kind == FieldKind::Signed ? INT32_MIN : 0;
        const std::int64_t high =
            f.kind == FieldKind::Signed ? INT32_MAX : (f.size == 2 ? 0xFFFF : 0xFFFFFFFFLL);
        EXPECT_GE(range->min, low) << f.name;
        EXPECT_LE(range->max, high) << f.name;
        if (range->min2 <= range->max2) {
            EXPECT_LE(range->max2, high) << f.name;
        }
        EXPECT_TRUE(range->Contains(range->min) && range->Contains(range->max)) << f.name;
        EXPECT_FALSE(range->Contains(range->min - 1) ||
                     range->Contains(range->max2 > range->max ? range->max2 + 1 : range->max + 1))
            << f.name;
    }
    EXPECT_FALSE(MemberRange("nosuch"));
    EXPECT_FALSE(MemberRange("scalingFactorText"));
    // The shift: an amount up to 16, with or without the direction bit; nothing between.
    const ValueRange shift = *MemberRange("positionShift");
    for (std::int64_t v : {0, 16, 256, 272}) EXPECT_TRUE(shift.Contains(v)) << v;
    for (std::int64_t v : {17, 255, 273, -1}) EXPECT_FALSE(shift.Contains(v)) << v;
}

}  // namespace
}  // namespace veltrin
