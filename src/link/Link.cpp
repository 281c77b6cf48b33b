#include "link/Link.h"

#include <cstdio>

#include "link/Timing.h"
#include "res/Resources.h"

namespace veltrin {

namespace {
StderrMessageSink g_stderrSink;

constexpr int kPauseMs = 5;           // before STX, before the first data byte, before our DLE/NAK
constexpr int kAfterReplyMs = 30;     // after a confirmed reply, before the next telegram

// Resource ids of the device-error texts.
constexpr unsigned kTextNoAnswer = 57656;
constexpr unsigned kTextDataError = 57657;   // error numbers 0 to 5: 57657 to 57662
constexpr unsigned kTextUnknownError = 57663;
constexpr unsigned kTextPortNotOpen = 57670;
}  // namespace

void StderrMessageSink::ShowMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

Link::Link(ByteChannel* port) : port_(port), messages_(&g_stderrSink) {}

void Link::SetMessageSink(MessageSink* sink) { messages_ = sink ? sink : &g_stderrSink; }

Link& TheLink() {
    static Link link;
    return link;
}

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
    if (port_) port_->Purge();
    PauseMs(kPauseMs);
    WriteByte(STX);
    std::uint8_t c = 0;
    if (!ReadChar(ch, c, handshake)) return false;
    if (c == DLE) return true;
    if (c == STX) {
        // The encoder wants to send at the same moment; it gives way with DLE.
        return ReadChar(ch, c, handshake) && c == DLE;
    }
    if (c == NAK) deviceError.nakReceived = true;
    return false;
}

void Link::SendData(int /*ch*/, const std::uint8_t* data, int length, std::uint8_t& acc) {
    PauseMs(kPauseMs);
    acc = 0;
    for (int i = 0; i < length; ++i) {
        WriteByte(data[i]);
        if (data[i] == DLE) WriteByte(DLE);   // doubled; the pair cancels in the block check
        else acc ^= data[i];
    }
}

bool Link::EndBlock(int ch, std::uint8_t acc) {
    WriteByte(DLE);
    WriteByte(ETX);
    acc ^= DLE ^ ETX;
    // What came before the block is complete is stale: purged before the block check goes out,
    // not after it, since the encoder's answer may be there as soon as the check has left
    // (a program held up for a moment between the two would throw the answer away).
    if (port_) port_->Purge();
    WriteByte(acc);
    deviceError.nakReceived = false;
    std::uint8_t c = 0;
    bool arrived = ReadChar(ch, c, 2 * timing.handshakeTimeoutMs[Index(ch)]);
    if (arrived && c == NAK) deviceError.nakReceived = true;
    return arrived && c == DLE;
}

bool Link::AwaitStx(int ch) {
    std::uint8_t c = 0;
    bool ok = ReadChar(ch, c, timing.handshakeTimeoutMs[Index(ch)]) && c == STX;
    PauseMs(kPauseMs);
    if (ok) WriteByte(DLE);
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
        if (c == DLE) continue;   // a doubled DLE: one data byte, outside the block check
        if (c != ETX) break;
        --count;   // the DLE of DLE ETX is no data
        if (!ReadChar(ch, c, charTimeout)) break;
        if (c != static_cast<std::uint8_t>(acc ^ DLE ^ ETX)) break;
        block.count = static_cast<std::uint8_t>(count);
        return true;
    }
    block.count = 0;
    return false;
}

bool Link::ReceiveBlockOfLength(int ch, ReplyBlock& block, int replyLength) {
    if (!ReceiveBlock(ch, block)) return false;
    if (replyLength == kAnyReplyLength || block.count == replyLength) return true;
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
    bool ok = false;
    do {
        if (Connect(ch)) {
            PauseMs(kPauseMs);
            std::uint8_t acc = 0;
            SendData(ch, bytes, length, acc);
            ok = EndBlock(ch, acc);
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
    do {
        if (AwaitStx(ch)) {
            if (ReceiveBlockOfLength(ch, block, replyLength)) {
                PauseMs(kPauseMs);
                WriteByte(DLE);
                ok = true;
            } else {
                PauseMs(kPauseMs);
                WriteByte(NAK);
                if (port_) port_->Purge();
            }
        } else {
            PauseMs(kPauseMs);
            WriteByte(NAK);
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
