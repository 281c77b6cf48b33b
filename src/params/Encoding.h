#pragma once
// The telegram and the value encodings on the wire. Pure conversions: nothing here touches the
// link or the parameter set.
//
// A telegram is four bytes [code][d1][d2][d3]: a write (code = KP, the value in d1 d2 d3), a
// read request (0x80, 0, 0, KP), the error-status request (0x81, 0, 0, 0) or a device command
// (26, 27, 28 with 0, 0, 0). Values are cut to the telegram: 24-bit encodings keep the low
// 24 bits, byte encodings the low byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/Link.h"

namespace veltrin {

using Telegram = std::array<std::uint8_t, 4>;
/// The data bytes d1, d2, d3 of a write telegram.
using WireBytes = std::array<std::uint8_t, 3>;

inline constexpr std::uint8_t kReadRequestCode = 0x80;
inline constexpr std::uint8_t kErrorRequestCode = 0x81;

constexpr Telegram WriteTelegram(std::uint8_t kp, const WireBytes& d) { return {kp, d[0], d[1], d[2]}; }
constexpr Telegram ReadRequest(std::uint8_t kp) { return {kReadRequestCode, 0, 0, kp}; }
constexpr Telegram CommandTelegram(std::uint8_t kp) { return {kp, 0, 0, 0}; }

// 24-bit values: d1 = bits 16-23, d2 = bits 8-15, d3 = bits 0-7.
WireBytes EncodeSigned24(std::int32_t value);
WireBytes EncodeUnsigned24(std::uint32_t value);
/// b1 b2 b3 sign-extended from bit 23.
std::int32_t DecodeSigned24(const ReplyBlock& reply);
std::uint32_t DecodeUnsigned24(const ReplyBlock& reply);
std::int32_t Signed24FromBytes(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
std::uint32_t Unsigned24FromBytes(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
/// 0, 0, the value's low byte.
WireBytes EncodeByte(std::uint32_t value);

/// A status-bit configuration as the parameter set holds it.
struct StatusBitSetting {
    std::int32_t position = 8;  // 1 to 8, 8 meaning none
    std::uint16_t on = 0;
    std::uint16_t activeLow = 0;
    bool operator==(const StatusBitSetting&) const = default;
};
/// Bits 0-2 the position (8 written as 0), bit 3 "An" (on == 1), bit 4 "aktiv 1"
/// (activeLow == 0). At position 8 bits 0-3 are all clear whatever the on-flag says.
std::uint8_t EncodeStatusBitByte(std::int32_t position, std::uint32_t on, std::uint32_t activeLow);
/// Position from bits 0-2 (0 read as 8), on from bit 3, activeLow = 1 when bit 4 is clear.
StatusBitSetting DecodeStatusBitByte(std::uint8_t byte);

/// Input configuration byte of KP 32-34: the on member's low byte, bit 1 also set for "aktiv 1".
std::uint8_t EncodeInputConfigByte(std::uint32_t on, std::uint32_t activeHigh);

/// KP 20: 0, 0, low byte of S·16 + U.
WireBytes EncodeBitNibbles(std::uint32_t bitsS, std::uint32_t bitsU);
/// KP 21: S, U, S + U, each its low byte.
WireBytes EncodeBitCounts(std::uint32_t bitsS, std::uint32_t bitsU);
/// KP 30: 0, bit 8 ("links"), bits 0-7 (the amount).
WireBytes EncodePositionShift(std::uint32_t positionShift);

// The scaling factor. The parameter set holds it as text in a 10-byte field that has no
// terminator when the text fills it.
inline constexpr std::size_t kScalingTextSize = 10;
/// Parses at most the first 10 characters like the C library's atof, without looking past
/// the field: optional blanks and sign, digits with at most one decimal point, an optional
/// exponent ("5e-1"), stopping at the first other character; no number gives 0. Independent
/// of the C locale.
double ParseScalingFactorText(std::string_view text);
double ParseScalingFactorText(const char (&field)[kScalingTextSize]);
/// trunc(factor × 16777215.0), low 24 bits. A product that does not fit a 32-bit integer
/// (or is not a number) is sent as 0, like a text that is no number.
std::uint32_t ScalingFactorToWire(std::string_view text);
std::uint32_t ScalingFactorToWire(const char (&field)[kScalingTextSize]);
/// factor = u × 5.9604652e-8 (the single-precision constant 0x33800001), in extended precision.
long double ScalingFactorFromWire(std::uint32_t u);
/// The text read-all stores, always 10 characters written into the whole field without
/// terminator: the "%010.8f" text nearest to the factor among those that ScalingFactorToWire
/// sends back as exactly u, so a configuration read from the encoder restores it unchanged
/// (the plain "%010.8f" of the factor sends about 4 % of the values back one unit higher).
/// 0xFFFFFF is "1.00000000"; 0xFFFFFD and 0xFFFFFE are 0.99999994 and 0.99999999.
void ScalingFactorTextFromWire(std::uint32_t u, char (&field)[kScalingTextSize]);
/// The factor as the scaling query shows it: 1.0 from 0.9999999 on.
float ScalingFactorForQuery(std::uint32_t u);

// The actual value (KP 0).
/// Undoes the Gray code of the 24 position bits.
std::uint32_t GrayToBinary24(std::uint32_t gray);
/// The position number from b1 b2 b3 under the number representation (0 two's complement,
/// 1 "Integer", 2 separate sign) and the output code (0 binary, 1 Gray) of the parameter set.
std::int32_t ActualPositionValue(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                 std::uint32_t numberRepresentation, std::uint32_t outputCode);
/// Bits 7 down to 1 of b4 as '1'/'0', then 'X': 8 characters.
std::string StatusBitText(std::uint8_t b4);
/// b1 b2 b3 as three groups of eight '1'/'0', most significant bit first, one blank between.
std::string DataBitText(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);

}  // namespace veltrin
