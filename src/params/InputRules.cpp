#include "params/InputRules.h"

#include "params/Encoding.h"

namespace veltrin {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;   // the part is upper-cased before reading
    return -1;
}
}  // namespace

std::string ApplyHexNotation(std::string_view text) {
    std::string_view digits;
    bool negative = false;
    if (!text.empty() && text[0] == '$') {
        digits = text.substr(1);
    } else if (text.size() >= 2 && text[0] == '-' && text[1] == '$') {
        digits = text.substr(2);
        negative = true;
    } else {
        return std::string(text);
    }
    // "$" or "-$" alone: like a text with non-hexadecimal characters, left as typed.
    if (digits.empty()) return std::string(text);
    std::uint32_t value = 0;
    for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0) return std::string(text);
        value = (value << 4) | static_cast<std::uint32_t>(d);   // only the last eight digits stay
    }
    return (negative ? "-" : "") + std::to_string(value);
}

std::int32_t TextToNumber(std::string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);   // modulo 2^32 (well defined since C++20)
}

bool FitsCharacterLimit(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;   // not a continuation byte
    return characters <= limit;
}

BitPositionCheck CheckLimitBitPositions(const std::array<std::int32_t, 4>& positions) {
    BitPositionCheck result;
    bool occupied[8] = {};
    for (std::int32_t position : positions) {
        if (position < 0 || position > 7) continue;
        if (occupied[position]) {
            result.ok = false;
            result.position = position;
        }
        occupied[position] = true;
    }
    return result;
}

namespace {
struct NamedRange {
    std::string_view member;
    ValueRange range;
};

constexpr ValueRange kSigned24{kSigned24Min, kSigned24Max};
constexpr ValueRange kUnsigned24{0, kUnsigned24Max};
constexpr ValueRange kFlag{0, 1};
constexpr ValueRange kByte{0, 255};
constexpr ValueRange kChoice3{0, 2};
constexpr ValueRange kBitPosition{kMinBitPosition, kNoBitPosition};
constexpr ValueRange kWord{0, 0xFFFF};

// Every numeric member; a test holds the table to the record's members.
constexpr NamedRange kRanges[] = {
    {"reserved0", {0, 0xFFFFFFFF}},
    {"internalPreset", kSigned24},
    {"extPreset1", kSigned24},
    {"extPreset1On", kFlag},
    {"reserved0E", kWord},
    {"extPreset2", kSigned24},
    {"extPreset2On", kFlag},
    {"presetReplyBit5Clear", kFlag},
    {"presetReplyBit6Clear", kFlag},
    {"extPreset1ActiveHigh", kFlag},
    {"extPreset2ActiveHigh", kFlag},
    {"extDirSwitchActiveHigh", kFlag},
    {"presetOffset", kSigned24},
    {"debounceTime", kByte},
    {"lengthMeasurementOn", kFlag},
    {"stepsForMeasuringSteps", kUnsigned24},
    {"measuringSteps", kUnsigned24},
    {"stepsForRevolutions", kUnsigned24},
    {"revolutions", kUnsigned24},
    {"scalingSelection", kChoice3},
    {"reserved46", kWord},
    {"limit1BitPosition", kBitPosition},
    {"limit1BitOn", kFlag},
    {"limit1BitActiveLow", kFlag},
    {"limit2Value", kSigned24},
    {"limit2BitPosition", kBitPosition},
    {"limit2BitOn", kFlag},
    {"limit2BitActiveLow", kFlag},
    {"limit3Value", kSigned24},
    {"limit3BitPosition", kBitPosition},
    {"limit3BitOn", kFlag},
    {"limit3BitActiveLow", kFlag},
    {"limit4Value", kSigned24},
    {"limit4BitPosition", kBitPosition},
    {"limit4BitOn", kFlag},
    {"limit4BitActiveLow", kFlag},
    {"limit1Value", kSigned24},
    {"ssiConfiguration", kFlag},
    {"reserved7A", kWord},
    {"numberRepresentation", kChoice3},
    {"outputCode", kFlag},
    {"outputFormat", kChoice3},
    {"reserved82", kWord},
    {"bitsS", {0, kMaxBitsS}},
    {"bitsU", {0, kMaxBitsU}},
    {"bitsTotal", {0, kMaxBitsS + kMaxBitsU}},
    {"countDirectionBackward", kFlag},
    {"extDirSwitchOn", kFlag},
    {"overspeedValue", {kMinOverspeed, 255}},
    {"overspeedBitPosition", kBitPosition},
    {"overspeedBitOn", kFlag},
    {"overspeedBitActiveLow", kFlag},
    {"standstillBitPosition", kBitPosition},
    {"standstillBitOn", kFlag},
    {"standstillBitActiveLow", kFlag},
    {"parityBitPosition", kBitPosition},
    {"parityBitOn", kFlag},
    {"parityBitActiveLow", kFlag},
    {"encoderErrorBitPosition", kBitPosition},
    {"encoderErrorBitOn", kFlag},
    {"encoderErrorBitActiveLow", kFlag},
    {"directionBitPosition", kBitPosition},
    {"directionBitOn", kFlag},
    {"directionBitActiveLow", kFlag},
    {"positionShift", {0, kMaxShiftAmount, kShiftLeftBit, kShiftLeftBit + kMaxShiftAmount}},
    {"reservedC2", kWord},
};
}  // namespace

std::optional<ValueRange> MemberRange(std::string_view member) {
    for (const NamedRange& r : kRanges)
        if (r.member == member) return r.range;
    return std::nullopt;
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    if (i >= text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        // Far beyond every range, and far from the 64-bit limit: stays out of range, never wraps.
        if (value < (std::int64_t{1} << 40)) value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

FactorCheck CheckScalingFactorText(std::string_view text) {
    if (!FitsCharacterLimit(text, kScalingFactorFieldSize) || text.size() > kScalingFactorFieldSize)
        return FactorCheck::TooLong;
    bool digit = false, point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return FactorCheck::NotANumber;
    }
    if (!digit) return FactorCheck::NotANumber;
    // Digits and one point: the atof the send uses reads the whole text.
    return ParseScalingFactorText(text) <= 1.0 ? FactorCheck::Ok : FactorCheck::OutOfRange;
}

bool MeasuringStepsValid(std::uint32_t measuringSteps, std::uint32_t steps) {
    return !(static_cast<std::int32_t>(measuringSteps) < static_cast<std::int32_t>(steps));
}

}  // namespace veltrin
