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

// A "%010.8f" text of a factor below 10 is k · 10^-8: "0.dddddddd" or "1.dddddddd".
constexpr std::uint64_t kTextStepsPerUnit = 100000000;

/// The steps k of the "%010.8f" text of the factor u × 5.9604652e-8, exactly as printf rounds
/// the extended-precision product (half to even). The constant is (2^23 + 1) / 2^47, so
/// k = round(u · (2^23 + 1) · 5^8 / 2^39), worked out in 64 bits.
std::uint64_t NearestTextSteps(std::uint32_t u) {
    const std::uint64_t n = std::uint64_t{u & kLow24} * ((std::uint64_t{1} << 23) + 1);  // < 2^48
    constexpr std::uint64_t kFive8 = 390625;
    // n · 5^8 = high · 2^24 + low, and high · 2^24 = (high >> 15) · 2^39 + (high mod 2^15) · 2^24.
    const std::uint64_t high = (n >> 24) * kFive8;
    const std::uint64_t low = (n & kLow24) * kFive8;
    const std::uint64_t rest = ((high & 0x7FFF) << 24) + low;  // < 2^44
    std::uint64_t k = (high >> 15) + (rest >> 39);
    const std::uint64_t remainder = rest & ((std::uint64_t{1} << 39) - 1);
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 38;
    if (remainder > kHalf || (remainder == kHalf && (k & 1) != 0)) ++k;
    return k;
}

/// What ScalingFactorToWire makes of the text of k · 10^-8, before the cut to 24 bits. The
/// parse gives the double nearest to k / 10^8, and so does the division of the two exact
/// doubles.
std::uint64_t WireOfTextSteps(std::uint64_t k) {
    return static_cast<std::uint64_t>(static_cast<double>(k) / static_cast<double>(kTextStepsPerUnit) *
                                      kFactorScale);
}

/// The ten characters of the text of k · 10^-8 (k below 10^9).
void WriteTextSteps(std::uint64_t k, char (&field)[kScalingTextSize]) {
    field[0] = static_cast<char>('0' + k / kTextStepsPerUnit);
    field[1] = '.';
    std::uint64_t decimals = k % kTextStepsPerUnit;
    for (std::size_t i = kScalingTextSize - 1; i >= 2; --i) {
        field[i] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
}

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
    // The number is rebuilt as "digits.digits[e±digits]" from at most the field's ten
    // characters, in a buffer of its own (no allocation: read-all's text is parsed in bulk).
    char number[3 * kScalingTextSize];
    std::size_t n = 0;
    const std::size_t intStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    const std::string_view intDigits = text.substr(intStart, i - intStart);
    std::string_view fracDigits;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        fracDigits = text.substr(fracStart, i - fracStart);
    }
    if (intDigits.empty() && fracDigits.empty()) return 0.0;
    auto append = [&](std::string_view part) {
        for (char c : part) number[n++] = c;  // an empty part may have no data at all
    };
    append(intDigits.empty() ? std::string_view("0") : intDigits);
    append(".");
    append(fracDigits.empty() ? std::string_view("0") : fracDigits);
    // An exponent counts as atof counts it: "e" or "E", an optional sign and at least one
    // digit; "5e-1" is 0.5. An "e" without digits behind it ends the number before the "e".
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string_view sign;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) sign = text.substr(j++, 1);
        const std::size_t expStart = j;
        while (j < text.size() && IsDigit(text[j])) ++j;
        if (j > expStart) {
            append("e");
            append(sign);
            append(text.substr(expStart, j - expStart));
        }
    }
    // from_chars rounds correctly like strtod but ignores the C locale, whose decimal point
    // may be a comma once the user interface has set it from the environment.
    double value = 0.0;
    auto result = std::from_chars(number, number + n, value, std::chars_format::general);
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
    u &= kLow24;
    // The factor 1 is written as the start-up value writes it. Its "%010.8f" would be
    // "1.00000006", 2^24 once sent, which the 24 bits cut to 0.
    if (u == kLow24) {
        std::memcpy(field, "1.00000000", kScalingTextSize);
        return;
    }
    // The eight-decimal text nearest to the factor, moved to the nearest one that sends back
    // as u where it does not. The factor is read with a unit just above 2^-24 and sent with
    // 2^24 - 1 as the unit, and the text is rounded to eight decimals, so the plain text sends
    // about 4 % of the values back one unit off. Each unit holds five or six texts, so the
    // next text up or down always sends back as u. The values 0xFFFFFD and 0xFFFFFE (factors
    // of 0.9999999 and more, which the query shows as 1.0) get 0.99999994 and 0.99999999:
    // "1.00000000" would send them as 0xFFFFFF.
    std::uint64_t steps = NearestTextSteps(u);
    while (steps > 0 && WireOfTextSteps(steps) > u) --steps;
    while (WireOfTextSteps(steps) < u) ++steps;
    WriteTextSteps(steps, field);
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
