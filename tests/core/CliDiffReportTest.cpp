// veltrin-cli diff and report: two files compared as the encoder would hold them, and the
// report the same sheet in every run.
#include <nlohmann/json.hpp>
#include <numeric>
#include <set>

#include "CliVerifyFixture.h"
#include "doc/Report.h"
#include "doc/Verify.h"
#include "params/Operations.h"
#include "res/Resources.h"

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
    // The tool cannot have run a comparison before: it says nothing about one.
    EXPECT_EQ(text.find("Kein Vergleich"), std::string::npos) << text;
    EXPECT_EQ(html.find("No comparison"), std::string::npos) << html;
    EXPECT_NE(html.find("<title>Veltrin \u2013 r.ssi</title>"), std::string::npos) << html;
}

// The columns of every group are as wide as their longest text: no word of the sheet is wider
// than its column, and every group's table has the same widths.
TEST(ReportSheet, ColumnsFitTheirWordsAndAgreeAcrossGroups) {
    EncoderParameters p;
    p = DefaultEncoderParameters();
    auto longest = [](const std::string& text) {
        int n = 0, run = 0;
        for (char c : text) {
            if (c == ' ')
                run = 0;
            else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
                n = std::max(n, ++run);
        }
        return n;
    };
    ResourceSet en;
    ASSERT_TRUE(en.LoadFile(std::string(VELTRIN_BUILD_DIR) + "/veltrin.en.txt"));
    for (const ResourceSet* language : std::initializer_list<const ResourceSet*>{nullptr, &en}) {
        UseResourceSet(language);
        VerifyResult verify = CompareConfigurations(p, p, 0);
        verify.firmware = "01.04";
        for (const VerifyResult* v : std::initializer_list<const VerifyResult*>{nullptr, &verify}) {
            const std::string html = ReportHtml({p, "/x/anlage.ssi", "01.02.2024 10:00", v, "/dev/ttyUSB0"});
            // The head rows: all alike, widths summing to 100.
            std::set<std::string> heads;
            for (std::size_t at = html.find("<thead>"); at != std::string::npos;
                 at = html.find("<thead>", at + 1))
                heads.insert(html.substr(at, html.find("</thead>", at) - at));
            ASSERT_EQ(heads.size(), 1u) << html;
            const std::string head = *heads.begin();
            std::vector<int> widths;
            for (std::size_t at = head.find("width=\""); at != std::string::npos;
                 at = head.find("width=\"", at + 1))
                widths.push_back(std::stoi(head.substr(at + 7)));
            ASSERT_EQ(widths.size(), v ? 4u : 2u);
            EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), 100);
            // The page holds about 100 characters: a column's share holds its longest word.
            for (const VerifyRow& row : verify.rows) {
                EXPECT_GE(widths[0], longest(row.label)) << row.label;
                EXPECT_GE(widths[1], longest(row.fileValue)) << row.fileValue;
                if (v) EXPECT_GE(widths[3], longest(StatusText(row))) << StatusText(row);
            }
        }
    }
    UseResourceSet(nullptr);
}

}  // namespace
}  // namespace veltrin::cli::test
