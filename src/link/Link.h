#pragma once
// The block procedure (3964R kind) and the telegram exchange with the encoder.
//
// Sending a block: Connect (STX, wait for DLE), a 5 ms pause, SendData (DLE doubled, XOR block
// check), EndBlock (DLE ETX, BCC, wait for DLE). The encoder sends nothing while it takes a
// block but its NAK when it gives up: anything that comes during the block, or a gap between
// its bytes as long as half the character time-out (the program held up), gives the block up
// before its check goes out, and it is sent again once the encoder is back to waiting. Receiving:
// AwaitStx (wait for STX, answer DLE), ReceiveBlock. Every call blocks the calling thread for
// at most its time-outs; nothing is left buffered on the line side except what the encoder
// has not sent yet.
//
// A Link holds the records its exchanges share: LinkTiming, ReplyBlock, DeviceErrorState and
// linkUsed. Each encoder session has one on its own port; links share nothing, so several may
// run side by side, one thread each.
#include <array>
#include <atomic>
#include <chrono>
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

/// Data bytes of the encoder's reply to the error-status request that are read: the error
/// number, b1 (the encoder sends more, commonly 0, 0).
inline constexpr int kErrorReplyLength = 1;
/// For ReceiveReply: a reply of any length (tests of the block procedure only; an operation
/// always names the bytes it reads of the reply it asked for).
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
    bool nakReceived = false;      ///< the last failed send ended on the encoder's NAK
    std::int32_t errorNumber = 0;  ///< the encoder's reason for it, 0 when fetching failed
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
    /// ReceiveBlock, where a block framed well but with fewer than replyLength data bytes fails
    /// as well, with count 0: its bytes past the count would be those of an earlier reply.
    /// A longer block is the reply (the encoder may send more than is read), unless it may be
    /// a late reply that took repeated STX as data (strayStxPossible, see ReceiveReply).
    /// Writes nothing.
    bool ReceiveBlockOfLength(int ch, ReplyBlock& block, int replyLength, bool strayStxPossible = false);

    // Telegram exchange. At most about 3 × (5 + 550 + 1100) ms for a send that gets no
    // answer, 3 × 550 ms for a reply that never starts.
    bool SendTelegram(int ch, const std::uint8_t* bytes, int length);
    bool SendTelegramReportingError(int ch, const std::uint8_t* bytes, int length);
    /// Receives the encoder's reply to a request of which replyLength data bytes are read. A
    /// longer block is the reply, decoded from its first bytes. A shorter one (an empty block
    /// included) is not: it is refused with NAK as a bad block check is, so the encoder may
    /// send it again within the attempts, and its count stays 0. So is a longer block that
    /// begins with STX STX when the encoder may have repeated its STX (after a NAK of ours in
    /// this exchange, more than the STX waiting as it was answered, or our DLE to it late): an
    /// encoder that takes our NAK (or silence) as a refusal of its STX announces again, and
    /// the pair, taken as data, cancels in the block check.
    bool ReceiveReply(int ch, ReplyBlock& block, int replyLength);
    /// Sends the error-status request and returns the encoder's error number, or 0.
    int FetchDeviceError();
    /// The message for the current DeviceErrorState, from the resources in force.
    std::string DeviceErrorText() const;

private:
    static int Index(int ch) {
        int c = ch & 0x0F;
        return c > 2 ? 2 : c;
    }
    bool WriteByte(std::uint8_t byte);
    /// One byte of a block after the encoder's DLE: written only while the block is sound
    /// (see blockAbandoned_), and watched for the program being held up.
    void WriteBlockByte(int ch, std::uint8_t byte);
    /// Whether more than half the character time-out has passed since then: the program was
    /// held up for longer than the encoder may be sure to wait between two characters.
    bool HeldUpSince(int ch, std::chrono::steady_clock::time_point since) const;
    /// Whether anything has come from the encoder since its DLE: it sends nothing while it
    /// takes a block but NAK when it gives up on it. Reads it; a NAK sets nakReceived.
    bool EncoderSpokeDuringBlock();

    /// The block being sent was given up: the encoder sent something during it (its NAK when
    /// its character time-out ended), or the program was held up between two of its bytes for
    /// longer than the encoder may wait. Its remaining bytes are not sent: an encoder that has
    /// gone back to waiting would take a byte 0x02 among them for a new STX and answer it with
    /// a DLE that would pass for the acknowledgement.
    bool blockAbandoned_ = false;
    /// When the last byte of the block left (or the encoder's DLE to STX was read).
    std::chrono::steady_clock::time_point lastBlockByte_{};
    /// Set by AwaitStx when the encoder may have repeated the STX it answered: more than the
    /// STX was waiting, or our DLE went out late.
    bool stxMayRepeat_ = false;

    ByteChannel* port_;
    MessageSink* messages_;
    std::function<void(const std::uint8_t*, int)> telegramObserver_;
    const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace veltrin
