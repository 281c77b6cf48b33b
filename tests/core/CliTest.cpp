// veltrin-cli run in process: every encoder command against the simulated encoder on a
// pseudo-terminal (with short link time-outs), and file errors. Argument handling and the file
// commands are in CliFileTest.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliFixture.h"
#include "doc/ParameterFields.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "tests/TestLinkTiming.h"

namespace veltrin::cli {
namespace {

using test::CliRun;

// The file commands' cases are in CliFileTest.cpp; here the encoder commands.
class CliTest : public test::CliFixture {
protected:
    sim::EncoderSimulator& Sim() {
        if (!sim) {
            sim = std::make_unique<sim::EncoderSimulator>();
            EXPECT_TRUE(sim->Start());
            device = sim->DevicePath();
        }
        return *sim;
    }

    std::unique_ptr<sim::EncoderSimulator> sim;
};

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
    // A folder given as the file, and a file in a folder that is not there, are named as such.
    const std::string folder = dir.string();
    r = Cli({"defaults", folder});
    EXPECT_EQ(r.status, kExitFile);
    EXPECT_EQ(r.err,
              "Zugriff auf " + folder + " wurde verweigert.\n" + folder + " ist ein Ordner, keine Datei.\n");
    const std::string nowhere = PathOf("nowhere/a.ssi");
    r = Cli({"--lang", "en", "defaults", nowhere});
    EXPECT_EQ(r.status, kExitFile);
    EXPECT_EQ(r.err,
              nowhere + " contains an invalid path.\nThe folder " + PathOf("nowhere") + " does not exist.\n");
    EXPECT_EQ(Cli({"show", nowhere}).err, nowhere + " enthält einen ungültigen Pfad.\nDen Ordner " +
                                              PathOf("nowhere") + " gibt es nicht.\n");
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

// The ranges set holds to are the encoder's: a file with every member at the low end of its
// range and one with every member at the high end go through send-all (with the debounce time)
// without a refusal.
TEST_F(CliTest, WhatSetTakesTheEncoderTakes) {
    Sim();
    for (bool high : {false, true}) {
        const std::string file = PathOf(high ? "high.ssi" : "low.ssi");
        ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
        std::vector<std::string> args = {"set", file};
        for (const ParameterField& f : kParameterFields) {
            std::string value = high ? "1.00000000" : "0";
            if (f.kind != FieldKind::Text) {
                const ValueRange r = *MemberRange(f.name);
                value = std::to_string(high ? (r.min2 <= r.max2 ? r.max2 : r.max) : r.min);
            }
            args.push_back(std::string(f.name) + "=" + value);
        }
        CliRun set = Cli(args);
        ASSERT_EQ(set.status, kExitOk) << set.err;
        CliRun r = Cli({"--extended", "send-all", file});
        EXPECT_EQ(r.status, kExitOk) << (high ? "high: " : "low: ") << r.err;
    }
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
        {"presets",
         {"{\"internalPreset\":0,", "\"debounceTime\":255,", "\"presetReplyBit5Clear\":1,",
          "\"extPreset1ActiveHigh\":0,", "\"firmwareVersion\":\"0104\"}"}},
        {"scaling",
         {"{\"scalingFactorText\":\"1.00000000\",\"stepsForMeasuringSteps\":0,\"measuringSteps\":1,"
          "\"stepsForRevolutions\":0,\"revolutions\":1}"}},
        {"limits",
         {"{\"limit1Value\":42,\"limit1BitPosition\":3,\"limit1BitOn\":1,\"limit1BitActiveLow\":1,"
          "\"limit2Value\":0,"}},
        {"data-format",
         {"{\"ssiConfiguration\":0,", "\"outputFormat\":0,", "\"numberRepresentation\":0,",
          "\"bitsS\":12,\"bitsU\":12}"}},
        {"count-direction",
         {"{\"countDirectionBackward\":0,\"extDirSwitchOn\":0,\"extDirSwitchActiveHigh\":0}"}},
        {"status-bits",
         {"{\"limit1BitPosition\":3,\"limit1BitOn\":1,\"limit1BitActiveLow\":1,",
          "\"directionBitActiveLow\":0,\"overspeedValue\":100}"}},
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
    EXPECT_NE(plain.out.find("limit1Value = 42\nlimit1BitPosition = 3\nlimit1BitOn = 1\n"), std::string::npos)
        << plain.out;
    EXPECT_NE(Cli({"query", "config-registers"}).out.find("kp14 = 1 2 3 4\n"), std::string::npos);
}

// An encoder that sends more than is read of its replies (four bytes where the simulator sends
// three, and random bytes after them) is served by every command exactly as one that does not.
TEST_F(CliTest, EveryCommandAlikeWithRepliesLongerThanRead) {
    const std::string file = PathOf("backup.ssi");
    const std::vector<std::vector<std::string>> commands = {
        {"query", "presets", "--json"},
        {"query", "scaling"},
        {"query", "limits", "--json"},
        {"query", "data-format"},
        {"query", "count-direction", "--json"},
        {"query", "status-bits"},
        {"query", "firmware"},
        {"query", "config-registers"},
        {"read-all", file},
        {"send-all", file},
        {"verify", file},
        {"actual", "--count", "2", "--json"},
        {"eeprom-store"},
        {"eeprom-load"},
    };
    auto runAll = [&](int replyLength, int extraMax) {
        sim::EncoderSimulator encoder;
        EXPECT_TRUE(encoder.Start());
        encoder.SetSpeed(0);
        encoder.SetActualValue(1234, 0x5A);
        encoder.SetRam(16, {0x02, 0x02, 0x10});
        encoder.SetReplyPadding(replyLength, extraMax);
        device = encoder.DevicePath();
        std::filesystem::remove(file);
        std::vector<std::string> results;
        for (const auto& command : commands) {
            CliRun r = Cli(command);
            results.push_back(std::to_string(r.status) + "|" + r.out + "|" + r.err);
        }
        encoder.NakTelegrams(sim::kAlways, 3);  // the refusal's reason comes in a longer reply too
        CliRun refused = Cli({"ram-defaults"});
        results.push_back(std::to_string(refused.status) + "|" + refused.out + "|" + refused.err);
        EXPECT_EQ(encoder.Counters().procedureErrors, 0);
        return results;
    };
    const auto expected = runAll(0, 0);
    EXPECT_NE(expected.back().find("Geber meldet Parameterwert zu gro"), std::string::npos)
        << expected.back();
    for (auto [length, extra] : {std::pair{4, 0}, std::pair{5, 40}}) {
        const auto results = runAll(length, extra);
        for (std::size_t i = 0; i < results.size(); ++i)
            EXPECT_EQ(results[i], expected[i])
                << "replies of " << length << " bytes and up to " << extra << " more";
    }
}

// query names what it reads as show and set do, with the same values: after send-all of a
// file, every member a query group shows holds the file's value (flags 0 or 1, positions 1 to 8).
TEST_F(CliTest, QueryGroupsSpeakTheLanguageOfShow) {
    Sim();
    const std::string file = PathOf("q.ssi");
    ASSERT_EQ(Cli({"defaults", file}).status, kExitOk);
    CliRun set = Cli({"set",
                      file,
                      "internalPreset=-5",
                      "extPreset1=7",
                      "extPreset1On=1",
                      "extPreset1ActiveHigh=1",
                      "extPreset2On=1",
                      "presetOffset=3",
                      "lengthMeasurementOn=1",
                      "debounceTime=20",
                      "scalingFactorText=1.00000000",
                      "scalingSelection=2",
                      "stepsForMeasuringSteps=4096",
                      "stepsForRevolutions=4096",
                      "revolutions=16",
                      "limit1Value=42",
                      "limit1BitPosition=3",
                      "limit1BitOn=1",
                      "limit1BitActiveLow=1",
                      "limit4Value=-9",
                      "limit4BitPosition=5",
                      "ssiConfiguration=1",
                      "numberRepresentation=2",
                      "outputCode=1",
                      "outputFormat=1",
                      "bitsS=10",
                      "bitsU=11",
                      "bitsTotal=21",
                      "positionShift=259",
                      "countDirectionBackward=1",
                      "extDirSwitchOn=1",
                      "extDirSwitchActiveHigh=1",
                      "overspeedValue=77",
                      "overspeedBitPosition=6",
                      "overspeedBitOn=1",
                      "directionBitPosition=7",
                      "directionBitActiveLow=1"});
    ASSERT_EQ(set.status, kExitOk) << set.err;
    CliRun sent = Cli({"--extended", "send-all", file});
    ASSERT_EQ(sent.status, kExitOk) << sent.err;
    const auto shown = nlohmann::json::parse(Cli({"show", file, "--json"}).out);
    int compared = 0;
    for (const char* group :
         {"presets", "scaling", "limits", "data-format", "count-direction", "status-bits"}) {
        CliRun r = Cli({"query", group, "--json"});
        ASSERT_EQ(r.status, kExitOk) << group << r.err;
        const auto read = nlohmann::json::parse(r.out);
        for (const auto& [name, value] : read.items()) {
            if (!shown.contains(name)) continue;  // firmwareVersion, nibbleS, nibbleU
            EXPECT_EQ(value, shown[name]) << group << ": " << name;
            ++compared;
        }
    }
    EXPECT_GE(compared, 70);
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
    EXPECT_EQ(r.err, "Der Anschluß COM 2 kann nicht geöffnet werden !\n" + device +
                         " gibt es nicht.\nGeber antwortet nicht !\n");
    // However long the path, it is used and named whole, never cut to a prefix of it.
    const std::string longPath = PathOf(std::string(300, 'x').c_str());
    r = Cli({"--port", "2", "--device", longPath, "actual"});
    EXPECT_EQ(r.status, kExitDevice);
    EXPECT_NE(r.err.find("\n" + longPath + " "), std::string::npos) << r.err;
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

// The language: --lang, else the program's settings (the INI file under XDG_CONFIG_HOME or
// ~/.config), else LC_ALL, LC_MESSAGES, LANG, else German. The test surroundings start with no
// settings and no language in the environment.
TEST_F(CliTest, LanguageFromOptionThenSettingsThenEnvironment) {
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    auto store = [](const std::string& folder, const std::string& text) {
        std::filesystem::create_directories(folder + "/Veltrin");
        std::ofstream(folder + "/Veltrin/Veltrin.conf") << text;
    };
    auto says = [&](std::vector<std::string> options) {
        options.push_back("frobnicate");
        const std::string err = Cli(options).err;
        if (err.rfind("Unknown command: frobnicate\n", 0) == 0) return "en";
        if (err.rfind("Unbekannter Befehl: frobnicate\n", 0) == 0) return "de";
        return "?";
    };
    EXPECT_STREQ(says({}), "de");

    // The environment: the first of LC_ALL, LC_MESSAGES, LANG that is set.
    ::setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_STREQ(says({}), "en");
    ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
    EXPECT_STREQ(says({}), "de");
    ::setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_STREQ(says({}), "en");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "C.UTF-8", 1);
    EXPECT_STREQ(says({}), "de");

    // The settings come before the environment; only a number under [Global] counts.
    ::setenv("LANG", "en_US.UTF-8", 1);
    store(config, "[Global]\nPort=2\nLanguage=0\n");
    EXPECT_STREQ(says({}), "de");
    ::setenv("LANG", "de_DE.UTF-8", 1);
    store(config, "[Recent%20File%20List]\nFile1=/tmp/a.ssi\n\n[Global]\r\nLanguage = 1\r\n");
    EXPECT_STREQ(says({}), "en");
    store(config, "[Other]\nLanguage=1\n[Global]\nLanguage=English\n");
    EXPECT_STREQ(says({}), "de");  // no usable setting: LANG decides

    // --lang comes first of all; a value it does not know leaves the choice to the others.
    store(config, "[Global]\nLanguage=1\n");
    EXPECT_STREQ(says({"--lang", "de"}), "de");
    store(config, "[Global]\nLanguage=0\n");
    EXPECT_STREQ(says({"--lang", "en"}), "en");
    ::setenv("LANG", "en_US.UTF-8", 1);
    std::filesystem::remove(config + "/Veltrin/Veltrin.conf");
    CliRun bad = Cli({"--lang", "fr", "show", "x"});
    EXPECT_EQ(bad.status, kExitUsage);
    EXPECT_EQ(bad.err.rfind("Language de or en expected, not: fr\n", 0), 0u) << bad.err;

    // Without XDG_CONFIG_HOME the settings lie in ~/.config.
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", dir.c_str(), 1);
    store(dir.string() + "/.config", "[Global]\nLanguage=1\n");
    EXPECT_STREQ(says({}), "en");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::unsetenv("LANG");
}

TEST_F(CliTest, WrongOptionIsReportedInTheChosenLanguage) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--lang", "en", "--bogus", "show", "x"},
                                                                  {"--bogus", "--lang", "en", "show", "x"}}) {
        CliRun r = Cli(args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.err,
                  "Unknown option: --bogus\nUsage: veltrin-cli [options] COMMAND [arguments]; more with "
                  "veltrin-cli --help\n");
    }
    CliRun missing = Cli({"--lang", "en", "--device"});
    EXPECT_EQ(missing.err.rfind("--device needs a value.\n", 0), 0u) << missing.err;
    // The first wrong option is reported, and --help behind it does not hide it.
    CliRun first = Cli({"--port", "x", "--bogus", "--help", "actual"});
    EXPECT_EQ(first.status, kExitUsage);
    EXPECT_EQ(first.err.rfind("Keine gültige Zahl: x\n", 0), 0u) << first.err;
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
