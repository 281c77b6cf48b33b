#include "params/InputRules.h"

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

bool MeasuringStepsValid(std::uint32_t measuringSteps, std::uint32_t steps) {
    return !(static_cast<std::int32_t>(measuringSteps) < static_cast<std::int32_t>(steps));
}

}  // namespace veltrin
