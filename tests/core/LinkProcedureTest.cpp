// The block procedure in process, on a scripted byte channel: the receiver's framing rules and
// a randomised run of garbage, truncated blocks and floods.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <random>
#include <vector>

#include "ScriptedChannel.h"
#include "link/ByteChannel.h"
#include "link/Link.h"

using namespace veltrin;
using veltrin::test::Bytes;
using veltrin::test::Cat;
using veltrin::test::Frame;
using veltrin::test::ScriptedChannel;
using veltrin::test::ScriptedLink;

namespace {

/// A ReplyBlock with guard bytes on both sides: a write outside it shows in the guards.
struct GuardedBlock {
    std::array<std::uint8_t, 64> before;
    ReplyBlock block;
    std::array<std::uint8_t, 64> after;
    GuardedBlock() { before.fill(0xA5), after.fill(0x5A); }
    bool GuardsIntact() const {
        for (auto b : before) if (b != 0xA5) return false;
        for (auto b : after) if (b != 0x5A) return false;
        return true;
    }
};

struct Receiver {
    ScriptedChannel channel;
    ScriptedLink link{&channel};
    bool Receive(const Bytes& wire, ReplyBlock& block) {
        channel.Feed(wire);
        return link.ReceiveBlock(kChannel, block);
    }
};

}  // namespace

TEST(LinkProcedure, ReceiverFramingRules) {
    {   // a 10 10 pair stands for one data byte; 10 03 ends the block
        Receiver r;
        ReplyBlock block;
        ASSERT_TRUE(r.Receive(Frame({0x10, 0x20, 0x10}), block));
        EXPECT_EQ(block.count, 3);
        EXPECT_EQ(block.b(1), 0x10);
        EXPECT_EQ(block.b(2), 0x20);
        EXPECT_EQ(block.b(3), 0x10);
        EXPECT_EQ(r.channel.Pending(), 0u);   // nothing after the block check was taken
    }
    {   // DLE followed by another byte fails, count 0 although bytes were stored
        Receiver r;
        ReplyBlock block;
        block.count = 7;
        EXPECT_FALSE(r.Receive({0x41, 0x42, DLE, 0x43, DLE, ETX, 0x00}, block));
        EXPECT_EQ(block.count, 0);
        EXPECT_EQ(block.b(1), 0x41);
    }
    {   // a block check computed without 0x13 is rejected
        Receiver r;
        ReplyBlock block;
        EXPECT_FALSE(r.Receive({0x80, 0x01, DLE, ETX, 0x81}, block));
        EXPECT_EQ(block.count, 0);
    }
    {   // a block that stops (no block check) fails
        Receiver r;
        ReplyBlock block;
        EXPECT_FALSE(r.Receive({0x01, 0x02, DLE, ETX}, block));
        EXPECT_FALSE(r.Receive({0x01, 0x02, DLE}, block));
        EXPECT_EQ(block.count, 0);
    }
    {   // 254 data bytes are the most a block holds; 255 fail
        Receiver r;
        ReplyBlock block;
        Bytes data(254, 0x33);
        data[10] = DLE;
        ASSERT_TRUE(r.Receive(Frame(data), block));
        EXPECT_EQ(block.count, 254);
        EXPECT_EQ(block.b(11), DLE);
        GuardedBlock g;
        Receiver r2;
        EXPECT_FALSE(r2.Receive(Frame(Bytes(255, 0x33)), g.block));
        EXPECT_EQ(g.block.count, 0);
        EXPECT_TRUE(g.GuardsIntact());
    }
}

TEST(LinkProcedure, ConnectAnswers) {
    struct Case { Bytes answer; bool connected; bool nak; };
    const Case cases[] = {
        {{DLE}, true, false},
        {{STX, DLE}, true, false},   // the encoder wanted to send too and gave way
        {{STX, NAK}, false, false},
        {{NAK}, false, true},
        {{0x41}, false, false},
        {{}, false, false},
    };
    for (const Case& c : cases) {
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        channel.AnswerNextWrites({c.answer});
        EXPECT_EQ(link.Connect(kChannel), c.connected);
        EXPECT_EQ(link.deviceError.nakReceived, c.nak);
        EXPECT_EQ(channel.written, Bytes{STX});
    }
}

// Randomised: garbage, cut-off blocks, mutated blocks and floods. Every case ends in success
// or failure at once (the channel never waits), a success has consumed exactly one well-formed
// block, a failure leaves count 0, and nothing outside the ReplyBlock is touched.
TEST(LinkProcedure, RandomInputNeverEscapesTheBlock) {
    std::mt19937 rng(20240611);
    auto byte = [&rng] {
        // Control characters often, so that the framing paths are all taken.
        static const std::uint8_t controls[] = {STX, ETX, DLE, NAK};
        return (rng() % 3 == 0) ? controls[rng() % 4] : static_cast<std::uint8_t>(rng());
    };
    int successes = 0, failures = 0;
    for (int i = 0; i < 6000; ++i) {
        Bytes wire;
        Bytes data(rng() % 260);
        for (auto& b : data) b = byte();
        switch (i % 5) {
            case 0: wire = data; break;                                 // garbage
            case 1: wire = Frame(data); break;                          // well formed (or too long)
            case 2: wire = Frame(data); wire.resize(rng() % (wire.size() + 1)); break;   // cut off
            case 3: wire = Frame(data); if (!wire.empty()) wire[rng() % wire.size()] = byte(); break;
            case 4: wire.assign(300 + rng() % 2000, byte()); break;    // a flood of one byte
        }
        GuardedBlock g;
        Receiver r;
        const bool ok = r.Receive(wire, g.block);
        ASSERT_TRUE(g.GuardsIntact()) << "case " << i;
        if (ok) {
            ++successes;
            Bytes got(g.block.data.begin(), g.block.data.begin() + g.block.count);
            Bytes expected = Frame(got);
            ASSERT_LE(expected.size(), wire.size()) << "case " << i;
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), wire.begin())) << "case " << i;
            ASSERT_EQ(r.channel.Pending(), wire.size() - expected.size());
            if (i % 5 == 1) {
                ASSERT_EQ(got, data);
            }
        } else {
            ++failures;
            ASSERT_EQ(g.block.count, 0) << "case " << i;
            if (i % 5 == 1) {
                ASSERT_GT(data.size(), 254u);   // a well-formed block fails only for its length
            }
        }
    }
    EXPECT_GT(successes, 500);
    EXPECT_GT(failures, 2000);
}

// The whole reply (STX, block, confirmation, retries) on random answers: bounded, never a
// read past the block, and a success has confirmed with DLE as the last byte written.
TEST(LinkProcedure, RandomRepliesEndInResultOrFailure) {
    std::mt19937 rng(77);
    for (int i = 0; i < 40; ++i) {
        ScriptedChannel channel;
        GuardedBlock g;
        ScriptedLink link(&channel);
        // One answer per attempt: the first is there at once, each later one follows the
        // program's NAK (or DLE) of the attempt before.
        std::deque<Bytes> answers;
        const int parts = 1 + static_cast<int>(rng() % 4);
        for (int p = 0; p < parts; ++p) {
            Bytes answer;
            if (rng() % 4) answer.push_back(STX);
            Bytes data(rng() % 8);
            for (auto& b : data) b = static_cast<std::uint8_t>(rng() % 2 ? DLE : rng());
            Bytes frame = Frame(data);
            if (rng() % 3 == 0) frame.back() ^= 0x01;
            if (rng() % 5 == 0) frame.resize(rng() % frame.size());
            answer.insert(answer.end(), frame.begin(), frame.end());
            answers.push_back(answer);
        }
        channel.Feed(answers.front());
        answers.pop_front();
        channel.AnswerNextWrites(answers);
        const bool ok = link.ReceiveReply(kChannel, g.block, kAnyReplyLength);
        ASSERT_TRUE(g.GuardsIntact());
        ASSERT_FALSE(channel.written.empty());
        // The last byte written confirms a good reply (DLE) or refuses the last attempt (NAK).
        EXPECT_EQ(channel.written.back(), ok ? DLE : NAK);
        if (!ok) {
            EXPECT_EQ(g.block.count, 0);
        }
    }
}

// The sender's side byte by byte: what goes out, what the purge after the block check throws
// away, when nakReceived is set and cleared, and how many attempts a retry count makes.
TEST(LinkProcedure, SenderBytesNakAndAttempts) {
    const std::uint8_t telegram[4] = {0x80, 0x10, 0x00, 0x01};
    {  // a byte from the encoder during the block gives it up: nothing more of it goes out
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        channel.AnswerNextWrites({{DLE}});   // the encoder's DLE to STX
        ASSERT_TRUE(link.Connect(kChannel));
        std::uint8_t acc = 0xAA;
        link.SendData(kChannel, telegram, 4, acc);
        EXPECT_EQ(acc, 0x80 ^ 0x01);   // the doubled DLE leaves the check alone
        channel.Feed({DLE});
        EXPECT_FALSE(link.EndBlock(kChannel, acc));
        EXPECT_FALSE(link.deviceError.nakReceived);
        EXPECT_EQ(channel.written, (Bytes{STX, 0x80, 0x10, 0x10, 0x00, 0x01}));
    }
    for (int retries : {3, 1, 0, -2}) {   // NAK every time: retries attempts, at least one
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        link.timing.retryCount[kChannel] = retries;
        std::deque<Bytes> answers;
        for (int i = 0; i < 3; ++i) answers.insert(answers.end(), {{DLE}, {}, {}, {}, {}, {}, {}, {}, {NAK}});
        channel.AnswerNextWrites(answers);
        EXPECT_FALSE(link.SendTelegram(kChannel, telegram, 4));
        EXPECT_TRUE(link.deviceError.nakReceived);
        EXPECT_EQ(std::count(channel.written.begin(), channel.written.end(), STX), std::max(retries, 1)) << retries;
    }
    {   // a reply that never starts: each attempt ends in NAK, which leaves nakReceived clear
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        link.deviceError.nakReceived = true;
        ReplyBlock block;
        EXPECT_FALSE(link.ReceiveReply(kChannel, block, kAnyReplyLength));
        EXPECT_EQ(channel.written, (Bytes{NAK, NAK, NAK}));
        EXPECT_FALSE(link.deviceError.nakReceived);
    }
}

// The encoder's DLE may be there the moment the block check has left (a quick encoder, or a
// program held up for a while after its write): it is taken. A byte that comes from the encoder
// before the block is complete (its NAK when it gave up on the block, a stray DLE, noise) gives
// the block up there, and it is sent again whole after the encoder's character time-out.
TEST(LinkProcedure, ByteFromTheEncoderDuringTheBlockGivesItUpAndItIsSentAgain) {
    const std::uint8_t telegram[4] = {0x80, 0x10, 0x00, 0x01};
    const Bytes block = {0x80, 0x10, 0x10, 0x00, 0x01, DLE, ETX};  // after STX, before the check
    const Bytes whole = Cat(Cat({STX}, block), {0x92});
    // position: the block's bytes written before the encoder's byte comes (0: with its DLE).
    // A character time-out past the longest stall of a loaded machine, so that the block given
    // up in each case is given up for the encoder's byte alone.
    constexpr int kCharTimeoutMs = 700;
    const std::pair<std::size_t, Bytes> cases[] = {
        {0, {NAK}}, {3, {NAK}}, {block.size(), {NAK}}, {0, {DLE}}, {block.size(), {DLE}},
        {3, {0x55}}, {block.size(), {0x55}}, {3, {}},
    };
    for (const auto& [position, stray] : cases) {
        {
            SCOPED_TRACE("after " + std::to_string(position) + " bytes, " + std::to_string(stray.size()));
            ScriptedChannel channel;
            channel.AnswerAtOnce(true);
            ScriptedLink link(&channel, kCharTimeoutMs);
            // The encoder's answers, one to each byte written: the disturbed attempt (when there
            // is a stray byte), then the whole block answered as usual.
            std::deque<Bytes> answers;
            if (!stray.empty()) {
                answers.push_back(Cat({DLE}, position == 0 ? stray : Bytes{}));
                for (std::size_t i = 1; i <= position; ++i)
                    answers.push_back(i == position ? stray : Bytes{});
            }
            answers.push_back({DLE});
            answers.insert(answers.end(), block.size(), Bytes{});
            answers.push_back({DLE});
            channel.AnswerNextWrites(answers);
            const auto started = std::chrono::steady_clock::now();
            EXPECT_TRUE(link.SendTelegram(kChannel, telegram, 4));
            EXPECT_FALSE(link.deviceError.nakReceived);
            const Bytes given = stray.empty()
                                    ? Bytes{}
                                    : Bytes(whole.begin(), whole.begin() + 1 + static_cast<long>(position));
            EXPECT_EQ(channel.written, Cat(given, whole));
            EXPECT_EQ(channel.Pending(), 0u);
            // Sent again only after the encoder's character time-out (200 ms) has surely ended.
            if (!stray.empty())
                EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));
        }
    }
}
