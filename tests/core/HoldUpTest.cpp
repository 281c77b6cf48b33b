// A program held up in the middle of a block it sends (a loaded or suspended machine, an
// adapter's latency, a trace pipe that blocks) for longer than the encoder waits between two
// characters: the encoder gives up on the block with NAK and waits for a new STX, which it may
// find in a byte 0x02 of the rest and answer with DLE. Wherever the hold-up comes, the telegram
// arrives or the send reports failure; it is never reported sent when the encoder did not take
// it. The real port and the simulated encoder, both with the encoder's real time-outs.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "link/Link.h"
#include "link/SerialPort.h"
#include "params/Encoding.h"
#include "sim/EncoderSimulator.h"

using namespace veltrin;

namespace {

/// The real port with a program that is held up once: before the n-th byte it writes (1: its
/// STX), right after it has read the encoder's answer to its STX, or after its n-th read.
class HeldUpPort : public ByteChannel {
public:
    explicit HeldUpPort(ByteChannel& port) : port_(port) {}
    static constexpr int kAfterHandshake = 0;
    void HoldUp(int beforeWrite, int ms) {
        beforeWrite_ = beforeWrite;
        afterRead_ = -1;
        ms_ = ms;
        writes_ = reads_ = 0;
        done_ = false;
    }
    void HoldUpAfterRead(int n, int ms) {
        HoldUp(-1, ms);
        afterRead_ = n;
    }

    bool IsOpen() const override { return port_.IsOpen(); }
    int PortNumber() const override { return port_.PortNumber(); }
    std::uint32_t InputCount() override { return port_.InputCount(); }
    bool WaitForInput(int timeoutMs) override { return port_.WaitForInput(timeoutMs); }
    std::uint32_t Read(std::uint32_t count) override {
        const std::uint32_t n = port_.Read(count);
        if (n > 0 && beforeWrite_ == kAfterHandshake && writes_ == 1) Hold();
        if (n > 0 && ++reads_ == afterRead_) Hold();
        return n;
    }
    const std::uint8_t* ReadBuffer() const override { return port_.ReadBuffer(); }
    bool Write(const std::uint8_t* bytes, std::uint32_t length) override {
        for (std::uint32_t i = 0; i < length; ++i) {
            if (++writes_ == beforeWrite_) Hold();
            if (!port_.Write(bytes + i, 1)) return false;
        }
        return true;
    }
    void Purge() override { port_.Purge(); }

private:
    void Hold() {
        if (done_) return;
        done_ = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms_));
    }
    ByteChannel& port_;
    int beforeWrite_ = -1;
    int afterRead_ = -1;
    int ms_ = 0;
    int writes_ = 0;
    int reads_ = 0;
    bool done_ = true;
};

class HeldUpProgram : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorOptions options;  // the encoder's own time-outs: 550 ms, 200 ms
        options.stepsPerSecond = 0;
        encoder = std::make_unique<sim::EncoderSimulator>(options);
        ASSERT_TRUE(encoder->Start());
        port.SetDeviceOverride(encoder->DevicePath());
        ASSERT_TRUE(port.Open());
        link.SetPort(&heldUp);  // the program's own time-outs and retries too
    }
    void TearDown() override {
        port.Close();
        encoder->Stop();
    }

    std::unique_ptr<sim::EncoderSimulator> encoder;
    CSerialPort port;
    HeldUpPort heldUp{port};
    Link link;
};

// External preset 1 (KP 2) = 0x130000: the block 02 13 00 00, DLE ETX, block check 0x02. Its
// first data byte and its block check are each an STX to an encoder that has given up on it.
constexpr std::uint8_t kTelegram[4] = {0x02, 0x13, 0x00, 0x00};
constexpr int kWrites = 8;  // STX, four data bytes, DLE, ETX, block check

TEST_F(HeldUpProgram, AtAnyByteOfABlockTheTelegramArrivesOrTheSendFails) {
    struct Case {
        int beforeWrite;  // kAfterHandshake, or the byte (1 STX ... 8 block check)
        int ms;
    };
    std::vector<Case> cases;
    for (int w = HeldUpPort::kAfterHandshake; w <= kWrites; ++w) cases.push_back({w, 300});
    // Past the encoder's 200 ms with its NAK still on the way, and below it but past our limit.
    for (int w : {2, 3, kWrites}) cases.insert(cases.end(), {{w, 205}, {w, 150}});
    for (const Case& c : cases) {
        SCOPED_TRACE("held up " + std::to_string(c.ms) + " ms before write " + std::to_string(c.beforeWrite));
        encoder->SetRam(2, {0x55, 0x55, 0x55});
        heldUp.HoldUp(c.beforeWrite, c.ms);
        const bool sent = link.SendTelegram(kChannel, kTelegram, 4);
        const bool arrived = encoder->Ram(2) == sim::Data3{0x13, 0x00, 0x00};
        EXPECT_TRUE(!sent || arrived) << "reported sent, but the encoder did not take it";
        // One hold-up is always made good by the retries.
        EXPECT_TRUE(sent);
        // Back in step: a read right after it is answered at once.
        const std::uint8_t read[4] = {0x80, 0, 0, 2};
        heldUp.HoldUp(-1, 0);
        ASSERT_TRUE(link.SendTelegram(kChannel, read, 4) && link.ReceiveReply(kChannel, link.replyBlock, 3));
        EXPECT_EQ(link.replyBlock.b(1), arrived ? 0x13 : 0x55);
    }
}

// The same for a read request (80 00 00 02): its reply is the value it asked for, or it fails.
TEST_F(HeldUpProgram, AtAnyByteOfAReadRequestTheReplyIsRightOrTheReadFails) {
    encoder->SetRam(2, {0x01, 0x02, 0x03});
    const std::uint8_t read[4] = {0x80, 0, 0, 2};
    for (int w = HeldUpPort::kAfterHandshake; w <= kWrites; ++w) {
        SCOPED_TRACE("held up before write " + std::to_string(w));
        heldUp.HoldUp(w, 300);
        const bool ok =
            link.SendTelegram(kChannel, read, 4) && link.ReceiveReply(kChannel, link.replyBlock, 3);
        EXPECT_TRUE(ok);
        if (ok)
            EXPECT_EQ(Signed24FromBytes(link.replyBlock.b(1), link.replyBlock.b(2), link.replyBlock.b(3)),
                      0x010203);
    }
}

// Held up while taking the reply: after its STX (before our DLE: the encoder announces again
// once it has waited 550 ms, and twice after 1100 ms, and its STX pair comes as data), inside
// it, and after its block check (before our DLE). The value read is right, or the read fails.
TEST_F(HeldUpProgram, WhileTakingTheReplyTheValueIsRightOrTheReadFails) {
    encoder->SetRam(2, {0x01, 0x02, 0x03});
    const std::uint8_t read[4] = {0x80, 0, 0, 2};
    // Reads: 1 DLE to STX, 2 DLE to the request, 3 the reply's STX, 4-6 its data, 7-8 DLE ETX, 9 check.
    const std::pair<int, int> cases[] = {{3, 300}, {3, 700}, {3, 1200}, {5, 300}, {9, 300}};
    for (auto [afterRead, ms] : cases) {
        SCOPED_TRACE("held up " + std::to_string(ms) + " ms after read " + std::to_string(afterRead));
        heldUp.HoldUpAfterRead(afterRead, ms);
        const bool ok = link.SendTelegram(kChannel, read, 4) && link.ReceiveReply(kChannel, link.replyBlock, 3);
        if (ok) EXPECT_EQ(Signed24FromBytes(link.replyBlock.b(1), link.replyBlock.b(2), link.replyBlock.b(3)), 0x010203);
        std::this_thread::sleep_for(std::chrono::milliseconds(1800));   // the encoder gives up what it began
        heldUp.HoldUp(-1, 0);
        ASSERT_TRUE(link.SendTelegram(kChannel, read, 4) && link.ReceiveReply(kChannel, link.replyBlock, 3));
        EXPECT_EQ(link.replyBlock.b(1), 0x01);
    }
}

}  // namespace
