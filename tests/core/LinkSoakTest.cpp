// A seeded soak of the link: read-all through veltrin-cli against the simulated encoder, with a
// random mix of line faults in every round, each set off at a random telegram of it: NAK on
// connect, corrupted replies, silence after n telegrams, lost acknowledgements, late replies
// (also from an encoder that answers the program's NAKs with STX at once), a gap inside a
// reply, both sides sending at once, and a hang-up in the middle of an exchange. Whatever
// happens: no wrong value is taken, a failed read-all writes no file and leaves an existing
// one byte-identical, every failure is reported within the time-outs, and the program keeps
// to the block procedure.
//
// The soak runs at a fifth of the encoder's time scale: handshake 110 ms and character 40 ms on
// both sides instead of 550 and 200, and a late reply comes 60 to 340 ms late, which is 0.3 to
// 1.7 s at full scale (past the program's second and third wait for the reply's STX).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "cli/Cli.h"
#include "doc/ConfigFile.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"
#include "sim/EncoderSimulator.h"

namespace veltrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kHandshakeMs = 110;
constexpr int kCharMs = 40;
constexpr int kRetries = 3;

/// The longest a failing read exchange may take: its request sent three times (connection and
/// acknowledgement waits), and as often again after a block given up on a hold-up, each then
/// after a pause of twice the character time-out; the error-status request likewise with its
/// reply, or the request and three waits for a reply of a few bytes.
constexpr int kExchangeBoundMs = [] {
    const int attempt = 5 + kHandshakeMs + 5 + 5 + 2 * kHandshakeMs;
    const int send = kRetries * attempt + kRetries * (attempt + 2 * kCharMs + 5);
    const int reply = kRetries * (kHandshakeMs + 5 + 12 * kCharMs + 5);
    return 2 * send + reply;
}();
/// What a loaded machine may add to it.
constexpr int kLoadSlackMs = 2000;

sim::SimulatorOptions SoakEncoder() {
    sim::SimulatorOptions o;
    o.handshakeTimeoutMs = kHandshakeMs;
    o.charTimeoutMs = kCharMs;
    o.stepsPerSecond = 0;
    return o;
}

Bytes Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Serialized(const EncoderParameters& p) {
    std::ostringstream out;
    WriteConfiguration(out, p);
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

/// A configuration inside the ranges the encoder takes, written straight into its RAM.
void RandomModel(sim::EncoderSimulator& sim, std::mt19937& rng) {
    auto byte = [&rng](int hi) { return static_cast<std::uint8_t>(rng() % static_cast<unsigned>(hi + 1)); };
    for (int kp : {1, 2, 3, 4, 8, 9, 10, 11, 16, 17, 18, 19})
        sim.SetRam(kp, {static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                        static_cast<std::uint8_t>(rng())});
    if (rng() % 4 == 0) sim.SetRam(1, {0x80, 0x00, 0x00});  // -8388608
    const std::uint8_t s = byte(sim::kMaxBitsS), u = byte(sim::kMaxBitsU);
    sim.SetRam(21, {s, u, static_cast<std::uint8_t>(s + u)});
    sim.SetRam(22, {0, 0, static_cast<std::uint8_t>(1 + rng() % 255)});
    sim.SetRam(23, {0, 0, byte(255)});
    sim.SetRam(29, {0, 0, byte(1)});
    sim.SetRam(30, {0, byte(1), byte(sim::kMaxShiftAmount)});
    for (int kp : {32, 33, 34}) sim.SetRam(kp, {0, 0, byte(3)});
    for (int kp : {35, 38, 39}) sim.SetRam(kp, {0, 0, byte(1)});
    sim.SetRam(36, {0, 0, byte(2)});
    sim.SetRam(37, {0, 0, byte(2)});
    for (int kp = 40; kp <= 48; ++kp) sim.SetRam(kp, {0, 0, byte(0x1F)});
}

/// What read-all must store for the encoder as it is now: the start-up values, then every
/// step's reply as the encoder gives it.
EncoderParameters ExpectedReadAll(const sim::EncoderSimulator& sim) {
    EncoderParameters p;
    p = DefaultEncoderParameters();
    for (int step = 1; step <= kReadAllSteps; ++step) {
        const auto reply = sim.ReplyFor(KpNumber(ReadAllStepKp(step)));
        ReplyBlock r;
        r.count = static_cast<std::uint8_t>(reply->size());
        std::copy(reply->begin(), reply->end(), r.data.begin());
        StoreReadAllReply(step, r, p);
    }
    return p;
}

/// One fault, set off just before the program sends telegram number `at` of the round.
struct Fault {
    int at;
    std::string name;
    std::function<void(sim::EncoderSimulator&)> arm;
};

std::vector<Fault> RandomFaults(std::mt19937& rng) {
    std::vector<Fault> faults;
    const int count = static_cast<int>(rng() % 4);  // 0 to 3
    for (int i = 0; i < count; ++i) {
        const int at = 1 + static_cast<int>(rng() % 34);
        const int n = 1 + static_cast<int>(rng() % 4);  // 1 and 2 are survived, 3 and 4 not
        switch (rng() % 8) {
            case 0:
                faults.push_back(
                    {at, "NAK on connect x" + std::to_string(n), [n](auto& s) { s.NakConnections(n); }});
                break;
            case 1:
                faults.push_back(
                    {at, "corrupt replies x" + std::to_string(n), [n](auto& s) { s.CorruptReplies(n); }});
                break;
            case 2:
                faults.push_back({at, "silence", [](auto& s) { s.SilenceAfterTelegrams(1); }});
                break;
            case 3:
                faults.push_back({at, "lost acknowledgement x" + std::to_string(n),
                                  [n](auto& s) { s.DropAcknowledgements(n); }});
                break;
            case 4:
            case 5: {
                const int delay = 60 + static_cast<int>(rng() % 281);
                const bool eager = rng() % 2 == 0;
                faults.push_back(
                    {at, "reply " + std::to_string(delay) + " ms late" + (eager ? ", STX repeated" : ""),
                     [delay, eager](auto& s) {
                         s.SetReplyDelay(delay);
                         s.RepeatStxOnNak(eager);
                     }});
                faults.push_back({at + 1, "", [](auto& s) { s.SetReplyDelay(0); }});  // that reply only
                break;
            }
            case 6: {
                const int gap = 20 + static_cast<int>(rng() % 60);
                faults.push_back(
                    {at, "gap of " + std::to_string(gap) + " ms", [gap](auto& s) { s.GapInNextReply(gap); }});
                if (rng() % 2)
                    faults.push_back({at, "both send at once", [](auto& s) { s.StxCollisions(1); }});
                break;
            }
            default: {
                const bool inReply = rng() % 2 == 0;
                faults.push_back(
                    {at, inReply ? "hang-up in the reply" : "hang-up after the request", [inReply](auto& s) {
                         s.HangUpAt(inReply ? sim::HangUpPoint::InReply
                                            : sim::HangUpPoint::AfterRequestBlock);
                     }});
                break;
            }
        }
    }
    return faults;
}

TEST(LinkSoak, FaultsNeverGiveAWrongValueALostFileOrAnEndlessWait) {
    unsigned seed = 20240917;
    if (const char* s = std::getenv("VELTRIN_SOAK_SEED"))
        seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    RecordProperty("seed", static_cast<int>(seed));
    std::mt19937 rng(seed);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("veltrin-soak-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "soak.ssi").string();

    cli::CliHooks hooks;
    hooks.timing = LinkTiming{};
    hooks.timing->retryCount = {kRetries, kRetries, 0};
    hooks.timing->handshakeTimeoutMs = {kHandshakeMs, kHandshakeMs, 0};
    hooks.timing->charTimeoutMs = {kCharMs, kCharMs, 0};

    sim::EncoderSimulator sim(SoakEncoder());
    ASSERT_TRUE(sim.Start());
    int exchanges = 0, rounds = 0, succeeded = 0, failed = 0;
    std::map<std::string, int> faultsSeen;
    const auto soakStart = Clock::now();
    while (rounds < 40 && (exchanges < 320 || rounds < 12)) {
        ++rounds;
        if (!sim.Running()) {  // hung up in the round before: a new line
            sim.Stop();
            ASSERT_TRUE(sim.Start());
        }
        sim.ResetModel();
        RandomModel(sim, rng);
        // An encoder that sends replies as long as read, or longer: four or five bytes, and
        // random bytes after them.
        const int replyLength = rng() % 3 == 0 ? 0 : 4 + static_cast<int>(rng() % 2);
        const int replyExtra = rng() % 2 == 0 ? 0 : static_cast<int>(rng() % 12);
        sim.SetReplyPadding(replyLength, replyExtra);
        const EncoderParameters expected = ExpectedReadAll(sim);
        const std::vector<Fault> faults = RandomFaults(rng);
        std::string mix;
        for (const Fault& f : faults)
            if (!f.name.empty()) {
                mix += f.name + " at " + std::to_string(f.at) + "; ";
                ++faultsSeen[f.name.substr(0, f.name.find_first_of("0123456789x"))];
            }
        if (replyLength > 0 || replyExtra > 0)
            mix += "replies of " + std::to_string(replyLength) + " bytes and up to " +
                   std::to_string(replyExtra) + " more; ";
        SCOPED_TRACE("round " + std::to_string(rounds) + ": " + (mix.empty() ? "no faults" : mix));

        // The file before: none, or one that must survive a failure unchanged.
        std::filesystem::remove(file);
        Bytes before;
        if (rng() % 2) {
            before = Bytes(204, static_cast<std::uint8_t>(rng()));
            std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(before.data()), 204);
        }

        int telegram = 0;
        Clock::time_point lastRequest = Clock::now();
        hooks.telegramObserver = [&](const std::uint8_t* t, int) {
            ++telegram;
            if (t[0] == 0x80) {
                ++exchanges;
                lastRequest = Clock::now();
            }
            for (const Fault& f : faults)
                if (f.at == telegram) f.arm(sim);
        };
        std::ostringstream out, err;
        const int status = cli::RunCli({"--device", sim.DevicePath(), "read-all", file}, out, err, hooks);
        const auto end = Clock::now();

        if (status == cli::kExitOk) {
            ++succeeded;
            EXPECT_EQ(Contents(file), Serialized(expected)) << "a value read-all took is not the encoder's";
        } else {
            ++failed;
            EXPECT_EQ(status, cli::kExitDevice) << err.str();
            if (before.empty())
                EXPECT_FALSE(std::filesystem::exists(file));
            else
                EXPECT_EQ(Contents(file), before);
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - lastRequest).count();
            EXPECT_LE(took, kExchangeBoundMs + kLoadSlackMs) << err.str();
        }
    }
    const int procedureErrors = sim.Counters().procedureErrors;  // on every line of the soak
    sim.Stop();
    std::filesystem::remove_all(dir);

    const auto seconds = std::chrono::duration<double>(Clock::now() - soakStart).count();
    EXPECT_GE(exchanges, 300);
    EXPECT_EQ(procedureErrors, 0);
    std::string seen;
    for (const auto& [name, n] : faultsSeen) seen += name + std::to_string(n) + ", ";
    std::printf("soak: seed %u, %d rounds (%d read, %d failed), %d read exchanges, %.1f s; faults: %s\n",
                seed, rounds, succeeded, failed, exchanges, seconds, seen.c_str());
    RecordProperty("exchanges", exchanges);
    RecordProperty("rounds", rounds);
}

}  // namespace
}  // namespace veltrin::test
