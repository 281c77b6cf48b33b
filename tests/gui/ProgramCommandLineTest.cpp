// The program's command line: --help and --version print and end without a display, a wrong
// option ends with the usage and status 2, in the language of the settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <string>
#include <vector>

#include "app/StartUp.h"

extern char** environ;

namespace {

struct ProgramRun {
    int status = -1;  ///< exit status; -1 when it did not end by itself within the bound
    std::string out, err;
};

/// Runs the program with no display of any kind, its settings in configHome.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& configHome) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string var = *e;
        const std::string name = var.substr(0, var.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" ||
            name == "XDG_CONFIG_HOME" || name == "HOME")
            continue;
        env.push_back(var);
    }
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    env.push_back("HOME=" + configHome);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string program = std::string(VELTRIN_BUILD_DIR) + "/veltrin";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int outPipe[2], errPipe[2];
    EXPECT_EQ(::pipe2(outPipe, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(errPipe, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    // Both streams until they close; bounded, so a program that waits for a window cannot hang
    // the test (a loaded machine still ends within the bound by far).
    ProgramRun r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int openStreams = 2;
    while (openStreams > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 200) <= 0) continue;
        for (auto& f : fds) {
            if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = ::read(f.fd, buf, sizeof buf);
            if (n > 0) {
                (f.fd == outPipe[0] ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(f.fd);
                f.fd = -1;
                --openStreams;
            }
        }
    }
    int ws = 0;
    if (openStreams > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &ws, 0);
        for (auto& f : fds)
            if (f.fd >= 0) ::close(f.fd);
        return r;
    }
    ::waitpid(pid, &ws, 0);
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
    return r;
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
