// veltrin-bench-series: finding the encoders among several devices, and programming 1, 4, 8 and
// 16 encoders side by side, timed against simulated encoders that keep the line's speed
// (2400 baud). The encoders are played by one veltrin-sim child (the one beside this program),
// so that their work does not count in this process's CPU time. Prints
//   scan: N devices in X s (E encoders, S silent)
//   program N encoders side by side: T s, R x the time of one, CPU C ms per encoder
//   16 encoders: R16 x the time of one (target at most 1.1)
// Exit status 1 when an encoder is not found or not programmed, 3 with --check when 16
// encoders take more than 1.1 times as long as one.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "doc/Batch.h"
#include "params/EncoderSession.h"
#include "params/Scan.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSimulated = 16;        // encoders the child plays at least
constexpr double kTargetRatio = 1.1;  // 16 encoders side by side against one
constexpr int kMaxSimulated = 64;     // veltrin-sim's own limit

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// User plus system time of this process so far, in seconds.
double CpuSeconds() {
    struct rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

/// veltrin-sim beside this program (every program lands at the top of the build tree).
std::string SimProgram() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "veltrin-sim";
    std::string path(self, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/veltrin-sim";
}

/// veltrin-sim as a child: its input a pipe (it ends when we close it, or when we die), its
/// output a pipe with the device paths.
class SimChild {
public:
    SimChild(const std::string& program, const std::vector<std::string>& options) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args = {program};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;
    ~SimChild() {
        End();
        if (output_ >= 0) ::close(output_);
    }

    bool Started() const { return pid_ > 0; }

    /// Its next line of output; nothing when none came within a minute or it ended.
    std::optional<std::string> Line() {
        std::string line;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        for (char c = 0;;) {
            struct pollfd pfd {
                output_, POLLIN, 0
            };
            if (Clock::now() > deadline) return std::nullopt;
            const int r = ::poll(&pfd, 1, 1000);
            if (r < 0 && errno != EINTR) return std::nullopt;
            if (r <= 0 || !(pfd.revents & (POLLIN | POLLHUP))) continue;
            if (::read(output_, &c, 1) != 1) return std::nullopt;
            if (c == '\n') return line;
            line += c;
        }
    }

    /// Closes its input and waits up to 5 s for it to end; then kills it by its id.
    void End() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
        if (pid_ <= 0) return;
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
    int input_ = -1;
    int output_ = -1;
};

/// "1,4,8,16" into its counts (each 1 to 64); nothing when it is not such a list.
std::optional<std::vector<int>> ParseCounts(const std::string& text) {
    std::vector<int> counts;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        char* end = nullptr;
        const long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || n < 1 || n > kMaxSimulated) return std::nullopt;
        counts.push_back(static_cast<int>(n));
        pos = comma + 1;
    }
    return counts;
}

void Usage(std::FILE* out) {
    std::fputs(
        "Usage: veltrin-bench-series [--encoders LIST] [--silent N] [--check]\n"
        "  --encoders LIST  how many encoders to program side by side, one batch each\n"
        "                   (default 1,4,8,16; the time of one is always measured)\n"
        "  --silent N       silent devices in the scan besides the encoders (default 1)\n"
        "  --check          exit 3 when 16 encoders take more than 1.1 x the time of one\n",
        out);
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;
};

/// Programs the encoders on devices side by side (send-all, verify, EEPROM store, the program's
/// own timing); nothing when one of them did not come out programmed.
std::optional<Measured> ProgramSideBySide(const std::vector<std::string>& devices) {
    veltrin::BatchJob job;
    job.devices = devices;
    job.set = veltrin::DefaultEncoderParameters();
    job.set.limit1Value = -500;  // not the encoder's own value: the send writes something
    job.set.limit2Value = 4000;
    job.verify = true;
    job.store = true;
    veltrin::Batch batch(job);
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    batch.Run(nullptr);
    Measured m{SecondsSince(start), CpuSeconds() - cpuBefore};
    bool all = true;
    for (const veltrin::StationStatus& s : batch.Stations()) {
        if (s.programmed == 1 && s.last == veltrin::ProgramResult::Programmed) continue;
        std::fprintf(stderr, "veltrin-bench-series: %s not programmed: %s\n", s.device.c_str(),
                     s.problem.empty() ? "(no reason given)" : s.problem.c_str());
        all = false;
    }
    if (!all) return std::nullopt;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts = {1, 4, 8, 16};
    int silent = 1;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--encoders" && i + 1 < argc) {
            const auto parsed = ParseCounts(argv[++i]);
            if (!parsed) {
                std::fprintf(stderr,
                             "veltrin-bench-series: --encoders wants a list of counts 1 to %d, e.g. 1,4\n",
                             kMaxSimulated);
                return 2;
            }
            counts = *parsed;
        } else if (arg == "--silent" && i + 1 < argc) {
            silent = std::atoi(argv[++i]);
            if (silent < 0 || silent > kMaxSimulated - kSimulated) {
                std::fprintf(stderr, "veltrin-bench-series: --silent wants 0 to %d\n",
                             kMaxSimulated - kSimulated);
                return 2;
            }
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            Usage(stderr);
            return 2;
        }
    }
    // The time of one is what every other count is compared with: it is measured first.
    counts.erase(std::remove(counts.begin(), counts.end(), 1), counts.end());
    counts.insert(counts.begin(), 1);
    const int encoders = std::max(kSimulated, *std::max_element(counts.begin(), counts.end()));
    if (encoders + silent > kMaxSimulated) {
        std::fprintf(stderr, "veltrin-bench-series: at most %d devices (encoders and silent ones)\n",
                     kMaxSimulated);
        return 2;
    }

    // One child plays every encoder, the silent devices after them.
    std::vector<std::string> options = {"--encoders", std::to_string(encoders + silent), "--line-rate",
                                        "--speed", "0"};
    for (int k = encoders + 1; k <= encoders + silent; ++k)
        options.insert(options.end(), {"--at", std::to_string(k), "--silent"});
    const std::string program = SimProgram();
    SimChild sim(program, options);
    if (!sim.Started()) {
        std::fprintf(stderr, "veltrin-bench-series: cannot start %s\n", program.c_str());
        return 1;
    }
    std::vector<std::string> devices;
    for (int i = 0; i < encoders + silent; ++i) {
        const std::optional<std::string> line = sim.Line();
        if (!line || line->empty()) {
            std::fprintf(stderr, "veltrin-bench-series: %s named %zu of %d devices\n", program.c_str(),
                         devices.size(), encoders + silent);
            return 1;
        }
        devices.push_back(*line);
    }

    auto start = Clock::now();
    const std::vector<veltrin::ScanResult> results = veltrin::ScanForEncoders(devices);
    const double scanSeconds = SecondsSince(start);
    int found = 0;
    for (const veltrin::ScanResult& r : results) found += r.state == veltrin::ScanState::Found ? 1 : 0;
    std::printf("scan: %zu devices in %.2f s (%d encoders, %d silent)\n", devices.size(), scanSeconds, found,
                silent);
    std::fflush(stdout);
    if (found != encoders) {
        std::fprintf(stderr, "veltrin-bench-series: %d of %d encoders found\n", found, encoders);
        return 1;
    }

    double one = 0;
    std::optional<double> ratio16;
    for (int n : counts) {
        const std::vector<std::string> line(devices.begin(), devices.begin() + n);
        const std::optional<Measured> m = ProgramSideBySide(line);
        if (!m) return 1;
        if (n == 1) one = m->seconds;
        const double ratio = m->seconds / one;
        if (n == 16) ratio16 = ratio;
        std::printf("program %d %s side by side: %.2f s, %.3f x the time of one, CPU %.1f ms per encoder\n", n,
                    n == 1 ? "encoder" : "encoders", m->seconds, ratio, m->cpuSeconds * 1000.0 / n);
        std::fflush(stdout);
    }
    if (ratio16) {
        std::printf("16 encoders: %.3f x the time of one (target at most %.1f)\n", *ratio16, kTargetRatio);
        if (check && *ratio16 > kTargetRatio) return 3;
    }
    return 0;
}
