// The send dialogs' input rules: "$" notation, text to number, character limits and the two
// checks that can stop a send.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace veltrin
