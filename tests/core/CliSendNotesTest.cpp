// What veltrin-cli says about a send beyond its exit status: the parameter the encoder refused
// under its reason, the status bits withheld because another function holds their position,
// and a scaling selection that names no scaling; for send-all and for program with its record.
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliVerifyFixture.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"

namespace veltrin::cli::test {
namespace {

using nlohmann::json;

class CliSendNotes : public CliVerifyFixture {
protected:
    void SetUp() override {
        CliVerifyFixture::SetUp();
        ASSERT_TRUE(encoder.Start());
        device = encoder.DevicePath();
    }
    /// A file of start-up values changed by change, written directly (whatever `set` takes).
    template <class Change>
    std::string FileWith(const char* name, Change change) {
        EncoderParameters p;
        p = DefaultEncoderParameters();
        change(p);
        const std::string path = PathOf(name);
        EXPECT_TRUE(WriteConfigurationFile(path, p).ok());
        return path;
    }
    json LastRecord(const std::string& log) {
        std::ifstream in(log);
        std::string line, last;
        while (std::getline(in, line)) last = line;
        return json::parse(last);
    }
    std::vector<int> Codes() {
        std::vector<int> codes;
        for (const sim::Telegram& t : encoder.Telegrams())
            if (t[0] != 0x81) codes.push_back(t[0]);
        encoder.ClearTelegrams();
        return codes;
    }
    sim::EncoderSimulator encoder;
};

const std::vector<int> kPresets{1, 2, 32, 3, 33, 4, 39};

TEST_F(CliSendNotes, SendAllWarnsOfTheStatusBitsItWithheld) {
    const std::string file = FileWith("clash.ssi", [](EncoderParameters& p) {
        p.limit1BitPosition = 3;
        p.overspeedBitPosition = 3;
        p.overspeedBitOn = 1;
    });
    EXPECT_EQ(Run({"send-all", file}), kExitOk) << err;
    EXPECT_EQ(
        err,
        "Warnung: Nicht gesendet, da die Bitposition belegt ist: Überdrehzahl (Bitposition 3, belegt durch "
        "Grenzwert 1)\n");
    EXPECT_EQ(Run({"--lang", "en", "send-all", file}), kExitOk) << err;
    EXPECT_EQ(err,
              "Warning: Not sent because the bit position is taken: Overspeed (bit position 3, taken by "
              "Limit 1)\n");
    // Nothing to say when nothing was withheld.
    EXPECT_EQ(Run({"send-all", FileWith("plain.ssi", [](EncoderParameters&) {})}), kExitOk);
    EXPECT_EQ(err, "");
}

TEST_F(CliSendNotes, SendAllNamesTheRefusedParameterUnderTheReason) {
    const std::string file = FileWith("format.ssi", [](EncoderParameters& p) { p.outputFormat = 7; });
    EXPECT_EQ(Run({"send-all", file}), kExitDevice);
    EXPECT_EQ(err, "Geber meldet Parameterwert ungültig !\nParameter: Ausgabeformat (KP 37)\n");
    EXPECT_EQ(Run({"--lang", "en", "send-all", file}), kExitDevice);
    EXPECT_EQ(err.substr(err.find('\n')), "\nParameter: Output format (KP 37)\n");
    // No answer: the reason alone.
    hooks.timing = LinkTiming{};
    hooks.timing->handshakeTimeoutMs = {60, 60, 0};
    encoder.SetSilent(true);
    EXPECT_EQ(Run({"send-all", file}), kExitDevice);
    EXPECT_EQ(err, "Geber antwortet nicht !\n");
}

TEST_F(CliSendNotes, SendAllOfASelectionAboveTwoNamesWhyItStopped) {
    // A refusal first leaves the encoder's error in the link; the stop after the presets must
    // not show it again.
    EXPECT_EQ(Run({"send-all", FileWith("format.ssi", [](EncoderParameters& p) { p.outputFormat = 7; })}),
              kExitDevice);
    Codes();
    const std::string file = FileWith("selection.ssi", [](EncoderParameters& p) { p.scalingSelection = 5; });
    EXPECT_EQ(Run({"send-all", file}), kExitDevice);
    EXPECT_EQ(err, "Auswahl Skalierung 5 ist nicht 0, 1 oder 2: nach den Presets wurde nichts gesendet.\n");
    EXPECT_EQ(Codes(), kPresets);
    EXPECT_EQ(Run({"--lang", "en", "send-all", file}), kExitDevice);
    EXPECT_EQ(err, "Scaling selection 5 is not 0, 1 or 2: nothing after the presets was sent.\n");

    // program: the same reason on the error stream and in the record.
    const std::string log = PathOf("serie.log");
    EXPECT_EQ(Run({"program", file, "--verify", "--store", "--log", log}), kExitDevice);
    EXPECT_EQ(err, "Auswahl Skalierung 5 ist nicht 0, 1 oder 2: nach den Presets wurde nichts gesendet.\n");
    const json r = LastRecord(log);
    EXPECT_EQ(r["steps"],
              json::parse(R"({"firmware":"ok","send":"failed","verify":"skipped","store":"skipped"})"));
    EXPECT_EQ(r["error"],
              "Auswahl Skalierung 5 ist nicht 0, 1 oder 2: nach den Presets wurde nichts gesendet.");
    EXPECT_TRUE(r["refused"].is_null());
    EXPECT_EQ(r["status"], 1);
}

TEST_F(CliSendNotes, ProgramRecordsWithheldStatusBitsAndTheRefusedParameter) {
    const std::string log = PathOf("serie.log");
    const std::string clash = FileWith("clash.ssi", [](EncoderParameters& p) {
        p.standstillBitPosition = 2;
        p.directionBitPosition = 2;
    });
    EXPECT_EQ(Run({"program", clash, "--verify", "--log", log}), kExitOk) << err << out;
    EXPECT_EQ(
        err,
        "Warnung: Nicht gesendet, da die Bitposition belegt ist: Drehrichtung (Bitposition 2, belegt durch "
        "Stillstandsüberwachung)\n");
    json r = LastRecord(log);
    EXPECT_EQ(r["result"], "programmed");
    EXPECT_EQ(
        r["withheld"],
        json::parse(R"([{"kp":48,"label":"Drehrichtung","position":2,"heldBy":"Stillstandsüberwachung"}])"));
    EXPECT_TRUE(r["refused"].is_null());
    // The fields before stay as they were.
    for (const char* field : {"time", "device", "firmware", "file", "sha256", "extended", "steps",
                              "differences", "result", "error", "status", "seconds"})
        EXPECT_TRUE(r.contains(field)) << field;

    const std::string refused =
        FileWith("refused.ssi", [](EncoderParameters& p) { p.numberRepresentation = 3; });
    EXPECT_EQ(Run({"--lang", "en", "program", refused, "--log", log}), kExitDevice);
    EXPECT_EQ(err, "Encoder reports: parameter value invalid!\nParameter: Number representation (KP 36)\n");
    r = LastRecord(log);
    EXPECT_EQ(r["error"], "Encoder reports: parameter value invalid!");
    EXPECT_EQ(r["refused"], json::parse(R"({"kp":36,"parameter":"Number representation"})"));
}

}  // namespace
}  // namespace veltrin::cli::test
