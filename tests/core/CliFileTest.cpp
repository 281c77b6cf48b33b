// veltrin-cli run in process without an encoder: argument handling and the file commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliFixture.h"
#include "doc/ParameterFields.h"

namespace veltrin::cli {
namespace {

using test::CliRun;
using CliFiles = test::CliFixture;

std::string FieldTextOf(const EncoderParameters& p) {
    return FieldText(p, *FindParameterField("scalingFactorText"));
}

TEST_F(CliFiles, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"--bogus", "show", "x"},
        {"--port", "abc", "actual"},
        {"--port", "0", "actual"},
        {"--lang", "fr", "show", "x"},
        {"--device"},
        {"show"},
        {"show", "a", "b"},
        {"query", "everything"},
        {"actual", "--count", "0"},
        {"set", "x.ssi"},
        {"read-all", "--base"},
    };
    for (const auto& args : bad) {
        CliRun r = Cli(args);
        EXPECT_EQ(r.status, kExitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("veltrin-cli"), std::string::npos);  // the short usage text
    }
    // A count below 1 is named for what it is, not as a number that is not one.
    for (const char* count : {"0", "-3", "x"}) {
        CliRun r = Cli({"actual", "--count", count});
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
                  std::string("--count: eine ganze Zahl ab 1 erwartet, nicht: ") + count);
    }
    CliRun en = Cli({"--lang", "en", "actual", "--count", "0"});
    EXPECT_EQ(en.err.substr(0, en.err.find('\n')), "--count: a whole number of 1 or more expected, not: 0");
    EXPECT_EQ(Cli({"--version"}).out, "veltrin-cli 1.04\n");
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("config-registers"), std::string::npos);
}

TEST_F(CliFiles, DefaultsShowAndSet) {
    const std::string file = PathOf("a.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    EXPECT_EQ(std::filesystem::file_size(file), 204u);

    CliRun show = Cli({"show", file});
    EXPECT_EQ(show.status, kExitOk);
    EXPECT_NE(show.out.find("\nscalingFactorText = 1.0000000\n"), std::string::npos);
    EXPECT_NE(show.out.find("\nreserved7A = 3\n"), std::string::npos);
    EXPECT_EQ(std::count(show.out.begin(), show.out.end(), '\n'), 67);  // every member, reserved ones too

    ASSERT_EQ(Cli({"set", file, "internalPreset=$1f", "limit2Value=-$10", "extPreset1On=1",
                   "overspeedValue=255", "scalingFactorText=0.5"})
                  .status,
              kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(p.internalPreset, 31);
    EXPECT_EQ(p.limit2Value, -16);
    EXPECT_EQ(p.extPreset1On, 1);
    EXPECT_EQ(p.overspeedValue, 255u);
    // A text that set does not take (a file from elsewhere) is shown escaped all the same.
    SetFieldText(p, *FindParameterField("scalingFactorText"), "0.5\"x");
    ASSERT_TRUE(WriteConfigurationFile(file, p).ok());
    CliRun json = Cli({"show", file, "--json"});
    EXPECT_NE(json.out.find("{\"reserved0\":0,\"internalPreset\":31,"), std::string::npos);
    EXPECT_NE(json.out.find("\"scalingFactorText\":\"0.5\\\"x\""), std::string::npos);
    EXPECT_NE(json.out.find("\"limit2Value\":-16,"), std::string::npos);
    EXPECT_NE(json.out.find("\"reservedC2\":0}\n"), std::string::npos);

    // Nothing is written unless every assignment is good.
    const auto before = Load(file);
    for (const auto& a : {"nosuch=1", "scalingFactorText=12345678901", "=5", "revolutions"}) {
        EXPECT_EQ(Cli({"set", file, "revolutions=7", a}).status, kExitUsage) << a;
        EXPECT_EQ(Load(file).revolutions, before.revolutions);
    }
}

// set takes what the encoder takes, read as the send dialogs read a field ("$" notation in
// every field, the scaling factor included): whole numbers inside each member's range, and a
// scaling factor from 0 to 1 in at most the field's 10 characters (what show prints).
TEST_F(CliFiles, SetTakesWhatTheEncoderTakes) {
    const std::string file = PathOf("rules.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=$1", "bitsS=$C", "bitsU=13", "limit3Value=-8388608",
                   "limit4Value=8388607", "revolutions=16777215", "positionShift=272", "overspeedValue=1",
                   "limit1BitPosition=1", "reserved0=$FFFFFFFF", "debounceTime=0"})
                  .status,
              kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(std::string(p.scalingFactorText, 2), std::string("1\0", 2));
    EXPECT_EQ(p.bitsS, 12u);
    EXPECT_EQ(p.bitsU, 13u);
    EXPECT_EQ(p.limit3Value, -8388608);
    EXPECT_EQ(p.limit4Value, 8388607);
    EXPECT_EQ(p.revolutions, 16777215u);
    EXPECT_EQ(p.positionShift, 272);
    EXPECT_EQ(p.reserved0, 0xFFFFFFFFu);

    // What show prints, set takes back: the factor as read-all writes it has 10 characters.
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=1.00000000"}).status, kExitOk);
    EXPECT_EQ(FieldTextOf(Load(file)), "1.00000000");
    CliRun shown = Cli({"show", file});
    EXPECT_NE(shown.out.find("\nscalingFactorText = 1.00000000\n"), std::string::npos);
}

TEST_F(CliFiles, SetRefusesWhatTheEncoderWouldRefuseAndNamesTheRange) {
    const std::string file = PathOf("refused.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    ASSERT_EQ(Cli({"set", file, "limit1Value=5"}).status, kExitOk);
    const auto bytes = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes();
    struct Case {
        const char* assignment;
        const char* message;  // the whole first line of standard error
    };
    const Case cases[] = {
        {"limit1Value=abc", "limit1Value: „abc“ ist keine Zahl; erlaubt: -8388608 bis 8388607."},
        {"limit1Value=12abc", "limit1Value: „12abc“ ist keine Zahl; erlaubt: -8388608 bis 8388607."},
        {"limit1Value=", "limit1Value: „“ ist keine Zahl; erlaubt: -8388608 bis 8388607."},
        {"limit1Value= 5", "limit1Value: „ 5“ ist keine Zahl; erlaubt: -8388608 bis 8388607."},
        {"limit1Value=$1G", "limit1Value: „$1G“ ist keine Zahl; erlaubt: -8388608 bis 8388607."},
        {"limit1Value=8388608", "limit1Value: 8388608 liegt außerhalb von -8388608 bis 8388607."},
        {"internalPreset=-8388609", "internalPreset: -8388609 liegt außerhalb von -8388608 bis 8388607."},
        {"internalPreset=$FFFFFFFF", "internalPreset: $FFFFFFFF liegt außerhalb von -8388608 bis 8388607."},
        {"limit1BitPosition=99", "limit1BitPosition: 99 liegt außerhalb von 1 bis 8."},
        {"limit1BitPosition=0", "limit1BitPosition: 0 liegt außerhalb von 1 bis 8."},
        {"directionBitPosition=-1", "directionBitPosition: -1 liegt außerhalb von 1 bis 8."},
        {"bitsS=40", "bitsS: 40 liegt außerhalb von 0 bis 12."},
        {"bitsS=13", "bitsS: 13 liegt außerhalb von 0 bis 12."},
        {"bitsU=$FF", "bitsU: $FF liegt außerhalb von 0 bis 13."},
        {"outputCode=7", "outputCode: 7 liegt außerhalb von 0 bis 1."},
        {"outputFormat=3", "outputFormat: 3 liegt außerhalb von 0 bis 2."},
        {"scalingSelection=3", "scalingSelection: 3 liegt außerhalb von 0 bis 2."},
        {"countDirectionBackward=-1", "countDirectionBackward: -1 liegt außerhalb von 0 bis 1."},
        {"extPreset1On=65537", "extPreset1On: 65537 liegt außerhalb von 0 bis 1."},
        {"overspeedValue=0", "overspeedValue: 0 liegt außerhalb von 1 bis 255."},
        {"overspeedValue=4294967295", "overspeedValue: 4294967295 liegt außerhalb von 1 bis 255."},
        {"debounceTime=300", "debounceTime: 300 liegt außerhalb von 0 bis 255."},
        {"revolutions=16777216", "revolutions: 16777216 liegt außerhalb von 0 bis 16777215."},
        {"revolutions=12 U", "revolutions: „12 U“ ist keine Zahl; erlaubt: 0 bis 16777215."},
        {"positionShift=17", "positionShift: 17 liegt außerhalb von 0 bis 16, 256 bis 272."},
        {"positionShift=273", "positionShift: 273 liegt außerhalb von 0 bis 16, 256 bis 272."},
        {"reserved7A=65536", "reserved7A: 65536 liegt außerhalb von 0 bis 65535."},
        {"scalingFactorText=abc",
         "scalingFactorText: „abc“ ist keine Zahl; erlaubt: 0 bis 1, höchstens 10 Zeichen."},
        {"scalingFactorText=-0.5",
         "scalingFactorText: „-0.5“ ist keine Zahl; erlaubt: 0 bis 1, höchstens 10 Zeichen."},
        {"scalingFactorText=1.5",
         "scalingFactorText: 1.5 liegt außerhalb von 0 bis 1, höchstens 10 Zeichen."},
        {"scalingFactorText=12345678901", "Für scalingFactorText nicht mehr als 10 Zeichen eingeben."},
        {"scalingFactorText=$FFFFFFFF",
         "scalingFactorText: $FFFFFFFF liegt außerhalb von 0 bis 1, höchstens 10 Zeichen."},
    };
    for (const Case& c : cases) {
        // A good assignment before the bad one: nothing of either is written.
        CliRun r = Cli({"set", file, "revolutions=7", c.assignment});
        EXPECT_EQ(r.status, kExitUsage) << c.assignment;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message) << c.assignment;
        EXPECT_EQ(bytes(), before) << c.assignment;
    }
    CliRun en = Cli({"--lang", "en", "set", file, "limit1BitPosition=99"});
    EXPECT_EQ(en.err.substr(0, en.err.find('\n')), "limit1BitPosition: 99 is outside 1 to 8.");
    en = Cli({"--lang", "en", "set", file, "scalingFactorText=abc"});
    EXPECT_EQ(en.err.substr(0, en.err.find('\n')),
              "scalingFactorText: \"abc\" is not a number; allowed: 0 to 1, at most 10 characters.");
}

}  // namespace
}  // namespace veltrin::cli
