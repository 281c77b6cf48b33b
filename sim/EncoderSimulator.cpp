// The encoder's side of the block procedure on the master of a pseudo-terminal.
//
// One thread serves the line: it waits (without time-out) for the program's STX, answers DLE,
// takes the block with a receiver of its own (not the program's routine, so that a fault in
// that routine is not mirrored here), confirms it with DLE or refuses it with NAK, and for a
// read request or the error-status request sends its reply block and waits for the program's
// DLE. It holds the program to the procedure's pauses: a byte that comes before the program
// can have made its pause is a procedure error (counted, and the step refused).
// Tests change the model and the faults from their own thread under one mutex; the I/O runs
// outside it.
#include "sim/EncoderSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>

#include "link/ByteChannel.h"
#include "link/Link.h"
#include "link/Timing.h"

namespace veltrin::sim {

namespace {

using Clock = std::chrono::steady_clock;

/// One character at 2400 baud 8N1: start bit, 8 data bits, stop bit.
constexpr auto kByteTime = std::chrono::microseconds(10'000'000 / 2400);
/// The encoder's turnaround before each answer byte (DLE, NAK, STX): no shorter gap than the
/// program gives.
constexpr int kTurnaroundMs = 5;
/// Before a reply is started again after a NAK: the program purges after its NAK.
constexpr int kRetryPauseMs = 20;
/// The program's pauses, as the encoder sees them: 5 ms before each of its answers (DLE, NAK)
/// and before its STX; 5 + 5 ms between our DLE and its first data byte; after a reply it has
/// confirmed, 5 ms before its DLE, 30 ms after it and 5 ms before the next STX.
///
/// A pause is measured from the moment our byte began to go out to the moment its answer was
/// seen: a busy machine (late to send, late to look, late to hand bytes on) only makes that
/// longer, never shorter. It is measured only where the byte can be nothing but the program's
/// answer to ours: a program that has given up waiting for us (its time-out ended while we were
/// late) sends its next step at any moment, and that must not count as a pause cut short. So:
/// - inside a reply, only in its first attempt (later ones follow a NAK or a time-out);
/// - a NAK after our block only when the whole block went out within kPromptMs of the
///   program's DLE (else the NAK may be the program's character time-out, ending at any time);
/// - the program's first data byte and its STX after our answer only while the program is in
///   step with us: every answer of ours since its last good block went out within kPromptMs of
///   the byte it answered (far inside the program's shortest time-out, 40 ms in the tests), and
///   we gave up on nothing and saw nothing unexpected.
constexpr auto kProgramAnswerPause = std::chrono::milliseconds(5);
constexpr auto kProgramDataPause = std::chrono::milliseconds(10);
constexpr auto kProgramNextStxPause = std::chrono::milliseconds(5);
constexpr auto kProgramStxAfterReplyPause = std::chrono::milliseconds(40);
constexpr auto kPromptMs = std::chrono::milliseconds(20);
/// The longest single wait for input before the line is looked at again.
constexpr int kLookSliceMs = 2;
/// The EEPROM store command (KP 26).
constexpr std::uint8_t kStoreCommand = 26;
/// The most data bytes a block may hold.
constexpr std::size_t kMaxBlockData = 254;

void MakeRaw(int fd) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0) return;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B2400);
    ::cfsetospeed(&tio, B2400);
    ::tcsetattr(fd, TCSANOW, &tio);
}

/// The master side as a ByteChannel, so that the program's own receive routine serves the
/// encoder too. Received bytes are queued with the time they may be taken: at once, or in
/// line-rate mode no faster than one character time apart.
class MasterChannel : public ByteChannel {
public:
    MasterChannel(int master, int wake, bool lineRate)
        : master_(master), wake_(wake), lineRate_(lineRate), lastEmptyLook_(Clock::now()) {}

    bool IsOpen() const override { return master_ >= 0; }
    int PortNumber() const override { return 0; }

    std::uint32_t InputCount() override {
        Pump();
        auto now = Clock::now();
        std::uint32_t n = 0;
        for (const auto& entry : queue_) {
            if (entry.at > now) break;
            ++n;
        }
        return n;
    }

    bool WaitForInput(int timeoutMs) override {
        Deadline deadline(timeoutMs);
        for (;;) {
            if (stopping_ || master_ < 0) return false;
            if (InputCount() > 0) return true;
            int left = deadline.RemainingMs();
            if (left <= 0) return false;
            // Short slices: every empty look at the line is a time a byte is known to have come
            // after (LastReadAfter), so the bound stays close to when it came.
            int wait = std::min(left, kLookSliceMs);
            if (!queue_.empty()) {   // a byte still on its way at line rate
                auto due = std::chrono::ceil<std::chrono::milliseconds>(queue_.front().at - Clock::now()).count();
                wait = static_cast<int>(std::max<long long>(0, std::min<long long>(wait, due)));
            }
            struct pollfd pfd[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
            int r = ::poll(pfd, 2, wait);
            if (r < 0 && errno != EINTR) return false;
            if (pfd[1].revents & POLLIN) { stopping_ = true; return false; }
            if (r > 0 && (pfd[0].revents & (POLLHUP | POLLERR)) && !(pfd[0].revents & POLLIN)) {
                // No program has the slave open: nothing can arrive for a while. Do not spin.
                PauseMs(std::min(10, deadline.RemainingMs()));
            }
        }
    }

    std::uint32_t Read(std::uint32_t count) override {
        if (count == 0) count = 511;
        if (count > sizeof buffer_) count = sizeof buffer_;
        InputCount();
        auto now = Clock::now();
        std::uint32_t n = 0;
        while (n < count && !queue_.empty() && queue_.front().at <= now) {
            buffer_[n++] = queue_.front().byte;
            lastReadAt_ = queue_.front().at;
            lastReadAfter_ = queue_.front().after;
            queue_.pop_front();
        }
        NotifyTrace(WireDirection::Received, buffer_, n);
        return n;
    }
    const std::uint8_t* ReadBuffer() const override { return buffer_; }

    bool Write(const std::uint8_t* bytes, std::uint32_t length) override {
        if (master_ < 0) return false;
        for (std::uint32_t i = 0; i < length; ++i) {
            if (lineRate_) {
                // An absolute schedule: each character leaves one character time after the last,
                // so waking late once does not slow every later byte.
                auto now = Clock::now();
                if (nextSend_ < now) nextSend_ = now;
                std::this_thread::sleep_until(nextSend_);
                nextSend_ += kByteTime;
            }
            if (!WriteOne(bytes[i])) return false;
            NotifyTrace(WireDirection::Sent, bytes + i, 1);
        }
        return true;
    }

    void Purge() override {
        Pump();
        queue_.clear();
    }

    /// When the last byte taken by Read arrived: never earlier than it did (the time it was
    /// seen), and never later than LastReadAfter (the last look that did not see it yet).
    Clock::time_point LastReadAt() const { return lastReadAt_; }
    Clock::time_point LastReadAfter() const { return lastReadAfter_; }
    /// When the last byte written was handed to the line: never later than it was (the write
    /// began), and no later than LastSentDone (the write had returned).
    Clock::time_point LastSentAt() const { return lastSentAt_; }
    Clock::time_point LastSentDone() const { return lastSentDone_; }

    bool Stopping() const { return stopping_; }
    void SetStopping() { stopping_ = true; }
    void Detach() { master_ = -1; }

private:
    struct Entry {
        std::uint8_t byte;
        Clock::time_point at;     // seen (or, at line rate, due) then
        Clock::time_point after;  // not yet there then
    };

    void Pump() {
        if (master_ < 0) return;
        std::uint8_t chunk[256];
        for (;;) {
            const auto before = Clock::now();
            ssize_t got = ::read(master_, chunk, sizeof chunk);
            if (got <= 0) {
                lastEmptyLook_ = before;
                break;
            }
            auto now = Clock::now();
            for (ssize_t i = 0; i < got; ++i) {
                Clock::time_point at = now;
                if (lineRate_) {
                    Clock::time_point last = queue_.empty() ? lastArrival_ : queue_.back().at;
                    if (last + kByteTime > at) at = last + kByteTime;
                }
                queue_.push_back({chunk[i], at, lastEmptyLook_});
                lastArrival_ = at;
            }
        }
    }

    bool WriteOne(std::uint8_t byte) {
        Deadline deadline(500);
        for (;;) {
            lastSentAt_ = Clock::now();
            ssize_t n = ::write(master_, &byte, 1);
            lastSentDone_ = Clock::now();
            if (n == 1) return true;
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (deadline.Expired() || stopping_) return false;
            struct pollfd pfd {master_, POLLOUT, 0};
            ::poll(&pfd, 1, 10);
        }
    }

    int master_;
    int wake_;
    bool lineRate_;
    bool stopping_ = false;
    std::deque<Entry> queue_;
    Clock::time_point lastArrival_{};
    Clock::time_point nextSend_{};
    Clock::time_point lastReadAt_{};
    Clock::time_point lastReadAfter_{};
    Clock::time_point lastEmptyLook_{};
    Clock::time_point lastSentAt_{};
    Clock::time_point lastSentDone_{};
    std::uint8_t buffer_[512] = {};
};

/// A fault count: n more times, kAlways for ever, 0 off. Takes one use when it fires.
bool Take(int& count) {
    if (count == 0) return false;
    if (count > 0) --count;
    return true;
}

}  // namespace

class EncoderSimulator::Impl {
public:
    explicit Impl(SimulatorOptions o) : options(std::move(o)) {
        model.SetFirmware(options.firmware);
        model.SetSpeed(options.stepsPerSecond, Clock::now());
        replyDelayMs = options.replyDelayMs;
        replyLength = options.replyLength;
        replyExtraMax = options.replyExtraMax;
        replyExtra.seed(options.replyExtraSeed);
    }

    SimulatorOptions options;

    // Guarded by mutex.
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    EncoderModel model;
    SimulatorCounters counters;
    std::vector<Telegram> telegrams;
    bool silent = false;
    int nakTelegrams = 0;
    std::uint8_t nakError = 0;
    int nakConnections = 0;
    int failErrorRequests = 0;
    int corruptReplies = 0;
    int gapMs = 0;
    int stxCollisions = 0;
    int replyDelayMs = 0;
    int dropAcknowledgements = 0;
    int answerDelayMs = 0;
    int silenceAfter = 0;  // telegrams still answered before silence; 0 off
    int hangUpAfter = 0;   // telegrams still taken before the hang-up; 0 off
    bool hangUpAfterExchange = false;  // the last of them came: hang up when its exchange ends
    int replyLength = 0;
    int replyExtraMax = 0;
    std::mt19937 replyExtra;
    bool repeatStxOnNak = false;
    HangUpPoint hangUpAt = HangUpPoint::None;
    /// Swapped: no answer before this time (then a fresh encoder is on the line).
    std::optional<Clock::time_point> absentUntil;
    int swapAfterStoreMs = 0;
    bool hangUpNow = false;
    bool hungUp = false;

    // The line; touched by the serving thread only once it runs.
    int master = -1;
    int wake[2] = {-1, -1};
    std::unique_ptr<MasterChannel> channel;
    std::thread thread;
    bool pendingStx = false;
    /// The program's next STX may not come before this (its pauses after the last exchange);
    /// nothing when the last exchange gives no such bound, or the program is not in step.
    std::optional<Clock::time_point> earliestStx;
    /// Whether the program is in step with us (see kPromptMs): then its next STX and its next
    /// block are held to their pauses.
    bool inStep = true;

    void Serve();
    void HandleConnection(bool earlyStx);
    /// Takes one block after our DLE: data with DLE doubled, DLE ETX, and the block check, the
    /// XOR of every byte after the handshake up to and including ETX. firstAt is when its
    /// first byte arrived.
    bool TakeBlock(std::vector<std::uint8_t>& data, Clock::time_point& firstAt);
    void ProcedureError() {
        std::lock_guard lock(mutex);
        ++counters.procedureErrors;
    }
    /// Whether the byte read last came before the program can have made a pause of that length
    /// after reference.
    bool Early(Clock::time_point reference, Clock::duration pause) const {
        return channel->LastReadAt() < reference + pause;
    }
    /// Whether the byte written last went out within kPromptMs of the byte read last, which it
    /// answers.
    bool Prompt() const { return channel->LastSentDone() - channel->LastReadAfter() <= kPromptMs; }
    /// After an answer of ours that leaves the program waiting to start its next block: in
    /// step when the answer was prompt (and the program was in step before, unless a good block
    /// has just shown that it is), and then its STX is held to its pause.
    void AnsweredBeforeNextStx(bool goodBlock) {
        inStep = (goodBlock || inStep) && Prompt();
        if (inStep)
            earliestStx = channel->LastSentAt() + kProgramNextStxPause;
        else
            earliestStx.reset();
    }
    void Answer(std::uint8_t byte) {
        Busy();
        PauseMs(kTurnaroundMs);
        channel->Write(&byte, 1);
    }
    /// A busy encoder (SetAnswerDelay) is late with everything it sends.
    void Busy() {
        int delay = 0;
        {
            std::lock_guard lock(mutex);
            delay = answerDelayMs;
        }
        Sleep(delay);
    }
    void Nak() {
        Answer(NAK);
        std::lock_guard lock(mutex);
        ++counters.naksSent;
    }
    void SendReply(const std::vector<std::uint8_t>& data);
    /// Under the mutex: a reply made longer, when the encoder is one that sends more than is read.
    void Pad(std::vector<std::uint8_t>& reply) {
        if (static_cast<int>(reply.size()) < replyLength)
            reply.resize(static_cast<std::size_t>(replyLength), 0);
        if (replyExtraMax > 0) {
            const int extra = static_cast<int>(replyExtra() % static_cast<unsigned>(replyExtraMax + 1));
            for (int i = 0; i < extra && reply.size() < kMaxBlockData; ++i)
                reply.push_back(static_cast<std::uint8_t>(replyExtra()));
        }
    }
    /// Takes what has arrived since the last exchange (late NAKs, noise); true when an STX
    /// was among it.
    bool ProgramWantsToSend() {
        bool stx = false;
        while (channel->InputCount() > 0) {
            const std::uint32_t n = channel->Read(0);
            if (n == 0) break;
            const std::uint8_t* bytes = channel->ReadBuffer();
            stx = stx || std::find(bytes, bytes + n, STX) != bytes + n;
        }
        return stx;
    }
    bool WaitByte(std::uint8_t& c, int timeoutMs) {
        c = 0xFF;
        if (channel->InputCount() == 0 && !channel->WaitForInput(timeoutMs)) return false;
        if (channel->Read(1) != 1) return false;
        c = channel->ReadBuffer()[0];
        return true;
    }
    /// Sleeps ms milliseconds, or less when Stop or HangUp wakes the thread.
    void Sleep(int ms) {
        if (ms <= 0) return;
        struct pollfd pfd {wake[0], POLLIN, 0};
        Deadline deadline(ms);
        while (deadline.RemainingMs() > 0) {
            if (::poll(&pfd, 1, deadline.RemainingMs()) > 0) return;   // the wake byte stays for the others
        }
    }
    bool StopOrHangUpRequested() {
        std::lock_guard lock(mutex);
        return hangUpNow || channel->Stopping();
    }
    void DoHangUp();
    /// Under the mutex: the encoder leaves the line for ms, and a fresh one comes.
    void StartSwap(int ms) {
        model = EncoderModel();
        model.SetFirmware(options.firmware);
        model.SetSpeed(options.stepsPerSecond, Clock::now());
        absentUntil = Clock::now() + std::chrono::milliseconds(ms);
        ++counters.swaps;
    }
    /// Under the mutex: whether the line has no encoder now.
    bool Absent() {
        if (absentUntil && Clock::now() >= *absentUntil) absentUntil.reset();
        return absentUntil.has_value();
    }
    template <typename F>
    auto Locked(F f) {
        std::lock_guard lock(mutex);
        return f();
    }
};

void EncoderSimulator::Impl::DoHangUp() {
    channel->SetStopping();
    channel->Detach();
    if (master >= 0) ::close(master);
    master = -1;
    std::lock_guard lock(mutex);
    hungUp = true;
    hangUpNow = false;
    changed.notify_all();
}

void EncoderSimulator::Impl::Serve() {
    for (;;) {
        if (StopOrHangUpRequested()) break;
        bool early = false;
        if (!pendingStx) {
            std::uint8_t c = 0;
            if (!WaitByte(c, 200)) continue;
            if (c != STX) {
                // Line noise, or a late answer of a program that gave up on us: out of step.
                inStep = false;
                earliestStx.reset();
                continue;
            }
            early = earliestStx && channel->LastReadAt() < *earliestStx;
        }
        pendingStx = false;
        earliestStx.reset();
        HandleConnection(early);
        Locked([this] {
            if (hangUpAfterExchange) hangUpNow = true;
            hangUpAfterExchange = false;
        });
    }
    if (Locked([this] { return hangUpNow; })) DoHangUp();
}

bool EncoderSimulator::Impl::TakeBlock(std::vector<std::uint8_t>& data, Clock::time_point& firstAt) {
    const int charTimeout = options.charTimeoutMs;
    std::uint8_t check = 0;
    std::uint8_t c = 0;
    for (bool first = true;; first = false) {
        if (!WaitByte(c, charTimeout)) return false;
        if (first) firstAt = channel->LastReadAt();
        check ^= c;
        if (c == DLE) {
            if (!WaitByte(c, charTimeout)) return false;
            check ^= c;
            if (c == ETX) {
                std::uint8_t received = 0;
                return WaitByte(received, charTimeout) && received == check;
            }
            if (c != DLE) return false;   // a single DLE inside the data
        }
        data.push_back(c);
        if (data.size() > kMaxBlockData) return false;
    }
}

void EncoderSimulator::Impl::HandleConnection(bool earlyStx) {
    enum class Greeting { Ignore, Refuse, Accept, Collide };
    Greeting greeting = Locked([this, earlyStx] {
        ++counters.connectionAttempts;
        if (silent || Absent()) return Greeting::Ignore;
        if (earlyStx) {
            // The program has not made its pause before STX: not ready yet.
            ++counters.procedureErrors;
            ++counters.naksSent;
            return Greeting::Refuse;
        }
        if (Take(nakConnections)) {
            ++counters.naksSent;
            return Greeting::Refuse;
        }
        return Take(stxCollisions) ? Greeting::Collide : Greeting::Accept;
    });
    if (greeting == Greeting::Ignore) {
        inStep = false;  // the program waits for an answer that does not come
        return;
    }
    if (greeting == Greeting::Refuse) {
        Answer(NAK);
        AnsweredBeforeNextStx(false);
        return;
    }
    const bool judged = inStep;
    // Both wanted to send at once: the encoder's STX crosses the program's, and it gives way.
    if (greeting == Greeting::Collide) Answer(STX);
    Answer(DLE);
    const Clock::time_point dleAt = channel->LastSentAt();

    std::vector<std::uint8_t> data;
    Clock::time_point firstAt{};
    const bool framed = TakeBlock(data, firstAt);
    // The first data byte before the program's pauses after our DLE: we were not listening yet.
    // (A block that is not framed well is refused anyway, and may hold bytes of a program
    // that was not answering this DLE, such as the STX of its next attempt.)
    const bool early = judged && framed && !data.empty() && firstAt < dleAt + kProgramDataPause;
    if (!framed || early) {
        inStep = false;
        earliestStx.reset();
        Locked([this, early] {
            if (early) ++counters.procedureErrors;
            return ++counters.badBlocks;
        });
        if (Locked([this] { return silent; })) return;
        Nak();
        channel->Purge();
        return;
    }

    // A good block: log it, then decide.
    std::vector<std::uint8_t> reply;
    bool refuse = false;
    bool replyWanted = false;
    bool dropAcknowledgement = false;
    {
        std::lock_guard lock(mutex);
        ++counters.blocksReceived;
        if (data.size() == 4) {
            telegrams.push_back({data[0], data[1], data[2], data[3]});
            changed.notify_all();
            if (hangUpAfter > 0 && --hangUpAfter == 0) hangUpAfterExchange = true;
        }
        if (hangUpAt == HangUpPoint::AfterRequestBlock) {
            hangUpAt = HangUpPoint::None;
            hangUpNow = true;
            return;
        }
        if (silent) {
            inStep = false;
            return;
        }
        const std::uint8_t code = data.empty() ? 0 : data[0];
        if (data.size() != 4) {
            model.lastError = static_cast<std::uint8_t>(EncoderError::Invalid);
            refuse = true;
        } else if (code == 0x81) {
            if (Take(failErrorRequests)) {
                refuse = true;
            } else {
                reply = {model.lastError, 0, 0};
                Pad(reply);
                replyWanted = true;
            }
        } else if (Take(nakTelegrams)) {
            model.lastError = nakError;
            refuse = true;
        } else if (code == 0x80) {
            EncoderError e = model.Read(data[3], Clock::now(), reply);
            if (e != EncoderError::None) {
                model.lastError = static_cast<std::uint8_t>(e);
                refuse = true;
            } else {
                Pad(reply);
                replyWanted = true;
            }
        } else {
            EncoderError e = code < 0x80 ? model.Write(code, {data[1], data[2], data[3]})
                                         : EncoderError::UnknownKp;
            if (e != EncoderError::None) {
                model.lastError = static_cast<std::uint8_t>(e);
                refuse = true;
            }
        }
        if (!refuse) dropAcknowledgement = Take(dropAcknowledgements);
        if (data.size() == 4 && silenceAfter > 0 && --silenceAfter == 0)
            silent = true;  // from the next STX on
    }
    if (refuse) {
        Nak();
        AnsweredBeforeNextStx(true);
        return;
    }
    if (dropAcknowledgement) {
        // The acknowledgement is lost on the line: the encoder goes on as if it had been sent,
        // and the program, which waits for it, is out of step.
        inStep = false;
        earliestStx.reset();
    } else {
        Answer(DLE);
        AnsweredBeforeNextStx(true);
    }
    // The encoder is done once it has taken the store (its acknowledgement lost or not).
    if (data[0] == kStoreCommand)
        Locked([this] {
            if (swapAfterStoreMs > 0) StartSwap(swapAfterStoreMs);
        });
    if (replyWanted) SendReply(reply);
}

void EncoderSimulator::Impl::SendReply(const std::vector<std::uint8_t>& data) {
    Sleep(Locked([this] { return replyDelayMs; }));
    earliestStx.reset();
    const int handshake = options.handshakeTimeoutMs;
    const bool eager = Locked([this] { return repeatStxOnNak; });
    int attempts = options.retryCount > 0 ? options.retryCount : 1;
    bool afterNak = false;
    for (bool first = true; attempts > 0; --attempts, first = false) {
        inStep = false;  // until the program has confirmed this reply
        if (StopOrHangUpRequested()) return;
        // An eager encoder answers a NAK with its next STX at once, without looking at what else
        // has come in meanwhile; a patient one waits, and gives way to a program that has begun
        // a telegram of its own.
        Busy();
        PauseMs(afterNak && !eager ? kRetryPauseMs : kTurnaroundMs);
        afterNak = false;
        if (!eager && ProgramWantsToSend()) {
            pendingStx = true;
            return;
        }
        const std::uint8_t stx = STX;
        channel->Write(&stx, 1);
        const Clock::time_point stxAt = channel->LastSentAt();
        std::uint8_t c = 0;
        if (!WaitByte(c, handshake)) continue;
        if (c == DLE && first && Early(stxAt, kProgramAnswerPause)) {
            // Its DLE before its pause: we are not ready to send; the reply is not given.
            ProcedureError();
            return;
        }
        if (c == NAK) {
            Locked([this] { return ++counters.naksReceived; });
            afterNak = true;
            continue;
        }
        if (c == STX) {
            // The program has given up on this reply and starts a telegram of its own.
            pendingStx = true;
            return;
        }
        if (c != DLE) continue;

        // The block: data with DLE doubled, DLE ETX, block check (the XOR of everything after
        // the handshake; a doubled DLE cancels itself).
        std::vector<std::uint8_t> frame;
        std::uint8_t bcc = 0;
        for (std::uint8_t b : data) {
            frame.push_back(b);
            if (b == DLE) frame.push_back(DLE);
            else bcc ^= b;
        }
        frame.push_back(DLE);
        frame.push_back(ETX);
        bcc ^= DLE ^ ETX;
        int gap = 0;
        bool hangUp = false;
        bool corrupted = false;
        {
            std::lock_guard lock(mutex);
            corrupted = Take(corruptReplies);
            if (corrupted) bcc ^= 0x5A;
            gap = gapMs;
            gapMs = 0;
            if (hangUpAt == HangUpPoint::InReply) {
                hangUpAt = HangUpPoint::None;
                hangUp = true;
            }
            ++counters.repliesSent;
        }
        frame.push_back(bcc);

        Busy();
        PauseMs(kTurnaroundMs);
        channel->Write(frame.data(), 1);
        if (hangUp) {
            Locked([this] { return hangUpNow = true; });
            return;
        }
        if (gap > 0) {
            Sleep(gap);
            // A receiver that timed out during the gap has said NAK: stop this attempt.
            if (channel->InputCount() > 0 && WaitByte(c, 0) && c == NAK) {
                Locked([this] { return ++counters.naksReceived; });
                afterNak = true;
                continue;
            }
        }
        channel->Write(frame.data() + 1, static_cast<std::uint32_t>(frame.size() - 1));
        const Clock::time_point checkAt = channel->LastSentAt();
        // Written whole within kPromptMs of the program's DLE: its character time-out cannot
        // have ended meanwhile, so a NAK is its answer to this block.
        const bool inTime = gap == 0 && Prompt();

        if (!WaitByte(c, 2 * handshake)) continue;
        if (first && (c == DLE || (c == NAK && inTime)) && Early(checkAt, kProgramAnswerPause)) {
            ProcedureError();   // the program's answer before its pause
            return;
        }
        if (c == DLE) {
            // A block with a wrong check must be refused, never confirmed.
            if (corrupted) ProcedureError();
            Locked([this] { return ++counters.repliesConfirmed; });
            inStep = first && !corrupted;
            if (inStep) earliestStx = checkAt + kProgramStxAfterReplyPause;
            return;
        }
        if (c == NAK) {
            Locked([this] { return ++counters.naksReceived; });
            afterNak = true;
            continue;
        }
        if (c == STX) {
            // The program took the whole block and went on without confirming or refusing it.
            if (first) ProcedureError();
            pendingStx = true;
            return;
        }
    }
}

// ---- EncoderSimulator ----

EncoderSimulator::EncoderSimulator(SimulatorOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

EncoderSimulator::~EncoderSimulator() { Stop(); }

bool EncoderSimulator::Start() {
    if (running_) return true;
    Stop();   // the rest of an earlier run that ended by a hang-up
    Impl& m = *impl_;
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return false;
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return false;
    }
    // Raw on the slave, so that nothing is echoed or translated before the program has opened
    // it and set its own mode; the slave is closed again at once, so the program's exclusive
    // open of it is not disturbed.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return false;
    }
    MakeRaw(slave);
    ::close(slave);
    MakeRaw(master);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    if (::pipe2(m.wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(master);
        return false;
    }
    m.master = master;
    m.channel = std::make_unique<MasterChannel>(master, m.wake[0], m.options.lineRate);
    m.hungUp = false;
    m.pendingStx = false;
    m.earliestStx.reset();
    devicePath_ = name;
    running_ = true;
    m.thread = std::thread([this] {
        impl_->Serve();
        running_ = false;
    });
    return true;
}

void EncoderSimulator::Stop() {
    Impl& m = *impl_;
    if (m.thread.joinable()) {
        const char stop = 1;
        (void)!::write(m.wake[1], &stop, 1);
        m.thread.join();
    }
    if (m.master >= 0) ::close(m.master);
    m.master = -1;
    for (int& fd : m.wake) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    m.channel.reset();
    running_ = false;
}

Data3 EncoderSimulator::Ram(int kp) const { return impl_->Locked([&] { return impl_->model.Ram(kp); }); }
void EncoderSimulator::SetRam(int kp, const Data3& bytes) { impl_->Locked([&] { impl_->model.SetRam(kp, bytes); }); }
Data3 EncoderSimulator::Eeprom(int kp) const { return impl_->Locked([&] { return impl_->model.Eeprom(kp); }); }
void EncoderSimulator::SetEeprom(int kp, const Data3& bytes) {
    impl_->Locked([&] { impl_->model.SetEeprom(kp, bytes); });
}

std::optional<std::vector<std::uint8_t>> EncoderSimulator::ReplyFor(int kp) const {
    return impl_->Locked([&]() -> std::optional<std::vector<std::uint8_t>> {
        std::vector<std::uint8_t> reply;
        if (impl_->model.Read(kp, Clock::now(), reply) != EncoderError::None) return std::nullopt;
        return reply;
    });
}

void EncoderSimulator::SetFirmware(const std::string& fourChars) {
    impl_->Locked([&] { impl_->model.SetFirmware(fourChars); });
}
void EncoderSimulator::SetConfigRegisters(int kp, const std::array<std::uint8_t, 4>& registers) {
    impl_->Locked([&] { impl_->model.SetConfigRegisters(kp, registers); });
}
void EncoderSimulator::SetActualValue(std::int32_t position, std::optional<std::uint8_t> status) {
    impl_->Locked([&] { impl_->model.SetActualValue(position, status, Clock::now()); });
}
void EncoderSimulator::SetSpeed(double stepsPerSecond) {
    impl_->Locked([&] { impl_->model.SetSpeed(stepsPerSecond, Clock::now()); });
}
void EncoderSimulator::SetReplyBytes(int kp, std::vector<std::uint8_t> bytes) {
    impl_->Locked([&] { impl_->model.SetReplyBytes(kp, std::move(bytes)); });
}
void EncoderSimulator::SetReplyPadding(int length, int extraMax) {
    impl_->Locked([&] {
        impl_->replyLength = std::clamp(length, 0, static_cast<int>(kMaxBlockData));
        impl_->replyExtraMax = std::clamp(extraMax, 0, static_cast<int>(kMaxBlockData));
    });
}
void EncoderSimulator::ClearReplyOverrides() { impl_->Locked([&] { impl_->model.ClearReplyOverrides(); }); }

void EncoderSimulator::ResetModel() {
    Impl& m = *impl_;
    m.Locked([&] {
        m.model = EncoderModel();
        m.model.SetFirmware(m.options.firmware);
        m.model.SetSpeed(m.options.stepsPerSecond, Clock::now());
        m.silent = false;
        m.nakTelegrams = m.nakConnections = m.failErrorRequests = m.corruptReplies = 0;
        m.gapMs = m.stxCollisions = m.dropAcknowledgements = m.silenceAfter = m.answerDelayMs = 0;
        m.repeatStxOnNak = false;
        m.replyDelayMs = m.options.replyDelayMs;
        m.hangUpAt = HangUpPoint::None;
        m.hangUpAfter = 0;
        m.hangUpAfterExchange = false;
        m.absentUntil.reset();
        m.swapAfterStoreMs = 0;
    });
}

void EncoderSimulator::SetErrorNumber(std::uint8_t error) { impl_->Locked([&] { impl_->model.lastError = error; }); }

void EncoderSimulator::SetSilent(bool silent) { impl_->Locked([&] { impl_->silent = silent; }); }
void EncoderSimulator::NakTelegrams(int count, std::uint8_t error) {
    impl_->Locked([&] {
        impl_->nakTelegrams = count;
        impl_->nakError = error;
    });
}
void EncoderSimulator::NakConnections(int count) { impl_->Locked([&] { impl_->nakConnections = count; }); }
void EncoderSimulator::FailErrorRequests(int count) { impl_->Locked([&] { impl_->failErrorRequests = count; }); }
void EncoderSimulator::CorruptReplies(int count) { impl_->Locked([&] { impl_->corruptReplies = count; }); }
void EncoderSimulator::GapInNextReply(int gapMs) { impl_->Locked([&] { impl_->gapMs = gapMs; }); }
void EncoderSimulator::StxCollisions(int count) { impl_->Locked([&] { impl_->stxCollisions = count; }); }
void EncoderSimulator::SetReplyDelay(int delayMs) { impl_->Locked([&] { impl_->replyDelayMs = delayMs; }); }
void EncoderSimulator::DropAcknowledgements(int count) {
    impl_->Locked([&] { impl_->dropAcknowledgements = count; });
}
void EncoderSimulator::SetAnswerDelay(int delayMs) {
    impl_->Locked([&] { impl_->answerDelayMs = delayMs; });
}
void EncoderSimulator::SilenceAfterTelegrams(int count) {
    impl_->Locked([&] { impl_->silenceAfter = count; });
}
void EncoderSimulator::RepeatStxOnNak(bool on) {
    impl_->Locked([&] { impl_->repeatStxOnNak = on; });
}

void EncoderSimulator::Swap(int absentMs) {
    impl_->Locked([&] { impl_->StartSwap(absentMs); });
}
void EncoderSimulator::SwapAfterStore(int absentMs) {
    impl_->Locked([&] { impl_->swapAfterStoreMs = absentMs; });
}

void EncoderSimulator::HangUp() {
    Impl& m = *impl_;
    if (!m.thread.joinable()) return;
    {
        std::lock_guard lock(m.mutex);
        m.hangUpNow = true;
    }
    const char wake = 1;
    (void)!::write(m.wake[1], &wake, 1);
    m.thread.join();   // the thread closes the master on its way out
    if (m.master >= 0) {
        ::close(m.master);
        m.master = -1;
    }
    running_ = false;
}

void EncoderSimulator::HangUpAt(HangUpPoint point) { impl_->Locked([&] { impl_->hangUpAt = point; }); }
void EncoderSimulator::HangUpAfterTelegrams(int count) {
    impl_->Locked([&] {
        impl_->hangUpAfter = count;
        if (count == 0) impl_->hangUpAfterExchange = false;
    });
}

std::vector<Telegram> EncoderSimulator::Telegrams() const { return impl_->Locked([&] { return impl_->telegrams; }); }
void EncoderSimulator::ClearTelegrams() { impl_->Locked([&] { impl_->telegrams.clear(); }); }
SimulatorCounters EncoderSimulator::Counters() const { return impl_->Locked([&] { return impl_->counters; }); }
void EncoderSimulator::ResetCounters() { impl_->Locked([&] { impl_->counters = {}; }); }

bool EncoderSimulator::WaitForTelegrams(std::size_t n, int timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                   [&] { return impl_->telegrams.size() >= n; });
}

}  // namespace veltrin::sim
