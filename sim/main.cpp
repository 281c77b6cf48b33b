// veltrin-sim: the simulated encoder as a program of its own.
//
// Plays one encoder, or several side by side (--encoders N), each on a pseudo-terminal of its
// own. Prints their device paths, one a line, encoder 1 first, once all of them serve, and
// serves until SIGINT or SIGTERM, until its standard input reaches end of file when that is a
// pipe (a parent that dies does not leave it running), or until no encoder serves any more.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/EncoderSimulator.h"

namespace {

using veltrin::sim::EncoderSimulator;
using veltrin::sim::kAlways;
using veltrin::sim::SimulatorOptions;

constexpr long kMaxEncoders = 64;

void Usage(std::FILE* out) {
    std::fputs(
        "Usage: veltrin-sim [options]\n"
        "Simulates the encoder on a pseudo-terminal and prints its device path.\n"
        "\n"
        "  --encoders N       play N encoders (1 to 64, default 1), each on a pseudo-terminal\n"
        "                     of its own; their paths are printed one a line, encoder 1 first\n"
        "  --link PATH        also make the symbolic link PATH to the device (removed on exit);\n"
        "                     with more than one encoder PATH-1 ... PATH-N\n"
        "\n"
        "Options for the encoders (every encoder; after --at K encoder K only):\n"
        "  --at K OPTION      the one option that follows is for encoder K (1 to N) only, and\n"
        "                     wins over the same option given for every encoder\n"
        "  --line-rate        pace the line at 2400 baud (10 bits a character)\n"
        "  --firmware XXXX    firmware version, four characters 0-9 (default 0104)\n"
        "  --speed N          the shaft turns N steps a second (default 40, 0 stands still)\n"
        "  --reply-delay MS   wait MS milliseconds before each reply block\n"
        "  --silent           answer nothing at all\n"
        "  --nak-always ERR   refuse every telegram; the error request answers ERR (0-255)\n"
        "  --corrupt-replies  send every reply block with a wrong block check\n"
        "  --swap-after-store MS  after each EEPROM store the encoder is taken off the line\n"
        "                     and a fresh one answers MS milliseconds later\n"
        "  --hang-up-after N  after N telegrams (their exchanges ended) the pseudo-terminal is\n"
        "                     closed, as an adapter pulled from the port\n"
        "  --reply-length N   every read reply and the error status carry N data bytes at least\n"
        "                     (zero bytes after the encoder's own, which has three or four)\n"
        "  --reply-extra N    and 0 to N random bytes more (--reply-seed S: their seed)\n"
        "  --repeat-stx-on-nak  answer every NAK with the reply's STX at once (with --reply-delay:\n"
        "                     the late reply of an encoder that takes the program's NAKs as refusals)\n"
        "  --help             this text\n",
        out);
}

bool ParseInt(const char* text, long lo, long hi, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    value = v;
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "veltrin-sim: %s\n", message.c_str());
    return 2;
}

/// What one encoder is told: its start options and its faults.
struct EncoderOptions {
    SimulatorOptions sim;
    bool silent = false;
    bool corruptReplies = false;
    bool repeatStxOnNak = false;
    int nakError = -1;  // -1: no refusals
    int swapAfterStoreMs = 0;
    int hangUpAfter = 0;
};

/// An option of an encoder: its name, whether a value follows, and how it is set; Set answers
/// the message for a value it does not take.
struct EncoderOption {
    std::string_view name;
    bool takesValue;
    std::optional<std::string> (*set)(EncoderOptions& o, const char* value);
};

/// Sets field to a number in lo..hi, or answers what the option wants.
template <typename T>
std::optional<std::string> Number(T& field, const char* value, long lo, long hi, const char* wants) {
    long v = 0;
    if (!ParseInt(value, lo, hi, v)) return std::string(wants);
    field = static_cast<T>(v);
    return std::nullopt;
}

const EncoderOption kEncoderOptions[] = {
    {"--line-rate", false,
     [](EncoderOptions& o, const char*) -> std::optional<std::string> {
         o.sim.lineRate = true;
         return std::nullopt;
     }},
    {"--silent", false,
     [](EncoderOptions& o, const char*) -> std::optional<std::string> {
         o.silent = true;
         return std::nullopt;
     }},
    {"--corrupt-replies", false,
     [](EncoderOptions& o, const char*) -> std::optional<std::string> {
         o.corruptReplies = true;
         return std::nullopt;
     }},
    {"--repeat-stx-on-nak", false,
     [](EncoderOptions& o, const char*) -> std::optional<std::string> {
         o.repeatStxOnNak = true;
         return std::nullopt;
     }},
    {"--firmware", true,
     [](EncoderOptions& o, const char* v) -> std::optional<std::string> {
         const std::string fw = v;
         if (fw.size() != 4 || fw.find_first_not_of("0123456789") != std::string::npos)
             return "--firmware wants four digits, e.g. 0104";
         o.sim.firmware = fw;
         return std::nullopt;
     }},
    {"--speed", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.sim.stepsPerSecond, v, -1000000, 1000000,
                       "--speed wants a whole number of steps a second");
     }},
    {"--reply-delay", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.sim.replyDelayMs, v, 0, 60000, "--reply-delay wants 0 to 60000 milliseconds");
     }},
    {"--reply-length", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.sim.replyLength, v, 0, 254, "--reply-length wants 0 to 254 data bytes");
     }},
    {"--reply-extra", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.sim.replyExtraMax, v, 0, 250, "--reply-extra wants 0 to 250 bytes");
     }},
    {"--reply-seed", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.sim.replyExtraSeed, v, 0, 2147483647, "--reply-seed wants a whole number");
     }},
    {"--swap-after-store", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.swapAfterStoreMs, v, 1, 600000, "--swap-after-store wants 1 to 600000 milliseconds");
     }},
    {"--nak-always", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.nakError, v, 0, 255, "--nak-always wants an error number 0 to 255");
     }},
    {"--hang-up-after", true,
     [](EncoderOptions& o, const char* v) {
         return Number(o.hangUpAfter, v, 1, 1000000, "--hang-up-after wants 1 to 1000000 telegrams");
     }},
};

const EncoderOption* FindEncoderOption(std::string_view name) {
    for (const EncoderOption& option : kEncoderOptions)
        if (option.name == name) return &option;
    return nullptr;
}

/// An option for one encoder only (--at K), set once the number of encoders is known.
struct OneEncoderOption {
    long encoder;  // 1-based
    const EncoderOption* option;
    const char* value;
};

struct CommandLine {
    long encoders = 1;
    std::string linkPath;
    EncoderOptions all;
    std::vector<OneEncoderOption> one;
};

/// Reads the command line into `line`; an exit status when the program is to end at once.
std::optional<int> Parse(int argc, char** argv, CommandLine& line) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg == "--encoders" && next) {
            if (!ParseInt(next, 1, kMaxEncoders, line.encoders)) return Fail("--encoders wants 1 to 64");
            ++i;
            continue;
        }
        if (arg == "--link" && next) {
            line.linkPath = next;
            ++i;
            continue;
        }
        long encoder = 0;
        if (arg == "--at") {
            if (!ParseInt(next, 1, kMaxEncoders, encoder))
                return Fail("--at wants the number of an encoder, 1 to 64, and an option for it");
            i += 2;
        }
        const char* name = i < argc ? argv[i] : nullptr;
        const EncoderOption* option = name ? FindEncoderOption(name) : nullptr;
        if (!option) {
            if (encoder > 0)
                return Fail("--at " + std::to_string(encoder) + " wants an option for the encoder after it" +
                            (name ? std::string(", not ") + name : std::string()));
            Usage(stderr);
            return 2;
        }
        const char* value = nullptr;
        if (option->takesValue) {
            if (i + 1 >= argc) return Fail(std::string(option->name) + " wants a value");
            value = argv[++i];
        }
        EncoderOptions scratch;
        if (auto wrong = option->set(encoder > 0 ? scratch : line.all, value)) return Fail(*wrong);
        if (encoder > 0) line.one.push_back({encoder, option, value});
    }
    for (const OneEncoderOption& o : line.one)
        if (o.encoder > line.encoders)
            return Fail("--at " + std::to_string(o.encoder) + ": there " +
                        (line.encoders == 1 ? std::string("is 1 encoder")
                                            : "are encoders 1 to " + std::to_string(line.encoders)));
    return std::nullopt;
}

/// Encoder k's options: those for every encoder, then those given for it alone.
EncoderOptions OptionsOf(const CommandLine& line, long k) {
    EncoderOptions o = line.all;
    for (const OneEncoderOption& one : line.one)
        if (one.encoder == k) one.option->set(o, one.value);
    return o;
}

std::unique_ptr<EncoderSimulator> MakeEncoder(const EncoderOptions& o) {
    auto simulator = std::make_unique<EncoderSimulator>(o.sim);
    simulator->SetSilent(o.silent);
    if (o.nakError >= 0) simulator->NakTelegrams(kAlways, static_cast<std::uint8_t>(o.nakError));
    if (o.corruptReplies) simulator->CorruptReplies(kAlways);
    if (o.swapAfterStoreMs > 0) simulator->SwapAfterStore(o.swapAfterStoreMs);
    if (o.hangUpAfter > 0) simulator->HangUpAfterTelegrams(o.hangUpAfter);
    simulator->RepeatStxOnNak(o.repeatStxOnNak);
    return simulator;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (const auto status = Parse(argc, argv, line)) return *status;

    // SIGINT and SIGTERM are taken through a descriptor; blocked before the serving threads
    // start, so that they reach only this one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) return Fail(std::string("signalfd: ") + std::strerror(errno));

    std::vector<std::unique_ptr<EncoderSimulator>> encoders;
    std::vector<std::string> links;  // made so far, removed on exit
    auto end = [&](int status) {
        for (auto& encoder : encoders) encoder->Stop();
        for (const std::string& path : links) ::unlink(path.c_str());
        ::close(signalFd);
        return status;
    };
    for (long k = 1; k <= line.encoders; ++k) {
        encoders.push_back(MakeEncoder(OptionsOf(line, k)));
        if (!encoders.back()->Start())
            return end(Fail(std::string("cannot open a pseudo-terminal: ") + std::strerror(errno)));
        if (line.linkPath.empty()) continue;
        const std::string path = line.encoders == 1 ? line.linkPath : line.linkPath + "-" + std::to_string(k);
        ::unlink(path.c_str());  // a stale link of an earlier run
        if (::symlink(encoders.back()->DevicePath().c_str(), path.c_str()) != 0)
            return end(Fail("cannot make the link " + path + ": " + std::strerror(errno)));
        links.push_back(path);
    }
    for (const auto& encoder : encoders) std::printf("%s\n", encoder->DevicePath().c_str());
    std::fflush(stdout);

    struct stat in {};
    const bool watchStdin = ::fstat(STDIN_FILENO, &in) == 0 && S_ISFIFO(in.st_mode);
    for (;;) {
        struct pollfd pfd[2] = {{signalFd, POLLIN, 0}, {watchStdin ? STDIN_FILENO : -1, POLLIN, 0}};
        int r = ::poll(pfd, 2, 1000);
        if (r < 0 && errno != EINTR) break;
        if (pfd[0].revents & POLLIN) {
            struct signalfd_siginfo info {};
            (void)!::read(signalFd, &info, sizeof info);
            if (info.ssi_signo != SIGPIPE) break;
        }
        if (watchStdin && (pfd[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buffer[256];
            ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;  // the parent is gone
        }
        bool anyServes = false;
        for (const auto& encoder : encoders) anyServes = anyServes || encoder->Running();
        if (!anyServes) break;
    }
    return end(0);
}
