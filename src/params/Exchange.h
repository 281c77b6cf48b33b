#pragma once
// What the query, send and device operations share: one exchange per parameter, named by its
// catalogue entry, and where each status-bit function and limit keeps its members in the
// parameter set. Internal to the operations.
#include <array>
#include <cstdint>

#include "link/Link.h"
#include "params/Catalogue.h"
#include "params/EncoderParameters.h"
#include "params/Encoding.h"

namespace veltrin::detail {

/// Sends the write telegram of parameter id with the data bytes d. False, without sending,
/// for a read-only parameter.
bool WriteParameter(Link& link, Kp id, const WireBytes& d);
/// value in the catalogue's encoding of id (signed or unsigned 24-bit, or byte); 0, 0, 0 for
/// the composite encodings, which their callers build.
WireBytes EncodeValue(Kp id, std::int64_t value);
/// Sends a device command (KP, 0, 0, 0).
bool SendCommand(Link& link, Kp id);
/// Sends the read request of id. False, without sending, for a command.
bool RequestRead(Link& link, Kp id);
/// Receives the reply to the read request of id into the link's ReplyBlock: true only for a
/// reply of the length the catalogue gives for id.
bool ReceiveReadReply(Link& link, Kp id);
/// RequestRead then ReceiveReadReply: the reply is in link.replyBlock when true.
bool ReadParameter(Link& link, Kp id);

/// The four characters of a firmware reply (KP 31); false when one of them is outside 0x30
/// to 0x3F.
bool FirmwareCharacters(const ReplyBlock& reply, std::array<char, 4>& version);

/// One status-bit function's members and its place on the wire.
struct StatusBitFunction {
    Kp kp;
    std::int32_t owner;  // its entry in StatusBitOwners
    std::int32_t EncoderParameters::*position;
    std::uint16_t EncoderParameters::*on;
    std::uint16_t EncoderParameters::*activeLow;
};

inline constexpr std::array<StatusBitFunction, 4> kLimitBits{{
    {Kp::Limit1Bit, 1, &EncoderParameters::limit1BitPosition, &EncoderParameters::limit1BitOn,
     &EncoderParameters::limit1BitActiveLow},
    {Kp::Limit2Bit, 2, &EncoderParameters::limit2BitPosition, &EncoderParameters::limit2BitOn,
     &EncoderParameters::limit2BitActiveLow},
    {Kp::Limit3Bit, 3, &EncoderParameters::limit3BitPosition, &EncoderParameters::limit3BitOn,
     &EncoderParameters::limit3BitActiveLow},
    {Kp::Limit4Bit, 4, &EncoderParameters::limit4BitPosition, &EncoderParameters::limit4BitOn,
     &EncoderParameters::limit4BitActiveLow},
}};

/// Limit n (1 to 4): its value's parameter and member; its status bit is kLimitBits[n - 1].
struct LimitValue {
    Kp kp;
    std::int32_t EncoderParameters::*value;
};
inline constexpr std::array<LimitValue, 4> kLimitValues{{
    {Kp::Limit1Value, &EncoderParameters::limit1Value},
    {Kp::Limit2Value, &EncoderParameters::limit2Value},
    {Kp::Limit3Value, &EncoderParameters::limit3Value},
    {Kp::Limit4Value, &EncoderParameters::limit4Value},
}};

/// The status-bit group in the order of its items 1 to 5.
inline constexpr std::array<StatusBitFunction, 5> kStatusBitFunctions{{
    {Kp::OverspeedBit, 5, &EncoderParameters::overspeedBitPosition, &EncoderParameters::overspeedBitOn,
     &EncoderParameters::overspeedBitActiveLow},
    {Kp::StandstillBit, 6, &EncoderParameters::standstillBitPosition, &EncoderParameters::standstillBitOn,
     &EncoderParameters::standstillBitActiveLow},
    {Kp::ParityBit, 7, &EncoderParameters::parityBitPosition, &EncoderParameters::parityBitOn,
     &EncoderParameters::parityBitActiveLow},
    {Kp::EncoderErrorBit, 8, &EncoderParameters::encoderErrorBitPosition,
     &EncoderParameters::encoderErrorBitOn, &EncoderParameters::encoderErrorBitActiveLow},
    {Kp::DirectionBit, 9, &EncoderParameters::directionBitPosition, &EncoderParameters::directionBitOn,
     &EncoderParameters::directionBitActiveLow},
}};

inline std::uint8_t StatusBitByteOf(const EncoderParameters& p, const StatusBitFunction& f) {
    return EncodeStatusBitByte(p.*f.position, p.*f.on, p.*f.activeLow);
}

inline void StoreStatusBitByte(std::uint8_t byte, EncoderParameters& p, const StatusBitFunction& f) {
    const StatusBitSetting s = DecodeStatusBitByte(byte);
    p.*f.position = s.position;
    p.*f.on = s.on;
    p.*f.activeLow = s.activeLow;
}

}  // namespace veltrin::detail
