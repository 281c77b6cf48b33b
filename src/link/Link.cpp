#include "link/Link.h"

#include <algorithm>
#include <cstdio>

#include "link/Timing.h"
#include "res/Resources.h"

namespace veltrin {

namespace {
StderrMessageSink g_stderrSink;

constexpr int kPauseMs = 5;        // before STX, before the first data byte, before our DLE/NAK
constexpr int kAfterReplyMs = 30;  // after a confirmed reply, before the next telegram

// Resource ids of the device-error texts.
constexpr unsigned kTextNoAnswer = 57656;
constexpr unsigned kTextDataError = 57657;  // error numbers 0 to 5: 57657 to 57662
constexpr unsigned kTextUnknownError = 57663;
constexpr unsigned kTextPortNotOpen = 57670;
}  // namespace

void StderrMessageSink::ShowMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

Link::Link(ByteChannel* port) : port_(port), messages_(&g_stderrSink) {}

void Link::SetMessageSink(MessageSink* sink) { messages_ = sink ? sink : &g_stderrSink; }

bool Link::WriteByte(std::uint8_t byte) {
    linkUsed = true;
    deviceError.nakReceived = false;
    return port_ && port_->Write(&byte, 1);
}

bool Link::ReadChar(int /*ch*/, std::uint8_t& out, int timeoutMs) {
    out = 0xFF;
    if (!port_) return false;
    // Poll with the remaining time instead of 10 ms sleeps: the same time-out, but a byte is
    // taken as soon as it is there.
    if (port_->InputCount() == 0 && !port_->WaitForInput(timeoutMs)) return false;
    if (port_->Read(1) == 1) out = port_->ReadBuffer()[0];
    return true;
}

bool Link::Connect(int ch) {
    const int handshake = timing.handshakeTimeoutMs[Index(ch)];
    blockAbandoned_ = false;
    if (port_) port_->Purge();
    PauseMs(kPauseMs);
    WriteByte(STX);
    std::uint8_t c = 0;
    if (!ReadChar(ch, c, handshake)) return false;
    if (c == STX) {
        // The encoder wants to send at the same moment; it gives way with DLE.
        if (!ReadChar(ch, c, handshake) || c != DLE) return false;
    }
    if (c == DLE) {
        // From here on the encoder times each byte of the block.
        lastBlockByte_ = std::chrono::steady_clock::now();
        return true;
    }
    if (c == NAK) deviceError.nakReceived = true;
    return false;
}

bool Link::EncoderSpokeDuringBlock() {
    if (!port_ || port_->InputCount() == 0) return false;
    bool nak = false;
    while (port_->InputCount() > 0) {
        const std::uint32_t n = port_->Read(0);
        if (n == 0) break;
        const std::uint8_t* bytes = port_->ReadBuffer();
        nak = nak || std::find(bytes, bytes + n, NAK) != bytes + n;
    }
    if (nak) deviceError.nakReceived = true;
    return true;
}

bool Link::HeldUpSince(int ch, std::chrono::steady_clock::time_point since) const {
    // Half the character time-out is surely inside the encoder's: it leaves room for the byte's
    // own time on the line and an adapter's latency. No time-out on the channel: never.
    const int charTimeout = timing.charTimeoutMs[Index(ch)];
    return charTimeout > 0 &&
           std::chrono::steady_clock::now() - since > std::chrono::milliseconds(charTimeout / 2);
}

void Link::WriteBlockByte(int ch, std::uint8_t byte) {
    if (blockAbandoned_) return;
    if (EncoderSpokeDuringBlock()) {
        blockAbandoned_ = true;
        return;
    }
    WriteByte(byte);
    // Write returns when the byte has left: a gap measured from one return to the next can only
    // be longer than the one the encoder saw, never shorter.
    if (HeldUpSince(ch, lastBlockByte_)) blockAbandoned_ = true;
    lastBlockByte_ = std::chrono::steady_clock::now();
}

void Link::SendData(int ch, const std::uint8_t* data, int length, std::uint8_t& acc) {
    PauseMs(kPauseMs);
    acc = 0;
    for (int i = 0; i < length; ++i) {
        WriteBlockByte(ch, data[i]);
        if (data[i] == DLE)
            WriteBlockByte(ch, DLE);  // doubled; the pair cancels in the block check
        else
            acc ^= data[i];
    }
}

bool Link::EndBlock(int ch, std::uint8_t acc) {
    WriteBlockByte(ch, DLE);
    WriteBlockByte(ch, ETX);
    acc ^= DLE ^ ETX;
    // Nothing that came since the encoder's DLE is thrown away: whatever it is (the encoder's
    // NAK when it gave up on the block, above all), the block is given up before its check goes
    // out. The check may be 0x02, which an encoder that has gone back to waiting would take for
    // STX and answer with DLE.
    if (!blockAbandoned_ && EncoderSpokeDuringBlock()) blockAbandoned_ = true;
    if (blockAbandoned_) return false;
    WriteByte(acc);
    const bool late = HeldUpSince(ch, lastBlockByte_);
    deviceError.nakReceived = false;
    // The answer is the next byte, read in the order it came: an encoder that gave up on the
    // block just before its check had come sends its NAK before any DLE.
    std::uint8_t c = 0;
    bool arrived = ReadChar(ch, c, 2 * timing.handshakeTimeoutMs[Index(ch)]);
    if (arrived && c == NAK) deviceError.nakReceived = true;
    // A check that went out late and was not confirmed: the encoder may be inside a block it
    // began on the check, so it is given its time-out before the next attempt too.
    if (late && !(arrived && c == DLE)) blockAbandoned_ = true;
    return arrived && c == DLE;
}

bool Link::AwaitStx(int ch) {
    std::uint8_t c = 0;
    bool ok = ReadChar(ch, c, timing.handshakeTimeoutMs[Index(ch)]) && c == STX;
    const auto stxSeen = std::chrono::steady_clock::now();
    // More than the STX waiting: the encoder has announced again (it took our silence, or a NAK
    // of ours, as a refusal), and its later STX may come as data of the block.
    stxMayRepeat_ = ok && port_ && port_->InputCount() > 0;
    PauseMs(kPauseMs);
    if (ok) {
        WriteByte(DLE);
        // Held up before our DLE went out: the encoder may have announced again meanwhile.
        if (HeldUpSince(ch, stxSeen)) stxMayRepeat_ = true;
    }
    return ok;
}

bool Link::ReceiveBlock(int ch, ReplyBlock& block) {
    const int charTimeout = timing.charTimeoutMs[Index(ch)];
    int count = 0;
    std::uint8_t acc = 0;
    std::uint8_t c = 0;
    for (;;) {
        if (!ReadChar(ch, c, charTimeout)) break;
        if (count == 255) break;
        block.data[static_cast<std::size_t>(count++)] = c;
        if (c != DLE) {
            acc ^= c;
            continue;
        }
        if (!ReadChar(ch, c, charTimeout)) break;
        if (c == DLE) continue;  // a doubled DLE: one data byte, outside the block check
        if (c != ETX) break;
        --count;  // the DLE of DLE ETX is no data
        if (!ReadChar(ch, c, charTimeout)) break;
        if (c != static_cast<std::uint8_t>(acc ^ DLE ^ ETX)) break;
        block.count = static_cast<std::uint8_t>(count);
        return true;
    }
    block.count = 0;
    return false;
}

bool Link::ReceiveBlockOfLength(int ch, ReplyBlock& block, int replyLength, bool strayStxPossible) {
    if (!ReceiveBlock(ch, block)) return false;
    const bool tooShort = block.count < replyLength;
    // STX STX before the reply's bytes: the pair cancels in the block check, so only where the
    // encoder may have repeated its STX can it not be told from a reply that begins so.
    const bool strayStx =
        strayStxPossible && block.count >= replyLength + 2 && block.b(1) == STX && block.b(2) == STX;
    if (!tooShort && !strayStx) return true;
    block.count = 0;  // framed well, but not the reply that was asked for
    return false;
}

bool Link::SendTelegram(int ch, const std::uint8_t* bytes, int length) {
    if (StopRequested()) return false;
    if (!port_ || !port_->IsOpen()) {
        int number = port_ ? port_->PortNumber() : 0;
        std::string text = FormatNumber(ResString(kTextPortNotOpen), number);
        // The second line names the device and the system's reason, where the port knows it.
        if (std::string reason = port_ ? PortDiagnosisText(port_->OpenFailure()) : std::string();
            !reason.empty())
            text += "\n" + reason;
        messages_->ShowMessage(text);
        return false;
    }
    if (telegramObserver_) telegramObserver_(bytes, length);
    // A retry count of 0 or less still makes one attempt (and never loops without end).
    int attempts = timing.retryCount[Index(ch)];
    // A block given up because the program was held up is not the encoder's refusal: it is
    // tried again besides the attempts, as often as there are attempts (and at least once).
    int heldUpRetries = std::max(attempts, 1);
    bool ok = false;
    do {
        if (Connect(ch)) {
            PauseMs(kPauseMs);
            std::uint8_t acc = 0;
            SendData(ch, bytes, length, acc);
            ok = EndBlock(ch, acc);
        }
        if (!ok && blockAbandoned_) {
            // The encoder may still be inside the block, or inside one it began on a byte of
            // ours that it took for STX: it is back to waiting once its character time-out has
            // ended. The next Connect purges its NAK.
            PauseMs(2 * timing.charTimeoutMs[Index(ch)] + kPauseMs);
            if (heldUpRetries-- > 0) continue;
        }
        --attempts;
    } while (!ok && attempts > 0 && !StopRequested());
    return ok;
}

bool Link::SendTelegramReportingError(int ch, const std::uint8_t* bytes, int length) {
    bool ok = SendTelegram(ch, bytes, length);
    if (ok) {
        deviceError.nakReceived = false;
    } else if (deviceError.nakReceived && port_ && port_->IsOpen()) {
        // A NAK left over from an earlier failure must not send the error request over a
        // closed port: that would show the port message twice and overwrite the reason.
        deviceError.errorNumber = FetchDeviceError();
        deviceError.nakReceived = true;
    }
    return ok;
}

int Link::FetchDeviceError() {
    static constexpr std::uint8_t kErrorRequest[4] = {0x81, 0x00, 0x00, 0x00};
    if (SendTelegram(kChannel, kErrorRequest, 4) && ReceiveReply(kChannel, replyBlock, kErrorReplyLength))
        return replyBlock.b(1);
    return 0;
}

bool Link::ReceiveReply(int ch, ReplyBlock& block, int replyLength) {
    int attempts = timing.retryCount[Index(ch)];
    bool ok = false;
    bool nakSent = false;  // an encoder may answer our NAK with its STX once more
    do {
        if (AwaitStx(ch)) {
            if (ReceiveBlockOfLength(ch, block, replyLength, nakSent || stxMayRepeat_)) {
                PauseMs(kPauseMs);
                WriteByte(DLE);
                ok = true;
            } else {
                PauseMs(kPauseMs);
                WriteByte(NAK);
                nakSent = true;
                if (port_) port_->Purge();
            }
        } else {
            PauseMs(kPauseMs);
            WriteByte(NAK);
            nakSent = true;
        }
        --attempts;
    } while (!ok && attempts > 0);
    if (ok) {
        PauseMs(kAfterReplyMs);
        return true;
    }
    if (port_) port_->Purge();
    return false;
}

std::string Link::DeviceErrorText() const {
    if (!deviceError.nakReceived) return ResString(kTextNoAnswer);
    int n = deviceError.errorNumber;
    if (n >= 0 && n <= 5) return ResString(kTextDataError + static_cast<unsigned>(n));
    return FormatNumber(ResString(kTextUnknownError), n);
}

}  // namespace veltrin
