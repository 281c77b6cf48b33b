#include "params/Encoding.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace veltrin {

namespace {
constexpr std::uint32_t kLow24 = 0xFFFFFF;
constexpr std::uint32_t kSign24 = 0x800000;

// The encoder's scale: a factor of 1.0 is 2^24 - 1 on the wire.
constexpr double kFactorScale = 16777215.0;
// The reading back multiplies by this single-precision constant (bit pattern 0x33800001,
// one unit in the last place above 2^-24), widened to extended precision.
constexpr float kFactorUnit = 5.9604652e-8f;
// From here on a read factor counts as 1.
constexpr long double kFactorOne = 0.9999999;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view FieldText(const char (&field)[kScalingTextSize]) {
    // The field is ended by a zero byte only when the text is shorter than the field.
    std::size_t n = 0;
    while (n < kScalingTextSize && field[n] != '\0') ++n;
    return {field, n};
}
}  // namespace

WireBytes EncodeSigned24(std::int32_t value) { return EncodeUnsigned24(static_cast<std::uint32_t>(value)); }

WireBytes EncodeUnsigned24(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

std::uint32_t Unsigned24FromBytes(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return (std::uint32_t{b1} << 16) | (std::uint32_t{b2} << 8) | b3;
}

std::int32_t Signed24FromBytes(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    std::uint32_t u = Unsigned24FromBytes(b1, b2, b3);
    if (u & kSign24) u |= ~kLow24;
    return static_cast<std::int32_t>(u);
}

std::int32_t DecodeSigned24(const ReplyBlock& reply) {
    return Signed24FromBytes(reply.b(1), reply.b(2), reply.b(3));
}

std::uint32_t DecodeUnsigned24(const ReplyBlock& reply) {
    return Unsigned24FromBytes(reply.b(1), reply.b(2), reply.b(3));
}

WireBytes EncodeByte(std::uint32_t value) { return {0, 0, static_cast<std::uint8_t>(value)}; }

std::uint8_t EncodeStatusBitByte(std::int32_t position, std::uint32_t on, std::uint32_t activeLow) {
    std::uint8_t byte = 0;
    if (position != 8) {
        byte = static_cast<std::uint8_t>(position & 0x07);
        if (on == 1) byte |= 0x08;
    }
    if (activeLow == 0) byte |= 0x10;
    return byte;
}

StatusBitSetting DecodeStatusBitByte(std::uint8_t byte) {
    StatusBitSetting s;
    s.position = byte & 0x07;
    if (s.position == 0) s.position = 8;
    s.on = (byte & 0x08) ? 1 : 0;
    s.activeLow = (byte & 0x10) ? 0 : 1;
    return s;
}

std::uint8_t EncodeInputConfigByte(std::uint32_t on, std::uint32_t activeHigh) {
    auto byte = static_cast<std::uint8_t>(on);
    if (activeHigh != 0) byte |= 0x02;
    return byte;
}

WireBytes EncodeBitNibbles(std::uint32_t bitsS, std::uint32_t bitsU) {
    return {0, 0, static_cast<std::uint8_t>(bitsS * 16 + bitsU)};
}

WireBytes EncodeBitCounts(std::uint32_t bitsS, std::uint32_t bitsU) {
    return {static_cast<std::uint8_t>(bitsS), static_cast<std::uint8_t>(bitsU),
            static_cast<std::uint8_t>(bitsS + bitsU)};
}

WireBytes EncodePositionShift(std::uint32_t positionShift) {
    return {0, static_cast<std::uint8_t>((positionShift >> 8) & 0x01),
            static_cast<std::uint8_t>(positionShift)};
}

double ParseScalingFactorText(std::string_view text) {
    if (text.size() > kScalingTextSize) text = text.substr(0, kScalingTextSize);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string intDigits, fracDigits;
    while (i < text.size() && IsDigit(text[i])) intDigits += text[i++];
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) fracDigits += text[i++];
    }
    if (intDigits.empty() && fracDigits.empty()) return 0.0;
    // An exponent counts as atof counts it: "e" or "E", an optional sign and at least one
    // digit; "5e-1" is 0.5. An "e" without digits behind it ends the number before the "e".
    std::string exponent;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string sign;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) sign = text[j++];
        std::string digits;
        while (j < text.size() && IsDigit(text[j])) digits += text[j++];
        if (!digits.empty()) exponent = "e" + sign + digits;
    }
    // from_chars rounds correctly like strtod but ignores the C locale, whose decimal point
    // may be a comma once the user interface has set it from the environment.
    const std::string number =
        (intDigits.empty() ? "0" : intDigits) + "." + (fracDigits.empty() ? "0" : fracDigits) + exponent;
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                  std::chars_format::general);
    // Beyond the double range atof gives HUGE_VAL or 0; either way no product fits 32 bits
    // or the product is 0, so both go out as 0.
    if (result.ec != std::errc{}) return 0.0;
    return negative ? -value : value;
}

double ParseScalingFactorText(const char (&field)[kScalingTextSize]) {
    return ParseScalingFactorText(FieldText(field));
}

std::uint32_t ScalingFactorToWire(std::string_view text) {
    const double product = ParseScalingFactorText(text) * kFactorScale;
    // Truncating a product outside the 32-bit range is undefined; such a factor (far beyond
    // the encoder's 0 to 1) goes out as 0, like a text that is no number, which the encoder
    // then refuses instead of taking some wrapped value.
    if (!(product > -2147483649.0 && product < 2147483648.0)) return 0;
    const auto truncated = static_cast<std::int32_t>(product);
    return static_cast<std::uint32_t>(truncated) & kLow24;
}

std::uint32_t ScalingFactorToWire(const char (&field)[kScalingTextSize]) {
    return ScalingFactorToWire(FieldText(field));
}

long double ScalingFactorFromWire(std::uint32_t u) {
    return static_cast<long double>(u & kLow24) * static_cast<long double>(kFactorUnit);
}

void ScalingFactorTextFromWire(std::uint32_t u, char (&field)[kScalingTextSize]) {
    const long double factor = ScalingFactorFromWire(u);
    if (factor >= kFactorOne) {
        std::memcpy(field, "1.00000000", kScalingTextSize);
        return;
    }
    // "%010.8f" without the C locale: the factor lies in [0, 1), so eight decimals give
    // exactly "0.dddddddd", ten characters.
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, factor, std::chars_format::fixed, 8);
    const std::size_t length = result.ec == std::errc{} ? static_cast<std::size_t>(result.ptr - buffer) : 0;
    std::memset(field, '0', kScalingTextSize);
    if (length == 0) {
        field[1] = '.';
        return;
    }
    // Zero-padded on the left to ten characters; a longer text cannot arise from a factor below 1.
    const std::size_t n = length < kScalingTextSize ? length : kScalingTextSize;
    std::memcpy(field + (kScalingTextSize - n), buffer, n);
}

float ScalingFactorForQuery(std::uint32_t u) {
    const long double factor = ScalingFactorFromWire(u);
    return factor >= kFactorOne ? 1.0f : static_cast<float>(factor);
}

std::uint32_t GrayToBinary24(std::uint32_t gray) {
    std::uint32_t b = gray & kLow24;
    b ^= b >> 1;
    b ^= b >> 2;
    b ^= b >> 4;
    b ^= b >> 8;
    b ^= b >> 16;
    return b;
}

std::int32_t ActualPositionValue(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                 std::uint32_t numberRepresentation, std::uint32_t outputCode) {
    std::uint32_t bits = Unsigned24FromBytes(b1, b2, b3);
    // With Gray code the encoder sends the position Gray-coded. The number is that of the
    // decoded bits, under the same representation rules as binary output, so it changes
    // whenever the received data bits do (Gray decoding is a one-to-one map on 24 bits).
    if (outputCode == 1) bits = GrayToBinary24(bits);
    if (numberRepresentation == 1) return static_cast<std::int32_t>(bits);
    if (numberRepresentation == 2 && (bits & kSign24))
        return -static_cast<std::int32_t>(bits & (kSign24 - 1));
    return Signed24FromBytes(static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 8),
                             static_cast<std::uint8_t>(bits));
}

std::string StatusBitText(std::uint8_t b4) {
    std::string text(8, '0');
    for (int bit = 7; bit >= 1; --bit)
        if (b4 & (1u << bit)) text[static_cast<std::size_t>(7 - bit)] = '1';
    text[7] = 'X';
    return text;
}

std::string DataBitText(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    std::string text;
    text.reserve(26);
    for (std::uint8_t byte : {b1, b2, b3}) {
        if (!text.empty()) text += ' ';
        for (int bit = 7; bit >= 0; --bit) text += (byte & (1u << bit)) ? '1' : '0';
    }
    return text;
}

}  // namespace veltrin
