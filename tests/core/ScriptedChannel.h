#pragma once
// A byte channel with a scripted line for the tests of the block procedure in process, and the
// wire form of a block.
#include <cstdint>
#include <deque>
#include <vector>

#include "link/ByteChannel.h"
#include "link/Link.h"

namespace veltrin::test {

using Bytes = std::vector<std::uint8_t>;

/// A channel whose input is scripted: the bytes given are there at once, and a wait with
/// nothing there fails at once (no time passes). Optional answers are released one per write
/// and arrive after it, so a purge right after the write does not lose them.
class ScriptedChannel : public ByteChannel {
public:
    void Feed(const Bytes& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    void AnswerNextWrites(std::deque<Bytes> answers) { answers_ = std::move(answers); }
    /// Answers there as soon as the write returns (an encoder that is quick, or a program held
    /// up before its next step), so that a purge after the write would throw them away.
    void AnswerAtOnce(bool atOnce) { atOnce_ = atOnce; }

    bool IsOpen() const override { return true; }
    int PortNumber() const override { return 1; }
    std::uint32_t InputCount() override {
        Arrive();
        return static_cast<std::uint32_t>(input_.size());
    }
    bool WaitForInput(int) override { return InputCount() > 0; }
    std::uint32_t Read(std::uint32_t count) override {
        Arrive();
        if (count == 0) count = 511;
        std::uint32_t n = 0;
        while (n < count && n < sizeof buffer_ && !input_.empty()) {
            buffer_[n++] = input_.front();
            input_.pop_front();
        }
        return n;
    }
    const std::uint8_t* ReadBuffer() const override { return buffer_; }
    bool Write(const std::uint8_t* bytes, std::uint32_t length) override {
        written.insert(written.end(), bytes, bytes + length);
        for (std::uint32_t i = 0; i < length && !answers_.empty(); ++i) {
            inFlight_.insert(inFlight_.end(), answers_.front().begin(), answers_.front().end());
            answers_.pop_front();
        }
        if (atOnce_) Arrive();
        return true;
    }
    void Purge() override { input_.clear(); }

    std::size_t Pending() const { return input_.size() + inFlight_.size(); }
    Bytes written;

private:
    void Arrive() {
        input_.insert(input_.end(), inFlight_.begin(), inFlight_.end());
        inFlight_.clear();
    }
    std::deque<std::uint8_t> input_;
    Bytes inFlight_;
    std::deque<Bytes> answers_;
    bool atOnce_ = false;
    std::uint8_t buffer_[512] = {};
};

/// A link on a scripted line. No time passes on the line, but the program's own pauses and a
/// loaded machine's stalls do: the character time-out is long enough that no stall of the test
/// process (stopped for 300 ms on an overloaded machine) is taken for the program being held up
/// inside a block it sends (half the character time-out). A test of that path sets its own.
inline constexpr int kScriptedCharTimeoutMs = 1000;
class ScriptedLink : public Link {
public:
    explicit ScriptedLink(ByteChannel* channel, int charTimeoutMs = kScriptedCharTimeoutMs) : Link(channel) {
        timing.charTimeoutMs[kChannel] = charTimeoutMs;
    }
};

/// a followed by b.
inline Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// A block on the wire: data with DLE doubled, DLE ETX, block check (XOR of the data, 0x13).
inline Bytes Frame(const Bytes& data) {
    Bytes out;
    std::uint8_t bcc = 0;
    for (std::uint8_t b : data) {
        out.push_back(b);
        if (b == DLE)
            out.push_back(DLE);
        else
            bcc ^= b;
    }
    out.push_back(DLE);
    out.push_back(ETX);
    out.push_back(static_cast<std::uint8_t>(bcc ^ DLE ^ ETX));
    return out;
}

}  // namespace veltrin::test
