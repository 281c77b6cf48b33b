// The telegram exchange over a real pseudo-terminal against the simulated encoder: the real
// CSerialPort, a Link of the test's own, and a WireTrace where the bytes matter. Most tests
// shorten the time-outs (tests/TestLinkTiming.h); one keeps the real ones.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "link/Link.h"
#include "link/SerialPort.h"
#include "link/Timing.h"
#include "res/Resources.h"
#include "sim/EncoderSimulator.h"
#include "tests/TestLinkTiming.h"

using namespace veltrin;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

class RecordingTrace : public WireTrace {
public:
    void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                 Clock::time_point) override {
        std::lock_guard lock(mutex_);
        (direction == WireDirection::Sent ? sent_ : received_).insert(
            direction == WireDirection::Sent ? sent_.end() : received_.end(), bytes, bytes + count);
    }
    Bytes Sent() const { std::lock_guard lock(mutex_); return sent_; }
    Bytes Received() const { std::lock_guard lock(mutex_); return received_; }
    void Clear() { std::lock_guard lock(mutex_); sent_.clear(); received_.clear(); }

private:
    mutable std::mutex mutex_;
    Bytes sent_, received_;
};

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

sim::SimulatorOptions FastEncoder() {
    sim::SimulatorOptions o;
    o.handshakeTimeoutMs = 300;
    o.charTimeoutMs = 60;
    o.stepsPerSecond = 0;
    return o;
}

void Shorten(Link& link) {
    link.timing.retryCount = {3, 3, 0};
    test::UseTestTimeouts(link.timing);
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class LinkOverPty : public ::testing::Test {
protected:
    explicit LinkOverPty(sim::SimulatorOptions options = FastEncoder()) : encoder(options) {}
    void SetUp() override {
        ASSERT_TRUE(encoder.Start());
        port.SetDeviceOverride(encoder.DevicePath());
        ASSERT_TRUE(port.Open());
        port.SetTrace(&trace);
        link.SetPort(&port);
        Shorten(link);
    }

    bool Read(int kp) {
        const std::uint8_t t[4] = {0x80, 0, 0, static_cast<std::uint8_t>(kp)};
        return link.SendTelegramReportingError(kChannel, t, 4) &&
               link.ReceiveReply(kChannel, link.replyBlock, kAnyReplyLength);
    }
    bool Write(std::uint8_t kp, std::uint8_t d1, std::uint8_t d2, std::uint8_t d3) {
        const std::uint8_t t[4] = {kp, d1, d2, d3};
        return link.SendTelegramReportingError(kChannel, t, 4);
    }
    Bytes Reply() const {
        return Bytes(link.replyBlock.data.begin(), link.replyBlock.data.begin() + link.replyBlock.count);
    }

    sim::EncoderSimulator encoder;  // declared first: stops after the port closed
    CSerialPort port;
    Link link;
    RecordingTrace trace;
};

}  // namespace

TEST_F(LinkOverPty, RequestBlockOnTheWireAndReplyWithDoubledDle) {
    encoder.SetReplyBytes(1, {0x10, 0x20, 0x10});
    const std::uint8_t request[4] = {0x80, 0x10, 0x00, 0x01};
    ASSERT_TRUE(link.SendTelegram(kChannel, request, 4));
    // STX, then the block with its DLE doubled, DLE ETX and the block check 0x80^0x01^0x13.
    EXPECT_EQ(trace.Sent(), (Bytes{STX, 0x80, 0x10, 0x10, 0x00, 0x01, 0x10, 0x03, 0x92}));
    ASSERT_TRUE(link.ReceiveReply(kChannel, link.replyBlock, 3));
    EXPECT_EQ(Reply(), (Bytes{0x10, 0x20, 0x10}));
    const Bytes received = trace.Received();
    // DLE for the connection, DLE for the block; then the reply STX 10 10 20 10 10 10 03 bcc.
    EXPECT_EQ(received, (Bytes{DLE, DLE, STX, 0x10, 0x10, 0x20, 0x10, 0x10, 0x10, 0x03, 0x20 ^ 0x13}));
    EXPECT_EQ(trace.Sent().back(), DLE);   // the reply confirmed
    ASSERT_EQ(encoder.Telegrams().size(), 1u);
    EXPECT_EQ(encoder.Telegrams()[0], (sim::Telegram{0x80, 0x10, 0x00, 0x01}));
}

TEST_F(LinkOverPty, SilentEncoderGetsExactlyThreeAttempts) {
    encoder.SetSilent(true);
    EXPECT_FALSE(Write(1, 0, 0, 5));
    EXPECT_EQ(encoder.Counters().connectionAttempts, 3);
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
    EXPECT_TRUE(encoder.Telegrams().empty());   // no error request for a silent encoder
}

TEST_F(LinkOverPty, RefusedTelegramFetchesTheReasonAndNamesIt) {
    const std::pair<int, std::string> reasons[] = {
        {0, "Geber meldet Datenfehler !"},
        {1, "Geber meldet KP-Nummer unbekannt !"},
        {2, "Geber meldet KP-Nummer nur lesbar !"},
        {3, "Geber meldet Parameterwert zu groß !"},
        {4, "Geber meldet Parameterwert zu klein !"},
        {5, "Geber meldet Parameterwert ungültig !"},
        {9, "Geber meldet unbekannter Fehler Nummer 9"},
    };
    for (const auto& [error, text] : reasons) {
        encoder.ClearTelegrams();
        encoder.NakTelegrams(3, static_cast<std::uint8_t>(error));
        EXPECT_FALSE(Write(1, 0, 0, 7));
        EXPECT_TRUE(link.deviceError.nakReceived);
        EXPECT_EQ(link.deviceError.errorNumber, error);
        EXPECT_EQ(link.DeviceErrorText(), text);
        // Three attempts of the telegram, then the error-status request.
        const auto log = encoder.Telegrams();
        ASSERT_EQ(log.size(), 4u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(log[i], (sim::Telegram{1, 0, 0, 7}));
        EXPECT_EQ(log[3], (sim::Telegram{0x81, 0, 0, 0}));
    }
    // A later success clears the NAK.
    ASSERT_TRUE(Read(1));
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
    // Refusals, error requests, retries and reads, all with the program's pauses kept.
    EXPECT_EQ(encoder.Counters().procedureErrors, 0);
}

TEST_F(LinkOverPty, FailedErrorRequestReportsDataError) {
    encoder.NakTelegrams(sim::kAlways, 3);
    encoder.FailErrorRequests(sim::kAlways);
    EXPECT_FALSE(Write(1, 0, 0, 1));
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 0);
    EXPECT_EQ(link.DeviceErrorText(), "Geber meldet Datenfehler !");
}

TEST_F(LinkOverPty, EncoderRefusalsFromItsModel) {
    struct Case { Bytes telegram; int error; };
    const Case cases[] = {
        {{0x80, 0, 0, 5}, 1},      // unknown KP
        {{0x80, 0, 0, 27}, 1},     // a command is never read
        {{14, 0, 0, 1}, 2},        // configuration registers are read only
        {{31, 0, 0, 1}, 2},        // so is the firmware version
        {{20, 0, 0, 0xD1}, 3},     // S = 13
        {{22, 0, 0, 0}, 4},        // overspeed threshold 0
        {{37, 0, 0, 3}, 5},        // output format 3
        {{21, 12, 13, 24}, 5},     // S + U does not match
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(link.SendTelegramReportingError(kChannel, c.telegram.data(), 4));
        EXPECT_TRUE(link.deviceError.nakReceived);
        EXPECT_EQ(link.deviceError.errorNumber, c.error) << int(c.telegram[0]) << " " << int(c.telegram[3]);
    }
    // What was refused was not stored.
    EXPECT_EQ(encoder.Ram(22), (sim::Data3{0, 0, 100}));
}

TEST_F(LinkOverPty, CorruptedReplyIsRefusedOnceAndAcceptedAgain) {
    encoder.SetFirmware("0107");
    encoder.CorruptReplies(1);
    ASSERT_TRUE(Read(31));
    EXPECT_EQ(Reply(), (Bytes{'0', '1', '0', '7'}));
    const auto counters = encoder.Counters();
    EXPECT_EQ(counters.repliesSent, 2);
    EXPECT_EQ(counters.naksReceived, 1);
    EXPECT_EQ(counters.repliesConfirmed, 1);
    EXPECT_EQ(counters.procedureErrors, 0);
    const Bytes sent = trace.Sent();
    EXPECT_NE(std::find(sent.begin(), sent.end(), NAK), sent.end());
    EXPECT_EQ(sent.back(), DLE);
}

TEST_F(LinkOverPty, GapInsideReplyFailsThatAttemptOnly) {
    encoder.GapInNextReply(2 * test::kTestCharTimeoutMs);  // longer than the program waits per character
    ASSERT_TRUE(Read(23));
    EXPECT_EQ(Reply(), (Bytes{255, 0, 0}));
    EXPECT_GE(encoder.Counters().naksReceived, 1);
}

TEST_F(LinkOverPty, StxAnsweredWithStxThenDleCountsAsConnected) {
    encoder.StxCollisions(1);
    ASSERT_TRUE(link.Connect(kChannel));
    const Bytes received = trace.Received();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0], STX);
    EXPECT_EQ(received[1], DLE);
    // The block that follows goes through as usual (after the pause between Connect and SendData).
    std::uint8_t acc = 0;
    const std::uint8_t block[4] = {23, 0, 0, 40};
    PauseMs(5);
    link.SendData(kChannel, block, 4, acc);
    EXPECT_TRUE(link.EndBlock(kChannel, acc));
    EXPECT_EQ(encoder.Ram(23), (sim::Data3{0, 0, 40}));
}

TEST_F(LinkOverPty, ReplyLateOrMissing) {
    encoder.SetReplyDelay(20);
    EXPECT_TRUE(Read(1));
    // Longer than three waits for the reply's STX by more than a busy machine may hold the
    // program up between two of them (the waits then end later, not sooner).
    constexpr int kLateMs = 3 * test::kTestHandshakeTimeoutMs + 1200;
    encoder.SetReplyDelay(kLateMs);
    const auto start = Clock::now();
    EXPECT_FALSE(Read(1));
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_LT(MsSince(start), kLateMs + 2000);
    encoder.SetReplyDelay(0);
    // Once the encoder is done waiting, its late reply finds the program idle, and the next
    // telegram is taken (the encoder gives way to the program's STX).
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * test::kTestHandshakeTimeoutMs + 1200));
    EXPECT_TRUE(Read(31));
}

TEST_F(LinkOverPty, StopEndsTheSimulatorWhileItWaitsToReply) {
    encoder.SetReplyDelay(60000);
    const std::uint8_t request[4] = {0x80, 0, 0, 1};
    ASSERT_TRUE(link.SendTelegram(kChannel, request, 4));
    const auto start = Clock::now();
    encoder.Stop();
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_FALSE(encoder.Running());
}

TEST_F(LinkOverPty, ProgramGivingUpOnAReplyDoesNotWedgeTheEncoder) {
    const std::uint8_t request[4] = {0x80, 0, 0, 1};
    ASSERT_TRUE(link.SendTelegram(kChannel, request, 4));   // the reply is never taken
    ASSERT_TRUE(Read(31));
    EXPECT_EQ(Reply(), (Bytes{'0', '1', '0', '4'}));
}

TEST_F(LinkOverPty, HangUpInTheMiddleEndsInAFailureWithinTheTimeouts) {
    encoder.HangUpAt(sim::HangUpPoint::AfterRequestBlock);
    const auto start = Clock::now();
    EXPECT_FALSE(Write(23, 0, 0, 9));
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
    EXPECT_FALSE(Read(1));
    EXPECT_LT(MsSince(start), 3 * 5 * test::kTestHandshakeTimeoutMs);  // three attempts each
    EXPECT_FALSE(encoder.Running());
    // A new start is a new line: the program opens the new device and is answered again.
    ASSERT_TRUE(encoder.Start());
    port.SetDeviceOverride(encoder.DevicePath());
    ASSERT_EQ(port.Reopen(1), 0);
    EXPECT_TRUE(Read(1));
}

TEST_F(LinkOverPty, HangUpDuringTheReply) {
    encoder.HangUpAt(sim::HangUpPoint::InReply);
    EXPECT_FALSE(Read(1));
    EXPECT_EQ(link.replyBlock.count, 0);
    EXPECT_FALSE(Read(1));
}

// An adapter pulled after n telegrams: each of them is answered in full, then the line is gone.
TEST_F(LinkOverPty, HangUpAfterTelegramsAnswersThemAllThenTheLineIsGone) {
    struct Case {
        int count;
        int offAfter;
    };  // offAfter: switched off after that many (-1: never)
    for (const Case c : {Case{1, -1}, Case{3, -1}, Case{2, 1}}) {
        SCOPED_TRACE(c.count);
        encoder.HangUpAfterTelegrams(c.count);
        const int exchanges = c.offAfter < 0 ? c.count : c.count + 2;
        for (int i = 0; i < exchanges; ++i) {
            if (i == c.offAfter) encoder.HangUpAfterTelegrams(0);
            ASSERT_TRUE(i % 2 ? Write(23, 0, 0, static_cast<std::uint8_t>(i)) : Read(31)) << i;
        }
        if (c.offAfter >= 0) {
            EXPECT_TRUE(encoder.Running());
            continue;
        }
        const auto start = Clock::now();
        while (encoder.Running() && MsSince(start) < 20000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(encoder.Running());
        EXPECT_FALSE(Read(31));
        // The next start is a new adapter: served again until told otherwise.
        ASSERT_TRUE(encoder.Start());
        port.SetDeviceOverride(encoder.DevicePath());
        ASSERT_EQ(port.Reopen(1), 0);
    }
    EXPECT_TRUE(Read(31));
}

TEST_F(LinkOverPty, GarbageFromTheProgramSideIsSurvived) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 6; ++round) {
        Bytes junk(1 + rng() % 40);
        for (auto& b : junk) b = static_cast<std::uint8_t>(rng() % 4 == 0 ? STX : rng() % 3 == 0 ? DLE : rng());
        if (round % 2 == 0) junk.insert(junk.begin(), STX);
        ASSERT_TRUE(port.Write(junk.data(), static_cast<std::uint32_t>(junk.size())));
        std::this_thread::sleep_for(std::chrono::milliseconds(90));   // past the encoder's character time-out
        ASSERT_TRUE(Read(23)) << "round " << round;
        EXPECT_EQ(link.replyBlock.b(1), 255);
    }
}

// On a busy machine the simulated encoder is late, by any amount, later than the program's
// time-outs too. The program then goes on as the procedure says (NAK, its next attempt), and
// none of that may count as a pause it cut short.
TEST_F(LinkOverPty, LateAnswersAreNoProcedureErrors) {
    link.timing.charTimeoutMs[kChannel] = 40;  // short, for answers late by more than that
    link.timing.handshakeTimeoutMs[kChannel] = 60;
    for (int delay = 0; delay <= 135; delay += 9) {
        encoder.SetAnswerDelay(delay);
        Write(23, 0, 0, static_cast<std::uint8_t>(delay));
        if (Read(23)) {
            EXPECT_EQ(link.replyBlock.count, 3) << delay;
        }
        EXPECT_EQ(encoder.Counters().procedureErrors, 0) << "answers " << delay << " ms late";
    }
    encoder.SetAnswerDelay(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the last late reply ends
    EXPECT_TRUE(Write(23, 0, 0, 1));
    ASSERT_TRUE(Read(23));
    EXPECT_EQ(Reply(), (Bytes{1, 0, 0}));
    EXPECT_EQ(encoder.Counters().procedureErrors, 0);
}

TEST_F(LinkOverPty, ReadCharWithoutTimeOnlyLooks) {
    std::uint8_t c = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(link.ReadChar(kChannel, c, 0));
    EXPECT_EQ(c, 0xFF);
    EXPECT_LT(MsSince(start), 100);
    EXPECT_FALSE(link.linkUsed);   // reading writes nothing
}

TEST_F(LinkOverPty, LinkUsedIsSetByTheFirstByteWritten) {
    encoder.SetSilent(true);
    Link fresh(&port);
    Shorten(fresh);
    EXPECT_FALSE(fresh.linkUsed);
    fresh.Connect(kChannel);
    EXPECT_TRUE(fresh.linkUsed);
}

TEST(LinkClosedPort, ShowsThePortMessageAndLeavesTheLineAlone) {
    CSerialPort port;
    port.portNumber = 2;
    RecordingTrace trace;
    port.SetTrace(&trace);
    RecordingSink sink;
    Link link(&port);
    link.SetMessageSink(&sink);
    link.deviceError.nakReceived = true;
    link.deviceError.errorNumber = 4;
    const std::uint8_t t[4] = {0x80, 0, 0, 1};
    EXPECT_FALSE(link.SendTelegramReportingError(kChannel, t, 4));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Der Anschluß COM 2 kann nicht geöffnet werden !");
    EXPECT_TRUE(trace.Sent().empty());
    EXPECT_FALSE(link.linkUsed);
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 4);
}

// The one test with the real time-outs: three connection attempts of 5 + 550 ms each.
TEST(LinkRealTiming, SilentEncoderTakesThreeHandshakeTimeouts) {
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    encoder.SetSilent(true);
    CSerialPort port;
    port.SetDeviceOverride(encoder.DevicePath());
    ASSERT_TRUE(port.Open());
    Link link(&port);   // LinkTiming as at start-up: 3 attempts, 200 ms, 550 ms
    const std::uint8_t t[4] = {0x80, 0, 0, 1};
    const auto start = Clock::now();
    EXPECT_FALSE(link.SendTelegramReportingError(kChannel, t, 4));
    const long long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 3 * (5 + 550));
    EXPECT_EQ(encoder.Counters().connectionAttempts, 3);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
    RecordProperty("silent_exchange_ms", static_cast<int>(elapsed));
}

// Line-rate mode paces the encoder's bytes at 2400 baud 8N1 (10 bits, about 4.17 ms each) on
// an absolute schedule, and takes in the program's bytes no faster.
TEST(LinkLineRate, EncoderKeepsTheLineSpeed) {
    class TimedTrace : public WireTrace {
    public:
        void OnBytes(WireDirection direction, const std::uint8_t*, std::size_t count, Clock::time_point when) override {
            if (direction == WireDirection::Received)
                for (std::size_t i = 0; i < count; ++i) times.push_back(when);
        }
        std::vector<Clock::time_point> times;
    } trace;
    sim::SimulatorOptions options;
    options.lineRate = true;
    sim::EncoderSimulator encoder(options);
    ASSERT_TRUE(encoder.Start());
    CSerialPort port;
    port.SetDeviceOverride(encoder.DevicePath());
    ASSERT_TRUE(port.Open());
    port.SetTrace(&trace);
    Link link(&port);
    const std::uint8_t request[4] = {0x80, 0, 0, 31};
    const auto start = Clock::now();
    ASSERT_TRUE(link.SendTelegramReportingError(kChannel, request, 4));
    ASSERT_TRUE(link.ReceiveReply(kChannel, link.replyBlock, 4));
    // Received: DLE, DLE, then STX and the 7 bytes of the reply block (4 data, DLE ETX, check).
    ASSERT_EQ(trace.times.size(), 10u);
    const auto bit = std::chrono::microseconds(10'000'000 / 2400);
    // The 7 bytes after the reply's STX leave one character time apart: the last comes at
    // least 6 character times after the first, which left after the program had read the STX.
    // (Measured from the STX, as the program may take in the first byte late on a busy machine.)
    EXPECT_GE(trace.times[9] - trace.times[2], 6 * bit);
    // Taking in the 8 bytes of the request (STX, then 7) costs at least 7 character times too.
    EXPECT_GE(Clock::now() - start, 14 * bit);
    EXPECT_EQ(std::string(link.replyBlock.data.begin(), link.replyBlock.data.begin() + 4), "0104");
}

// The simulated encoder holds the program to the procedure: a step that skips a pause, a DLE
// that is not doubled, a block check without DLE ETX, or a bad reply confirmed, is refused or
// counted, so that a link fault cannot pass unseen against it. The faulty "program" here is
// the test writing raw bytes on the port. Both sides keep their full time-outs, so that a busy
// machine does not end a wait halfway; a step that skips a pause is tried again should the
// machine have held it back for the pause all the same.
class RawProgram : public LinkOverPty {
protected:
    RawProgram() : LinkOverPty(sim::SimulatorOptions{}) {}
    void SetUp() override {
        LinkOverPty::SetUp();
        link.timing = LinkTiming{};
    }
    void Send(const Bytes& bytes) { ASSERT_TRUE(port.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()))); }
    /// The bytes that arrive until there are n of them, or ms have passed.
    Bytes Collect(std::size_t n, int ms = 2000) {
        Bytes got;
        Deadline deadline(ms);
        while (got.size() < n && port.WaitForInput(deadline.RemainingMs())) {
            const std::uint32_t count = port.Read(static_cast<std::uint32_t>(n - got.size()));
            got.insert(got.end(), port.ReadBuffer(), port.ReadBuffer() + count);
        }
        return got;
    }
    /// Waits (bounded) until the encoder has counted n procedure errors; the count then.
    int ProcedureErrorsReach(int n) {
        for (int i = 0; i < 200 && encoder.Counters().procedureErrors < n; ++i) PauseMs(10);
        return encoder.Counters().procedureErrors;
    }
    /// STX, the encoder's DLE, then the frame after pauseMs; returns the encoder's answer.
    Bytes Block(const Bytes& frame, int pauseMs) {
        port.Purge();
        Send({STX});
        EXPECT_EQ(Collect(1), Bytes{DLE});
        PauseMs(pauseMs);
        Send(frame);
        return Collect(1);
    }
    /// The read request of KP 31, then the reply taken with the proper pause before our DLE;
    /// returns the reply block as it came (without its STX), not yet answered.
    Bytes TakeReply() {
        const std::uint8_t request[4] = {0x80, 0, 0, 31};
        EXPECT_TRUE(link.SendTelegram(kChannel, request, 4));
        EXPECT_EQ(Collect(1), Bytes{STX});
        PauseMs(5);
        Send({DLE});
        return Collect(7);  // '0' '1' '0' '4' DLE ETX and the check
    }
    /// Lets an attempt the encoder did not refuse run out (its character time-out, our purge).
    void LetItRunOut() {
        PauseMs(400);
        port.Purge();
    }
};

TEST_F(RawProgram, BlocksThatBreakTheProcedureAreRefused) {
    // 23 00 00 28 as it should go: DLE ETX and the check 23^28^13 = 18.
    const Bytes good = {23, 0, 0, 40, DLE, ETX, 23 ^ 40 ^ 0x13};
    // No pauses between the encoder's DLE and the data.
    for (int attempt = 0; attempt < 20 && encoder.Counters().procedureErrors == 0; ++attempt) {
        if (Block(good, 0) != Bytes{NAK}) LetItRunOut();
        PauseMs(10);
    }
    EXPECT_EQ(encoder.Counters().procedureErrors, 1);
    encoder.ClearTelegrams();
    encoder.SetRam(23, {0, 0, 7});
    encoder.ResetCounters();
    EXPECT_EQ(Block({23, 0, 0, 40, DLE, ETX, 23 ^ 40}, 12), Bytes{NAK});   // check without DLE ETX
    PauseMs(10);
    EXPECT_EQ(Block({23, DLE, 0, 40, DLE, ETX, 23 ^ 40 ^ 0x13}, 12), Bytes{NAK});   // DLE not doubled
    PauseMs(10);
    EXPECT_TRUE(encoder.Telegrams().empty());
    EXPECT_EQ(Block(good, 12), Bytes{DLE});
    EXPECT_EQ(encoder.Ram(23), (sim::Data3{0, 0, 40}));
    EXPECT_EQ(encoder.Counters().badBlocks, 2);
    EXPECT_EQ(encoder.Counters().procedureErrors, 0);
}

TEST_F(RawProgram, PausesAroundTheReplyAreHeldToo) {
    // A reply confirmed, then the next STX at once instead of 30 ms later: not ready yet.
    for (int attempt = 0; attempt < 20 && encoder.Counters().procedureErrors == 0; ++attempt) {
        ASSERT_EQ(TakeReply().size(), 7u);
        PauseMs(5);
        Send({DLE});
        Send({STX});
        if (Collect(1) != Bytes{NAK}) LetItRunOut();
        PauseMs(10);
    }
    EXPECT_EQ(encoder.Counters().procedureErrors, 1);
    // A reply with a wrong block check confirmed with DLE (after the proper pauses).
    encoder.CorruptReplies(1);
    ASSERT_EQ(TakeReply().size(), 7u);
    PauseMs(5);
    Send({DLE});
    EXPECT_EQ(ProcedureErrorsReach(2), 2);
    PauseMs(50);
    // A good reply taken but answered with neither DLE nor NAK: the next telegram comes.
    ASSERT_EQ(TakeReply().size(), 7u);
    PauseMs(45);
    EXPECT_TRUE(Write(23, 0, 0, 41));
    EXPECT_EQ(encoder.Counters().procedureErrors, 3);
    // The program's own procedure, after all that, is accepted as it is.
    EXPECT_TRUE(Read(31));
    EXPECT_TRUE(Write(23, 0, 0, 42));
    EXPECT_EQ(encoder.Counters().procedureErrors, 3);
}
