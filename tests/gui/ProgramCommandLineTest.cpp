// The program's command line: --help and --version print and end without a display, a wrong
// option ends with the usage and status 2, in the language of the settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/StartUp.h"

extern char** environ;

namespace {

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Runs the program with no display of any kind, its settings in configHome. A program that
/// waited for a window would never end; the test's time-out ends it then.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& configHome) {
    std::vector<std::string> env{"XDG_CONFIG_HOME=" + configHome, "HOME=" + configHome};
    const std::set<std::string> dropped{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME",
                                        "HOME"};
    for (char** e = environ; *e; ++e) {
        const std::string var = *e;
        if (!dropped.count(var.substr(0, var.find('=')))) env.push_back(var);
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string program = std::string(VELTRIN_BUILD_DIR) + "/veltrin";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const std::string out = configHome + "/stdout", err = configHome + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    int ws = 0;
    ::waitpid(pid, &ws, 0);
    return {WIFEXITED(ws) ? WEXITSTATUS(ws) : -1, Contents(out), Contents(err)};
}

TEST(ProgramCommandLine, HelpAndVersionWithoutADisplay) {
    QTemporaryDir config;
    ProgramRun help = RunProgram({"--help"}, config.path().toStdString());
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Aufruf: veltrin [Optionen] [DATEI.ssi]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--device PFAD"), std::string::npos);
    EXPECT_EQ(help.err, "");

    ProgramRun shortHelp = RunProgram({"-h"}, config.path().toStdString());
    EXPECT_EQ(shortHelp.status, 0);
    EXPECT_EQ(shortHelp.out, help.out);

    ProgramRun version = RunProgram({"--version"}, config.path().toStdString());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "veltrin 1.04\n");
}

TEST(ProgramCommandLine, WrongOptionGivesTheUsageAndStatusTwo) {
    QTemporaryDir config;
    ProgramRun bogus = RunProgram({"--bogus", "datei.ssi"}, config.path().toStdString());
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_EQ(
        bogus.err,
        "Unbekannte Option: --bogus\nAufruf: veltrin [--device PFAD] [DATEI.ssi]; mehr mit veltrin --help\n");

    ProgramRun missing = RunProgram({"--device"}, config.path().toStdString());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.rfind("Zu --device fehlt der Wert.\n", 0), 0u) << missing.err;

    // Under English settings the texts are English.
    ASSERT_TRUE(QDir(config.path()).mkpath("Veltrin"));
    QFile settings(config.filePath("Veltrin/Veltrin.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Global]\nLanguage=1\n");
    settings.close();
    ProgramRun english = RunProgram({"-x"}, config.path().toStdString());
    EXPECT_EQ(english.status, 2);
    EXPECT_EQ(english.err,
              "Unknown option: -x\nUsage: veltrin [--device PATH] [FILE.ssi]; more with veltrin --help\n");
    ProgramRun englishHelp = RunProgram({"--help"}, config.path().toStdString());
    EXPECT_EQ(englishHelp.out.rfind("Usage: veltrin [options] [FILE.ssi]\n", 0), 0u) << englishHelp.out;
}

TEST(ProgramCommandLine, WhatTheProgramTakesFromIt) {
    using veltrin::app::ParseStartOptions;
    auto o = ParseStartOptions({"veltrin", "--device", "/dev/ttyUSB0", "a.ssi"});
    EXPECT_TRUE(o.deviceGiven);
    EXPECT_EQ(o.device, "/dev/ttyUSB0");
    EXPECT_EQ(o.files, QStringList{"a.ssi"});
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_FALSE(o.help || o.version);
    o = ParseStartOptions({"veltrin", "--device=/dev/x"});
    EXPECT_EQ(o.device, "/dev/x");
    EXPECT_TRUE(ParseStartOptions({"veltrin", "-v"}).version);
    EXPECT_FALSE(ParseStartOptions({}).deviceGiven);
    // Qt's own options are no wrong options; their values are no files.
    o = ParseStartOptions({"veltrin", "-platform", "offscreen", "-style=fusion", "--reverse", "b.ssi"});
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.files, QStringList{"b.ssi"});
    EXPECT_EQ(ParseStartOptions({"veltrin", "-bogus=1"}).error, "Unbekannte Option: -bogus");
    EXPECT_EQ(ParseStartOptions({"veltrin", "-style"}).error, "Zu -style fehlt der Wert.");
}

}  // namespace
