// veltrin-cli run in process without an encoder: argument handling and the file commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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

    ASSERT_EQ(Cli({"set", file, "internalPreset=$1f", "limit2Value=-$10", "extPreset1On=65537",
                   "overspeedValue=4294967295", "scalingFactorText=0.5\"x"})
                  .status,
              kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(p.internalPreset, 31);
    EXPECT_EQ(p.limit2Value, -16);
    EXPECT_EQ(p.extPreset1On, 1);  // low 16 bits of 65537
    EXPECT_EQ(p.overspeedValue, 0xFFFFFFFFu);
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

// set takes values as the send dialogs do: "$" notation in every field, the scaling factor
// included, then the character limits (scaling factor 9, bit counts S and U 2).
TEST_F(CliFiles, SetFollowsTheDialogInputRules) {
    const std::string file = PathOf("rules.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=$1", "bitsS=$A", "bitsU=-9", "revolutions=12 U"}).status,
              kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(std::string(p.scalingFactorText, 2), std::string("1\0", 2));
    EXPECT_EQ(p.bitsS, 10u);
    EXPECT_EQ(p.bitsU, 0xFFFFFFF7u);
    EXPECT_EQ(p.revolutions, 12u);
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=0.1234567"}).status, kExitOk);
    for (const char* a :
         {"scalingFactorText=$FFFFFFFF", "scalingFactorText=0.12345678", "bitsS=100", "bitsU=$FF"}) {
        CliRun r = Cli({"set", file, a});
        EXPECT_EQ(r.status, kExitUsage) << a;
        EXPECT_NE(r.err.find(" Zeichen eingeben."), std::string::npos) << r.err;
    }
    EXPECT_EQ(FieldTextOf(Load(file)), "0.1234567");
}

}  // namespace
}  // namespace veltrin::cli
