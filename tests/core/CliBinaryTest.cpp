// The real programs: veltrin-cli against veltrin-sim on a pseudo-terminal, with the real
// time-outs (so only a few cases here; the rest runs in process in CliTest).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kBuild = VELTRIN_BUILD_DIR;

struct Child {
    pid_t pid = -1;
    int out = -1, err = -1;
};

Child Spawn(const std::string& program, const std::vector<std::string>& args) {
    int outPipe[2], errPipe[2];
    EXPECT_EQ(::pipe2(outPipe, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(errPipe, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Child c;
    EXPECT_EQ(::posix_spawn(&c.pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    c.out = outPipe[0];
    c.err = errPipe[0];
    return c;
}

std::string ReadAll(int fd) {
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return s;
}

struct Result {
    int status = -1;
    std::string out, err;
};

Result RunCliProgram(const std::vector<std::string>& args) {
    Child c = Spawn(kBuild + "/veltrin-cli", args);
    Result r;
    // Standard error is small; read it after standard output has ended.
    r.out = ReadAll(c.out);
    r.err = ReadAll(c.err);
    int ws = 0;
    ::waitpid(c.pid, &ws, 0);
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
    return r;
}

// veltrin-sim as a child: it prints its device path as its first line once it serves.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) : child_(Spawn(kBuild + "/veltrin-sim", args)) {
        std::string line;
        char ch;
        struct pollfd pfd {child_.out, POLLIN, 0};
        while (::poll(&pfd, 1, 5000) > 0 && ::read(child_.out, &ch, 1) == 1 && ch != '\n') line += ch;
        device_ = line;
    }
    ~SimProcess() {
        ::kill(child_.pid, SIGTERM);
        ::waitpid(child_.pid, nullptr, 0);
        ::close(child_.out);
        ::close(child_.err);
    }
    const std::string& Device() const { return device_; }

private:
    Child child_;
    std::string device_;
};

TEST(CliProgram, VersionAndUsage) {
    EXPECT_EQ(RunCliProgram({"--version"}).out, "veltrin-cli 1.04\n");
    Result r = RunCliProgram({"nonsense"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Unbekannter Befehl: nonsense"), std::string::npos);
}

TEST(CliProgram, ReadAllThenShow) {
    SimProcess sim({});
    ASSERT_FALSE(sim.Device().empty());
    const std::string file =
        (std::filesystem::temp_directory_path() / ("veltrin-cli-prog-" + std::to_string(::getpid()) + ".ssi")).string();
    Result r = RunCliProgram({"--device", sim.Device(), "read-all", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");   // no terminal: no progress line
    Result show = RunCliProgram({"show", "--json", file});
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("\"scalingFactorText\":\"1.00000000\""), std::string::npos) << show.out;
    std::filesystem::remove(file);
}

TEST(CliProgram, RefusedCommandShowsTheEncodersReason) {
    SimProcess sim({"--nak-always", "3"});
    Result r = RunCliProgram({"--device", sim.Device(), "ram-defaults"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Geber meldet Parameterwert zu groß !\n");
}

TEST(CliProgram, SilentEncoder) {
    SimProcess sim({"--silent"});
    Result r = RunCliProgram({"--device", sim.Device(), "query", "firmware"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Geber antwortet nicht !\n");
}

}  // namespace
