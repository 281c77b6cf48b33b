// The queries of one parameter group. Each reads its parameters one exchange at a time in a
// fixed order, stops at the first failure and leaves the parameter set alone. Flags in the
// result records are the masked reply bits (non-zero when set), as the dialogs expect.
#include "params/Exchange.h"
#include "params/Operations.h"

namespace veltrin {

using detail::ReadParameter;

namespace {
StatusBitQuery StatusBitQueryOf(std::uint8_t byte) {
    StatusBitQuery q;
    q.on = byte & 0x08;
    q.activeHigh = byte & 0x10;
    const int position = byte & 0x07;
    q.positionChar = position == 0 ? '8' : '0' + position;
    return q;
}

bool ReadStatusBit(Link& link, Kp id, StatusBitQuery& out) {
    if (!ReadParameter(link, id)) return false;
    out = StatusBitQueryOf(link.replyBlock.b(1));
    return true;
}
}  // namespace

bool QueryPresets(EncoderSession& session, PresetsQueryResult& r) {
    Link& link = session.link;
    const ReplyBlock& reply = link.replyBlock;
    if (!ReadParameter(link, Kp::InternalPreset)) return false;
    r.internalPreset = DecodeSigned24(reply);
    if (!ReadParameter(link, Kp::ExtPreset1)) return false;
    r.extPreset1 = DecodeSigned24(reply);
    if (!ReadParameter(link, Kp::ExtPreset2)) return false;
    r.extPreset2 = DecodeSigned24(reply);
    if (!ReadParameter(link, Kp::PresetOffset)) return false;
    r.presetOffset = DecodeSigned24(reply);
    if (!ReadParameter(link, Kp::ExtPreset1Input)) return false;
    r.extPreset1On = reply.b(1) & 0x02;
    r.presetReplyBit5 = reply.b(2) & 0x20;
    r.presetReplyBit6 = reply.b(2) & 0x40;
    r.extPreset1ActiveBit = reply.b(2) & 0x01;
    if (!ReadParameter(link, Kp::ExtPreset2Input)) return false;
    r.extPreset2On = reply.b(1) & 0x04;
    r.extPreset2ActiveBit = reply.b(2) & 0x01;
    if (!ReadParameter(link, Kp::DebounceTime)) return false;
    r.debounceTime = reply.b(1);
    if (!ReadParameter(link, Kp::LengthMeasurement)) return false;
    r.lengthMeasurementOn = reply.b(1) & 0x04;
    return true;
}

bool detail::FirmwareCharacters(const ReplyBlock& reply, std::array<char, 4>& version) {
    bool digits = true;
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t c = reply.b(i + 1);
        version[static_cast<std::size_t>(i)] = static_cast<char>(c);
        if ((c & 0xF0) != 0x30) digits = false;
    }
    return digits;
}

bool QueryFirmwareVersion(EncoderSession& session, std::array<char, 4>& version) {
    Link& link = session.link;
    return ReadParameter(link, Kp::FirmwareVersion) && detail::FirmwareCharacters(link.replyBlock, version);
}

bool QueryScaling(EncoderSession& session, ScalingQueryResult& r) {
    Link& link = session.link;
    const ReplyBlock& reply = link.replyBlock;
    if (!ReadParameter(link, Kp::ScalingFactor)) return false;
    r.factorWire = DecodeUnsigned24(reply);
    r.factor = ScalingFactorForQuery(r.factorWire);
    if (!ReadParameter(link, Kp::Steps)) return false;
    r.steps = DecodeUnsigned24(reply);
    if (!ReadParameter(link, Kp::MeasuringSteps)) return false;
    r.measuringSteps = DecodeUnsigned24(reply);
    if (!ReadParameter(link, Kp::Revolutions)) return false;
    r.revolutions = DecodeUnsigned24(reply);
    return true;
}

bool QueryLimits(EncoderSession& session, LimitsQueryResult& r) {
    Link& link = session.link;
    // The encoder numbers the limit values 1, 3, 2, 4 (KP 16 to 19); the record keeps 1 to 4.
    static constexpr std::array<std::pair<Kp, int>, 4> kValues{
        {{Kp::Limit1Value, 0}, {Kp::Limit3Value, 2}, {Kp::Limit2Value, 1}, {Kp::Limit4Value, 3}}};
    for (const auto& [kp, index] : kValues) {
        if (!ReadParameter(link, kp)) return false;
        r.value[static_cast<std::size_t>(index)] = DecodeSigned24(link.replyBlock);
    }
    for (std::size_t i = 0; i < detail::kLimitBits.size(); ++i)
        if (!ReadStatusBit(link, detail::kLimitBits[i].kp, r.bit[i])) return false;
    return true;
}

bool QueryDataFormat(EncoderSession& session, DataFormatQueryResult& r) {
    Link& link = session.link;
    const ReplyBlock& reply = link.replyBlock;
    if (!ReadParameter(link, Kp::SsiConfiguration)) return false;
    r.ssi32Bit = reply.b(2) & 0x08;
    if (!ReadParameter(link, Kp::BitCounts)) return false;
    r.bitsTotal = reply.b(1);
    r.bitsU = reply.b(2);
    r.bitsS = reply.b(3);
    if (!ReadParameter(link, Kp::BitNibbles)) return false;
    r.nibbleS = (reply.b(1) >> 4) & 0x0F;
    r.nibbleU = reply.b(1) & 0x0F;
    if (!ReadParameter(link, Kp::OutputFormat)) return false;
    // The reply carries the code as it is written: 0 "Standard-P", 1 "Tannenbaum", 2 "Standard-S".
    r.outputFormat = reply.b(1) & 0x03;
    if (!ReadParameter(link, Kp::OutputCode)) return false;
    r.outputCode = reply.b(1) & 0x01;
    if (!ReadParameter(link, Kp::NumberRepresentation)) return false;
    r.separateSign = reply.b(2) & 0x10;
    r.integerRepresentation = reply.b(1) & 0x10;
    // The shift is optional to this query: a request that fails ends it, a reply that fails
    // only leaves the shift at 0.
    if (!detail::RequestRead(link, Kp::PositionShift)) return false;
    r.positionShift = detail::ReceiveReadReply(link, Kp::PositionShift) ? reply.b(2) * 256 + reply.b(3) : 0;
    return true;
}

bool QueryConfigRegisters(EncoderSession& session, ConfigRegisters& r) {
    Link& link = session.link;
    if (!ReadParameter(link, Kp::ConfigRegisters1)) return false;
    for (std::size_t i = 0; i < 4; ++i) r.kp14[i] = link.replyBlock.b(static_cast<int>(i) + 1);
    if (!ReadParameter(link, Kp::ConfigRegisters2)) return false;
    for (std::size_t i = 0; i < 4; ++i) r.kp15[i] = link.replyBlock.b(static_cast<int>(i) + 1);
    return true;
}

bool QueryCountDirection(EncoderSession& session, CountDirectionQueryResult& r) {
    Link& link = session.link;
    if (!ReadParameter(link, Kp::CountDirection)) return false;
    r.backward = link.replyBlock.b(1) & 0x01;
    if (!ReadParameter(link, Kp::ExtDirSwitchInput)) return false;
    r.extSwitchOn = link.replyBlock.b(1) & 0x80;
    r.extSwitchActiveBit = link.replyBlock.b(2) & 0x01;
    return true;
}

bool QueryStatusBits(EncoderSession& session, StatusBitsQueryResult& r) {
    Link& link = session.link;
    for (std::size_t i = 0; i < detail::kLimitBits.size(); ++i)
        if (!ReadStatusBit(link, detail::kLimitBits[i].kp, r.limit[i])) return false;
    if (!ReadParameter(link, Kp::OverspeedValue)) return false;
    r.overspeedValue = link.replyBlock.b(1);
    StatusBitQuery* const functions[] = {&r.overspeed, &r.standstill, &r.parity, &r.encoderError,
                                         &r.direction};
    for (std::size_t i = 0; i < detail::kStatusBitFunctions.size(); ++i)
        if (!ReadStatusBit(link, detail::kStatusBitFunctions[i].kp, *functions[i])) return false;
    return true;
}

}  // namespace veltrin
