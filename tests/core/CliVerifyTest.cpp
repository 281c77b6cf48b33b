// veltrin-cli verify against the simulated encoder: exit status 4 for a difference, nothing sent,
// no verdict when the encoder fails.
#include <nlohmann/json.hpp>

#include "CliVerifyFixture.h"
#include "sim/EncoderSimulator.h"

namespace veltrin::cli::test {
namespace {

class CliVerifyOnSimulator : public CliVerifyFixture {
protected:
    sim::EncoderSimulator sim;
};

TEST_F(CliVerifyOnSimulator, VerifyExitsWithFourForADifference) {
    const std::string file = File("a.ssi", {"limit2Value=-500", "debounceTime=20", "scalingFactorText=0.5"});
    ASSERT_TRUE(sim.Start());
    device = sim.DevicePath();
    ASSERT_EQ(Run({"send-all", file}), kExitOk) << err;
    sim.ClearTelegrams();
    EXPECT_EQ(Run({"verify", file}), kExitOk) << err << out;
    EXPECT_EQ(out.substr(0, out.find('\n')).find("Parameter"), 0u);
    EXPECT_EQ(out.substr(out.rfind('\n', out.size() - 2) + 1),
              "58 Parameter: 52 gleich, 0 abweichend, 5 nicht gesendet, 1 nicht lesbar\n");
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

TEST_F(CliVerifyOnSimulator, VerifyFailuresSendNothingAndGiveNoVerdict) {
    ASSERT_TRUE(sim.Start());
    device = sim.DevicePath();
    EXPECT_EQ(Run({"verify", PathOf("missing.ssi")}), kExitFile);
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

TEST_F(CliVerifyOnSimulator, ReportWithVerifyCarriesTheEncoderAndItsDevice) {
    const std::string file = File("r.ssi", {"limit2Value=-500"});
    ASSERT_TRUE(sim.Start());
    device = sim.DevicePath();
    ASSERT_EQ(Run({"send-all", file}), kExitOk) << err;
    sim.ClearTelegrams();
    ASSERT_EQ(Run({"report", file, "--verify"}), kExitOk) << err;
    EXPECT_NE(out.find("Datum: 01.02.2024\nGer\u00e4t: " + device + "\nFirmware Version: 01.04\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Vergleich mit dem Geber: 58 Parameter: 52 gleich"), std::string::npos) << out;
    EXPECT_EQ(out.find("Kein Vergleich"), std::string::npos) << out;
    for (const sim::Telegram& t : sim.Telegrams()) EXPECT_EQ(t[0], 0x80);  // read requests only

    // A difference: the sheet with it, exit status 4; in English and HTML the same.
    sim.SetRam(18, {0x00, 0x00, 0x05});
    EXPECT_EQ(Run({"--lang", "en", "report", file, "--verify", "--html"}), kExitDifferences) << err;
    EXPECT_NE(out.find("<tr><th>Device</th><td>" + device + "</td></tr>"), std::string::npos) << out;
    EXPECT_NE(
        out.find("<tr class=\"different\"><td>Limit 2</td><td>-500</td><td>5</td><td>different</td></tr>"),
        std::string::npos)
        << out;

    // An encoder that does not answer: no sheet, the encoder's reason, exit status 1.
    LinkTiming fast;
    fast.handshakeTimeoutMs = {60, 60, 0};
    hooks.timing = fast;
    sim.SetSilent(true);
    EXPECT_EQ(Run({"report", file, "--verify"}), kExitDevice);
    EXPECT_EQ(err, "Geber antwortet nicht !\n");
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace veltrin::cli::test
