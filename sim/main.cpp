// veltrin-sim: the simulated encoder as a program of its own.
//
// Prints the device path of the pseudo-terminal as the first line on standard output once it
// serves, and serves until SIGINT or SIGTERM, or until its standard input reaches end of file
// when that is a pipe (a parent that dies does not leave it running).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/EncoderSimulator.h"

namespace {

void Usage(std::FILE* out) {
    std::fputs(
        "Usage: veltrin-sim [options]\n"
        "Simulates the encoder on a pseudo-terminal and prints its device path.\n"
        "\n"
        "  --link PATH        also make the symbolic link PATH to the device (removed on exit)\n"
        "  --line-rate        pace the line at 2400 baud (10 bits a character)\n"
        "  --firmware XXXX    firmware version, four characters 0-9 (default 0104)\n"
        "  --speed N          the shaft turns N steps a second (default 40, 0 stands still)\n"
        "  --reply-delay MS   wait MS milliseconds before each reply block\n"
        "  --silent           answer nothing at all\n"
        "  --nak-always ERR   refuse every telegram; the error request answers ERR (0-255)\n"
        "  --corrupt-replies  send every reply block with a wrong block check\n"
        "  --swap-after-store MS  after each EEPROM store the encoder is taken off the line\n"
        "                     and a fresh one answers MS milliseconds later\n"
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

}  // namespace

int main(int argc, char** argv) {
    using namespace veltrin::sim;
    SimulatorOptions options;
    std::string linkPath;
    bool silent = false, corrupt = false, repeatStx = false;
    long nakError = -1, swapMs = 0;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        long v = 0;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--line-rate") {
            options.lineRate = true;
        } else if (arg == "--silent") {
            silent = true;
        } else if (arg == "--corrupt-replies") {
            corrupt = true;
        } else if (arg == "--repeat-stx-on-nak") {
            repeatStx = true;
        } else if (arg == "--link" && next) {
            linkPath = next;
            ++i;
        } else if (arg == "--firmware" && next) {
            std::string fw = next;
            if (fw.size() != 4 || fw.find_first_not_of("0123456789") != std::string::npos)
                return Fail("--firmware wants four digits, e.g. 0104");
            options.firmware = fw;
            ++i;
        } else if (arg == "--speed" && next) {
            if (!ParseInt(next, -1000000, 1000000, v)) return Fail("--speed wants a whole number of steps a second");
            options.stepsPerSecond = static_cast<double>(v);
            ++i;
        } else if (arg == "--reply-delay" && next) {
            if (!ParseInt(next, 0, 60000, v)) return Fail("--reply-delay wants 0 to 60000 milliseconds");
            options.replyDelayMs = static_cast<int>(v);
            ++i;
        } else if (arg == "--reply-length" && next) {
            if (!ParseInt(next, 0, 254, v)) return Fail("--reply-length wants 0 to 254 data bytes");
            options.replyLength = static_cast<int>(v);
            ++i;
        } else if (arg == "--reply-extra" && next) {
            if (!ParseInt(next, 0, 250, v)) return Fail("--reply-extra wants 0 to 250 bytes");
            options.replyExtraMax = static_cast<int>(v);
            ++i;
        } else if (arg == "--reply-seed" && next) {
            if (!ParseInt(next, 0, 2147483647, v)) return Fail("--reply-seed wants a whole number");
            options.replyExtraSeed = static_cast<unsigned>(v);
            ++i;
        } else if (arg == "--swap-after-store" && next) {
            if (!ParseInt(next, 1, 600000, swapMs))
                return Fail("--swap-after-store wants 1 to 600000 milliseconds");
            ++i;
        } else if (arg == "--nak-always" && next) {
            if (!ParseInt(next, 0, 255, nakError)) return Fail("--nak-always wants an error number 0 to 255");
            ++i;
        } else {
            Usage(stderr);
            return 2;
        }
    }

    // SIGINT and SIGTERM are taken through a descriptor; blocked before the serving thread
    // starts, so that they reach only this one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) return Fail(std::string("signalfd: ") + std::strerror(errno));

    EncoderSimulator simulator(options);
    simulator.SetSilent(silent);
    if (nakError >= 0) simulator.NakTelegrams(kAlways, static_cast<std::uint8_t>(nakError));
    if (corrupt) simulator.CorruptReplies(kAlways);
    if (swapMs > 0) simulator.SwapAfterStore(static_cast<int>(swapMs));
    simulator.RepeatStxOnNak(repeatStx);
    if (!simulator.Start()) return Fail(std::string("cannot open a pseudo-terminal: ") + std::strerror(errno));

    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());   // a stale link of an earlier run
        if (::symlink(simulator.DevicePath().c_str(), linkPath.c_str()) != 0) {
            simulator.Stop();
            return Fail("cannot make the link " + linkPath + ": " + std::strerror(errno));
        }
    }
    std::printf("%s\n", simulator.DevicePath().c_str());
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
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;   // the parent is gone
        }
        if (!simulator.Running()) break;
    }

    simulator.Stop();
    if (!linkPath.empty()) ::unlink(linkPath.c_str());
    ::close(signalFd);
    return 0;
}
