// veltrin-cli diff and report: two files compared as the encoder would hold them, and the
// report the same sheet in every run.
#include <nlohmann/json.hpp>

#include "CliVerifyFixture.h"

namespace veltrin::cli::test {
namespace {

TEST_F(CliVerifyFixture, DiffComparesWhatTheEncoderWouldHold) {
    // A debounce time of 300 (a file from elsewhere: set takes 0 to 255) goes out as its low byte.
    const std::string a = File("a.ssi", {"scalingFactorText=0.5"});
    Force(a, "debounceTime", 300);
    const std::string b = File("b.ssi", {"scalingFactorText=0.50000", "debounceTime=44"});
    const std::string c = File("c.ssi", {"scalingFactorText=0.5", "limit3Value=9"});
    EXPECT_EQ(Run({"diff", a, a}), kExitOk);
    EXPECT_EQ(Run({"--extended", "diff", a, b}), kExitOk) << out;
    EXPECT_NE(LineOf("Entprellzeit").find("300 \u2192 44 "), std::string::npos) << out;
    EXPECT_EQ(LineOf("Entprellzeit").substr(LineOf("Entprellzeit").size() - 6), "gleich");
    EXPECT_EQ(Run({"diff", a, c, "--json"}), kExitDifferences);
    const auto json = nlohmann::json::parse(out);
    EXPECT_EQ(json["summary"]["different"], 1);
    for (const auto& row : json["parameters"]) {
        if (row["status"] == "different") {
            EXPECT_EQ(row["member"], "limit3Value");
        }
    }
    EXPECT_EQ(Run({"diff", a, PathOf("none.ssi")}), kExitFile);
}

TEST_F(CliVerifyFixture, ReportIsTheSameSheetEveryTime) {
    const std::string file = File("r.ssi", {"internalPreset=1234", "outputCode=1"});
    ASSERT_EQ(Run({"report", file}), kExitOk);
    const std::string text = out;
    EXPECT_EQ(Run({"report", file}), kExitOk);
    EXPECT_EQ(out, text);
    EXPECT_NE(text.find("Datei: " + file + "\nDatum: 01.02.2024\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPresets\n  Interner Preset "), std::string::npos) << text;
    EXPECT_NE(text.find(" 1234\n"), std::string::npos);
    EXPECT_NE(text.find("Ausgabecode"), std::string::npos);

    ASSERT_EQ(Run({"--lang", "en", "report", file, "--html"}), kExitOk);
    const std::string html = out;
    EXPECT_EQ(Run({"--lang", "en", "report", file, "--html"}), kExitOk);
    EXPECT_EQ(out, html);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<td>Output code</td><td>Gray</td>"), std::string::npos) << html;
    EXPECT_NE(html.find("No comparison with the encoder in this session."), std::string::npos);
}

}  // namespace
}  // namespace veltrin::cli::test
