// veltrin-cli run in process: argument handling, file commands, and every encoder command
// against the simulated encoder on a pseudo-terminal (with short link time-outs).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "doc/ConfigFile.h"
#include "doc/ParameterFields.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "tests/TestLinkTiming.h"

namespace veltrin::cli {
namespace {

std::string FieldTextOf(const EncoderParameters& p) { return FieldText(p, *FindParameterField("scalingFactorText")); }

struct CliRun {
    int status;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("veltrin-cli-" + std::to_string(::getpid()) + "-" +
                                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        LinkTiming fast;
        test::UseTestTimeouts(fast);
        hooks.timing = fast;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the tool; encoder commands go to the simulator when one was started.
    CliRun Cli(std::vector<std::string> args) {
        if (sim) args.insert(args.begin(), {"--device", sim->DevicePath()});
        std::ostringstream out, err;
        int status = RunCli(args, out, err, hooks);
        return {status, out.str(), err.str()};
    }
    sim::EncoderSimulator& Sim() {
        if (!sim) {
            sim = std::make_unique<sim::EncoderSimulator>();
            EXPECT_TRUE(sim->Start());
        }
        return *sim;
    }
    std::string PathOf(const char* name) const { return (dir / name).string(); }
    EncoderParameters Load(const std::string& path) {
        EncoderParameters p{};
        EXPECT_TRUE(ReadConfigurationFile(path, p).ok());
        return p;
    }

    std::filesystem::path dir;
    CliHooks hooks;
    std::unique_ptr<sim::EncoderSimulator> sim;
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
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
        EXPECT_NE(r.err.find("veltrin-cli"), std::string::npos);   // the short usage text
    }
    EXPECT_EQ(Cli({"--version"}).out, "veltrin-cli 1.04\n");
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("config-registers"), std::string::npos);
}

TEST_F(CliTest, DefaultsShowAndSet) {
    const std::string file = PathOf("a.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    EXPECT_EQ(std::filesystem::file_size(file), 204u);

    CliRun show = Cli({"show", file});
    EXPECT_EQ(show.status, kExitOk);
    EXPECT_NE(show.out.find("\nscalingFactorText = 1.0000000\n"), std::string::npos);
    EXPECT_NE(show.out.find("\nreserved7A = 3\n"), std::string::npos);
    EXPECT_EQ(std::count(show.out.begin(), show.out.end(), '\n'), 67);   // every member, reserved ones too

    ASSERT_EQ(Cli({"set", file, "internalPreset=$1f", "limit2Value=-$10", "extPreset1On=65537",
                   "overspeedValue=4294967295", "scalingFactorText=0.5\"x"}).status, kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(p.internalPreset, 31);
    EXPECT_EQ(p.limit2Value, -16);
    EXPECT_EQ(p.extPreset1On, 1);   // low 16 bits of 65537
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
TEST_F(CliTest, SetFollowsTheDialogInputRules) {
    const std::string file = PathOf("rules.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=$1", "bitsS=$A", "bitsU=-9", "revolutions=12 U"}).status, kExitOk);
    EncoderParameters p = Load(file);
    EXPECT_EQ(std::string(p.scalingFactorText, 2), std::string("1\0", 2));
    EXPECT_EQ(p.bitsS, 10u);
    EXPECT_EQ(p.bitsU, 0xFFFFFFF7u);
    EXPECT_EQ(p.revolutions, 12u);
    ASSERT_EQ(Cli({"set", file, "scalingFactorText=0.1234567"}).status, kExitOk);
    for (const char* a : {"scalingFactorText=$FFFFFFFF", "scalingFactorText=0.12345678", "bitsS=100", "bitsU=$FF"}) {
        CliRun r = Cli({"set", file, a});
        EXPECT_EQ(r.status, kExitUsage) << a;
        EXPECT_NE(r.err.find(" Zeichen eingeben."), std::string::npos) << r.err;
    }
    EXPECT_EQ(FieldTextOf(Load(file)), "0.1234567");
}

TEST_F(CliTest, FileErrorsExitWithThreeAndNameTheFile) {
    const std::string missing = PathOf("missing.ssi");
    CliRun r = Cli({"show", missing});
    EXPECT_EQ(r.status, kExitFile);
    EXPECT_EQ(r.err, missing + " wurde nicht gefunden.\n");
    const std::string bad = PathOf("bad.ssi");
    std::ofstream(bad) << "\x07ssi-cfg and more";
    r = Cli({"set", bad, "revolutions=2"});
    EXPECT_EQ(r.status, kExitFile);
    EXPECT_EQ(r.err, bad + ": Unerwartetes Dateiformat.\n");
    // send-all of a file it cannot read sends nothing.
    Sim();
    EXPECT_EQ(Cli({"send-all", bad}).status, kExitFile);
    EXPECT_TRUE(Sim().Telegrams().empty());
    EXPECT_EQ(Cli({"--lang", "en", "show", missing}).err, missing + " was not found.\n");
}

TEST_F(CliTest, ReadAllWritesTheEncodersParameters) {
    Sim().SetRam(1, {0xFF, 0xFF, 0xFE});   // internal preset -2
    Sim().SetRam(9, {0x00, 0x01, 0x00});   // 256 revolutions
    const std::string base = PathOf("base.ssi"), file = PathOf("read.ssi");
    ASSERT_EQ(Cli({"defaults", base}).status, kExitOk);
    ASSERT_EQ(Cli({"set", base, "scalingSelection=2", "internalPreset=5"}).status, kExitOk);
    CliRun r = Cli({"read-all", "--base", base, file});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.err, "");   // no progress line when it is not asked for
    EncoderParameters p = Load(file);
    EXPECT_EQ(p.internalPreset, -2);
    EXPECT_EQ(p.revolutions, 256u);
    EXPECT_EQ(p.scalingSelection, 2);   // not on the wire: kept from the base file
    EXPECT_EQ(Sim().Counters().procedureErrors, 0);   // 35 reads with every pause kept
}

TEST_F(CliTest, SendAllSendsTheFile) {
    const std::string file = PathOf("send.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    ASSERT_EQ(Cli({"set", file, "internalPreset=-1", "limit3Value=$123456"}).status, kExitOk);
    hooks.progress = true;
    Sim();
    CliRun r = Cli({"send-all", file});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.err.find("\rsend-all: 1"), std::string::npos);
    auto telegrams = Sim().Telegrams();
    ASSERT_FALSE(telegrams.empty());
    EXPECT_EQ(telegrams.front(), (sim::Telegram{1, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Sim().Ram(17), (sim::Data3{0x12, 0x34, 0x56}));
    EXPECT_EQ(Sim().Counters().procedureErrors, 0);
}

TEST_F(CliTest, EveryQueryGroupAsJson) {
    Sim().SetRam(16, {0x00, 0x00, 0x2A});   // limit 1 at 42
    Sim().SetRam(40, {0x00, 0x00, 0x0B});   // limit 1: position 3, on, "aktiv 0"
    Sim().SetConfigRegisters(14, {1, 2, 3, 4});
    struct Case {
        const char* group;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"presets", {"{\"internalPreset\":0,", "\"debounceTime\":255,", "\"firmwareVersion\":\"0104\"}"}},
        {"scaling", {"{\"factor\":1.0,\"steps\":0,\"measuringSteps\":1,\"revolutions\":1}"}},
        {"limits", {"{\"limits\":[{\"value\":42,\"on\":8,\"activeHigh\":0,\"positionChar\":\"3\"},{\"value\":0,"}},
        {"data-format", {"{\"ssi32Bit\":", "\"outputFormat\":0,", "\"bitsS\":12,\"bitsU\":12}"}},
        {"count-direction", {"{\"backward\":0,\"extSwitchOn\":0,\"extSwitchActiveBit\":0}"}},
        {"status-bits", {"{\"limit1\":{\"on\":8,\"activeHigh\":0,\"positionChar\":\"3\"},", "\"overspeedValue\":100}"}},
        {"firmware", {"{\"firmwareVersion\":\"0104\"}"}},
        {"config-registers", {"{\"kp14\":[1,2,3,4],\"kp15\":["}},
    };
    for (const auto& c : cases) {
        CliRun r = Cli({"query", c.group, "--json"});
        EXPECT_EQ(r.status, kExitOk) << c.group << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.group;
        for (const auto& e : c.expected) EXPECT_NE(r.out.find(e), std::string::npos) << c.group << ": " << r.out;
    }
    CliRun plain = Cli({"query", "limits"});
    EXPECT_NE(plain.out.find("limits[1].value = 42\nlimits[1].on = 8\n"), std::string::npos) << plain.out;
    EXPECT_NE(Cli({"query", "config-registers"}).out.find("kp14 = 1 2 3 4\n"), std::string::npos);
}

TEST_F(CliTest, PresetsGoOnWhenTheFirmwareIsUnreadable) {
    Sim().SetReplyBytes(31, {0x30, 0x41, 0x30, 0x34});   // 'A' is no version character
    CliRun r = Cli({"query", "presets"});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("firmwareVersion = 0000\n"), std::string::npos);
    EXPECT_EQ(Cli({"query", "firmware"}).status, kExitDevice);
}

TEST_F(CliTest, ActualValueAndDeviceCommands) {
    Sim().SetSpeed(0);
    Sim().SetActualValue(-2, 0xA5);
    CliRun r = Cli({"actual", "--count", "3", "--json"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::string line = "{\"statusBits\":\"1010010X\",\"dataBits\":\"11111111 11111111 11111110\",\"value\":-2}\n";
    EXPECT_EQ(r.out, line + line + line);
    EXPECT_EQ(Cli({"actual"}).out, "value = -2  dataBits = 11111111 11111111 11111110  statusBits = 1010010X\n");

    Sim().ClearTelegrams();
    for (const char* command : {"eeprom-store", "eeprom-load", "ram-defaults"}) EXPECT_EQ(Cli({command}).status, kExitOk);
    auto t = Sim().Telegrams();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0][0], 26);
    EXPECT_EQ(t[1][0], 27);
    EXPECT_EQ(t[2][0], 28);
}

TEST_F(CliTest, EncoderFailuresExitWithOne) {
    Sim().NakTelegrams(sim::kAlways, 2);
    CliRun r = Cli({"eeprom-store"});
    EXPECT_EQ(r.status, kExitDevice);
    EXPECT_EQ(r.err, "Geber meldet KP-Nummer nur lesbar !\n");

    Sim().NakTelegrams(0, 0);
    Sim().SetSilent(true);
    const std::string file = PathOf("never.ssi");
    r = Cli({"--lang", "en", "read-all", file});
    EXPECT_EQ(r.status, kExitDevice);
    EXPECT_EQ(r.err, "Encoder does not answer!\n");
    EXPECT_FALSE(std::filesystem::exists(file));   // nothing written when read-all fails
}

TEST_F(CliTest, PortThatDoesNotOpen) {
    const std::string device = PathOf("no-such-tty");
    CliRun r = Cli({"--device", device, "--port", "2", "query", "firmware"});
    EXPECT_EQ(r.status, kExitDevice);
    EXPECT_EQ(r.err, "Das Gerät " + device +
                         " kann nicht geöffnet werden.\nDer Anschluß COM 2 kann nicht geöffnet werden !\n"
                         "Geber antwortet nicht !\n");
    r = Cli({"--port", "2", "--device", std::string(5000, 'x'), "actual"});
    EXPECT_EQ(r.status, kExitDevice);
    EXPECT_EQ(r.err.rfind("Das Gerät " + std::string(5000, 'x') + " kann nicht", 0), 0u);
}

TEST_F(CliTest, FifoAsConfigurationFileIsRefusedAtOnce) {
    const std::string fifo = PathOf("pipe.ssi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const char* command : {"show", "defaults"}) {
        CliRun r = Cli({command, fifo});
        EXPECT_EQ(r.status, kExitFile) << command;
        EXPECT_EQ(r.err, "Zugriff auf " + fifo + " wurde verweigert.\n") << command;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    CliRun r = Cli({"defaults", ""});
    EXPECT_EQ(r.status, kExitFile);
    EXPECT_EQ(r.err, "\"\" enthält einen ungültigen Pfad.\n");
}

TEST_F(CliTest, EmptyDeviceIsAUsageErrorAndNothingIsSent) {
    Sim();  // the encoder is there, named first
    CliRun r = Cli({"--device", "", "eeprom-store"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Leerer Gerätepfad bei --device.");
    EXPECT_EQ(Sim().Counters().connectionAttempts, 0);
    EXPECT_TRUE(Sim().Telegrams().empty());
}

TEST_F(CliTest, TraceShowsEveryByte) {
    Sim();
    CliRun r = Cli({"--trace", "ram-defaults"});
    ASSERT_EQ(r.status, kExitOk);
    // STX out, DLE in, the telegram 1C 00 00 00 with DLE ETX and block check, DLE in.
    for (const char* part : {" ms -> 02\n", " ms <- 10\n", " ms -> 1C\n", " ms -> 03\n"})
        EXPECT_NE(r.err.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace veltrin::cli
