// veltrin-cli verify, diff and report, run in process; verify against the simulated encoder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "sim/EncoderSimulator.h"

namespace veltrin::cli {
namespace {

class CliVerify : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("veltrin-verify-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        hooks.reportDate = "01.02.2024";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    /// Runs the tool; with the simulator started, on its device. Returns the exit status.
    int Run(std::vector<std::string> args) {
        if (sim.Running()) args.insert(args.begin(), {"--device", sim.DevicePath()});
        std::ostringstream o, e;
        const int status = RunCli(args, o, e, hooks);
        out = o.str();
        err = e.str();
        return status;
    }
    std::string File(const char* name, const std::vector<std::string>& assignments = {}) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(Run({"defaults", path}), kExitOk);
        std::vector<std::string> set = {"set", path};
        set.insert(set.end(), assignments.begin(), assignments.end());
        if (!assignments.empty()) {
            EXPECT_EQ(Run(set), kExitOk) << err;
        }
        return path;
    }
    std::string LineOf(const std::string& label) const {
        const std::size_t at = out.find("\n" + label + " ");
        return at == std::string::npos ? std::string() : out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    }

    std::filesystem::path dir;
    CliHooks hooks;
    sim::EncoderSimulator sim;
    std::string out, err;
};

TEST_F(CliVerify, VerifyExitsWithFourForADifference) {
    const std::string file = File("a.ssi", {"limit2Value=-500", "debounceTime=20", "scalingFactorText=0.5"});
    ASSERT_TRUE(sim.Start());
    ASSERT_EQ(Run({"send-all", file}), kExitOk) << err;
    sim.ClearTelegrams();
    EXPECT_EQ(Run({"verify", file}), kExitOk) << err << out;
    EXPECT_EQ(out.substr(0, out.find('\n')).find("Parameter"), 0u);
    EXPECT_EQ(out.substr(out.rfind('\n', out.size() - 2) + 1),
              "58 Parameter: 51 gleich, 0 abweichend, 5 nicht gesendet, 2 nicht lesbar\n");
    EXPECT_NE(LineOf("Entprellzeit").find("nicht gesendet: ohne erweiterte Funktionen"), std::string::npos)
        << out;
    for (const sim::Telegram& t : sim.Telegrams()) EXPECT_EQ(t[0], 0x80);

    sim.SetRam(18, {0x00, 0x00, 0x05});
    EXPECT_EQ(Run({"--lang", "en", "verify", file, "--json"}), kExitDifferences) << err;
    const auto json = nlohmann::json::parse(out);
    EXPECT_EQ(json["summary"]["different"], 1);
    EXPECT_EQ(json["firmware"], "01.04");
    for (const auto& row : json["parameters"]) {
        if (row["member"] != "limit2Value") continue;
        EXPECT_EQ(row["label"], "Limit 2");
        EXPECT_EQ(row["file"], "-500");
        EXPECT_EQ(row["encoder"], "5");
        EXPECT_EQ(row["status"], "different");
    }
    EXPECT_EQ(Run({"--extended", "verify", file}), kExitDifferences);  // the debounce time now counts
    EXPECT_NE(LineOf("Entprellzeit").find("abweichend"), std::string::npos) << out;
}

TEST_F(CliVerify, VerifyFailuresSendNothingAndGiveNoVerdict) {
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(Run({"verify", (dir / "missing.ssi").string()}), kExitFile);
    EXPECT_TRUE(sim.Telegrams().empty());
    const std::string file = File("b.ssi");
    LinkTiming fast;
    fast.handshakeTimeoutMs = {60, 60, 0};
    hooks.timing = fast;
    sim.SetSilent(true);
    EXPECT_EQ(Run({"verify", file}), kExitDevice);
    EXPECT_EQ(err, "Geber antwortet nicht !\n");
    EXPECT_EQ(out, "");
}

TEST_F(CliVerify, DiffComparesWhatTheEncoderWouldHold) {
    const std::string a = File("a.ssi", {"scalingFactorText=0.5", "debounceTime=300"});
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
    EXPECT_EQ(Run({"diff", a, (dir / "none.ssi").string()}), kExitFile);
}

TEST_F(CliVerify, ReportIsTheSameSheetEveryTime) {
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
}  // namespace veltrin::cli
