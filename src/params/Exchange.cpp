#include "params/Exchange.h"

namespace veltrin::detail {

namespace {
bool Send(Link& link, const Telegram& t) {
    return link.SendTelegramReportingError(kChannel, t.data(), static_cast<int>(t.size()));
}
}  // namespace

bool WriteParameter(Link& link, Kp id, const WireBytes& d) {
    const KpEntry& e = CatalogueEntry(id);
    if (!IsWritable(e)) return false;
    return Send(link, WriteTelegram(e.number, d));
}

WireBytes EncodeValue(Kp id, std::int64_t value) {
    switch (CatalogueEntry(id).encoding) {
        case KpEncoding::Signed24:
            return EncodeSigned24(static_cast<std::int32_t>(value));
        case KpEncoding::Unsigned24:
            return EncodeUnsigned24(static_cast<std::uint32_t>(value));
        case KpEncoding::Byte:
            return EncodeByte(static_cast<std::uint32_t>(value));
        default:
            return {0, 0, 0};
    }
}

bool SendCommand(Link& link, Kp id) {
    const KpEntry& e = CatalogueEntry(id);
    if (e.access != KpAccess::Command) return false;
    return Send(link, CommandTelegram(e.number));
}

bool RequestRead(Link& link, Kp id) {
    const KpEntry& e = CatalogueEntry(id);
    if (!IsReadable(e)) return false;
    return Send(link, ReadRequest(e.number));
}

bool ReceiveReadReply(Link& link, Kp id) {
    return link.ReceiveReply(kChannel, link.replyBlock, ReplyLength(id));
}

bool ReadParameter(Link& link, Kp id) { return RequestRead(link, id) && ReceiveReadReply(link, id); }

}  // namespace veltrin::detail
