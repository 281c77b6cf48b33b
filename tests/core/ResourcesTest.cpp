#include <gtest/gtest.h>

#include "res/Resources.h"

using namespace veltrin;

TEST(Resources, GermanIsBuiltInAndEnglishFallsBackPerKey) {
    EXPECT_EQ(ResString(57656), "Geber antwortet nicht !");
    ResourceSet english;
    ASSERT_EQ(english.Parse("# comment\n57656\tEncoder does not answer!\r\nbroken line\n\tno key\n"), 1u);
    UseResourceSet(&english);
    EXPECT_EQ(ResString(57656), "Encoder does not answer!");
    EXPECT_EQ(ResString(57659), "Geber meldet KP-Nummer nur lesbar !");   // missing in the set
    UseResourceSet(nullptr);
    EXPECT_EQ(ResString(57656), "Geber antwortet nicht !");
}

TEST(Resources, EscapesAndSafeFormatting) {
    ResourceSet set;
    set.Parse("1\ta\\nb\\tc\\\\d\\x\n");
    EXPECT_EQ(set.Text("1"), "a\nb\tc\\d\\x");
    EXPECT_EQ(FormatNumber("Nummer %d", 9), "Nummer 9");
    EXPECT_EQ(FormatNumber("%s %n %d %d", 3), "%s %n 3 %d");   // never a printf format
    EXPECT_FALSE(set.LoadFile("/nonexistent/veltrin.en.txt"));
}
