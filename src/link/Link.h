#pragma once
// The block procedure (3964R kind) and the telegram exchange with the encoder.
//
// Sending a block: Connect (STX, wait for DLE), a 5 ms pause, SendData (DLE doubled, XOR block
// check), EndBlock (DLE ETX, a purge of what came in meanwhile, BCC, wait for DLE). Receiving:
// AwaitStx (wait for STX, answer DLE), ReceiveBlock. Every call blocks the calling thread for
// at most its time-outs; nothing is left buffered on the line side except what the encoder
// has not sent yet.
//
// The program has one Link (TheLink()) on its one serial port; it holds the records that the
// whole run shares: LinkTiming, ReplyBlock, DeviceErrorState and linkUsed. Tests and the
// simulator make links of their own.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "link/ByteChannel.h"

namespace veltrin {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t NAK = 0x15;

/// The one channel every exchange uses.
inline constexpr int kChannel = 1;

/// Data bytes of the encoder's reply to the error-status request: the error number, 0, 0.
inline constexpr int kErrorReplyLength = 3;
/// For ReceiveReply: a reply of any length (tests of the block procedure only; an operation
/// always names the length of the reply it asked for).
inline constexpr int kAnyReplyLength = 0;

/// Time-outs and retries, per channel (0, 1, 2); only the low four bits of a channel number
/// count, and numbers above 2 use channel 2's values.
struct LinkTiming {
    std::array<std::int32_t, 3> retryCount{3, 3, 0};
    std::array<std::int32_t, 3> charTimeoutMs{200, 200, 0};
    std::array<std::int32_t, 3> handshakeTimeoutMs{550, 550, 0};
};

/// The destination of a received block: a count byte and room for 255 data bytes.
/// The count is that of the last good block, 0 after a failed one.
struct ReplyBlock {
    std::uint8_t count = 0;
    std::array<std::uint8_t, 255> data{};
    /// Reply byte b1, b2, ... (n from 1). Always inside the block.
    std::uint8_t b(int n) const { return (n >= 1 && n <= 255) ? data[static_cast<std::size_t>(n - 1)] : 0; }
};

struct DeviceErrorState {
    bool nakReceived = false;    ///< the last failed send ended on the encoder's NAK
    std::int32_t errorNumber = 0;   ///< the encoder's reason for it, 0 when fetching failed
};

/// How the link shows its one message of its own (the port that is not open).
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

/// Writes messages to standard error. The default sink.
class StderrMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override;
};

class Link {
public:
    explicit Link(ByteChannel* port = nullptr);

    void SetPort(ByteChannel* port) { port_ = port; }
    ByteChannel* Port() const { return port_; }
    void SetMessageSink(MessageSink* sink);
    /// Called with every telegram before it is sent (a progress display counts them).
    void SetTelegramObserver(std::function<void(const std::uint8_t* telegram, int length)> observer) {
        telegramObserver_ = std::move(observer);
    }

    /// A request to stop from outside (a signal handler sets the flag): while it reads true,
    /// SendTelegram starts no further telegram or attempt and returns false with nothing
    /// written. A block already begun always runs to its end, so the line is left between
    /// two exchanges. nullptr (the default): never stopped.
    void SetStopRequest(const std::atomic<bool>* stop) { stop_ = stop; }
    bool StopRequested() const { return stop_ && stop_->load(); }

    LinkTiming timing;
    ReplyBlock replyBlock;
    DeviceErrorState deviceError;
    /// Set by every byte written to the encoder; arms the close check.
    bool linkUsed = false;

    // Block procedure.
    /// Waits up to timeoutMs for one byte. True when one arrived; out is 0xFF when none did.
    bool ReadChar(int ch, std::uint8_t& out, int timeoutMs);
    bool Connect(int ch);
    void SendData(int ch, const std::uint8_t* data, int length, std::uint8_t& acc);
    bool EndBlock(int ch, std::uint8_t acc);
    bool AwaitStx(int ch);
    bool ReceiveBlock(int ch, ReplyBlock& block);
    /// ReceiveBlock, where a block framed well but of another length than replyLength (unless
    /// kAnyReplyLength) fails as well, with count 0. Writes nothing.
    bool ReceiveBlockOfLength(int ch, ReplyBlock& block, int replyLength);

    // Telegram exchange. At most about 3 × (5 + 550 + 1100) ms for a send that gets no
    // answer, 3 × 550 ms for a reply that never starts.
    bool SendTelegram(int ch, const std::uint8_t* bytes, int length);
    bool SendTelegramReportingError(int ch, const std::uint8_t* bytes, int length);
    /// Receives the encoder's reply to a request whose reply has replyLength data bytes. A
    /// block of any other length is not that reply (an STX repeated by the encoder and taken
    /// as data, an empty block): it is refused with NAK as a bad block check is, so the
    /// encoder may send it again within the attempts, and its count stays 0.
    bool ReceiveReply(int ch, ReplyBlock& block, int replyLength);
    /// Sends the error-status request and returns the encoder's error number, or 0.
    int FetchDeviceError();
    /// The message for the current DeviceErrorState, from the resources in force.
    std::string DeviceErrorText() const;

private:
    static int Index(int ch) { int c = ch & 0x0F; return c > 2 ? 2 : c; }
    bool WriteByte(std::uint8_t byte);

    ByteChannel* port_;
    MessageSink* messages_;
    std::function<void(const std::uint8_t*, int)> telegramObserver_;
    const std::atomic<bool>* stop_ = nullptr;
};

/// The program's one link.
Link& TheLink();

}  // namespace veltrin
