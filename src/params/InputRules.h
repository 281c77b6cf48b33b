#pragma once
// How the send dialogs read their numeric fields: the "$" hexadecimal notation, text to number,
// the character limits of four fields, and the two checks that can stop a send (repeated
// status-bit positions among the limits, fewer measuring steps than steps). Besides them, the
// values the encoder takes for each member of the parameter set (what the command-line tool's
// set holds to). Pure functions.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrin {

/// "Anzahl Bits" S and U and the shift amount of the data format take at most two characters.
inline constexpr std::size_t kShortFieldCharLimit = 2;
/// The scaling factor takes at most nine characters.
inline constexpr std::size_t kScalingFactorCharLimit = 9;

/// "$1f" becomes "31", "-$1F" becomes "-31"; more than eight digits count modulo 2^32. Any other
/// text, and a "$" part that is empty or holds a non-hexadecimal character, comes back
/// unchanged (and so converts to its leading decimal number, or 0). Nothing is trimmed: the "$"
/// must be the first character.
std::string ApplyHexNotation(std::string_view text);

/// The C library's atoi without its undefined overflow: leading white space skipped, one
/// optional sign, decimal digits up to the first other character, accumulated modulo 2^32.
/// No digit gives 0.
std::int32_t TextToNumber(std::string_view text);

/// Whether the text has at most limit characters (UTF-8 code points, as the field counts them).
bool FitsCharacterLimit(std::string_view text, std::size_t limit);

struct BitPositionCheck {
    bool ok = true;
    std::int32_t position = 0;   ///< the position to report when not ok
};

/// The limits' status-bit positions, limit 1 to 4 in this order. A position 0 to 7 used twice
/// fails; the last repeated one is reported. Positions outside 0 to 7 (8: no status bit) pass.
BitPositionCheck CheckLimitBitPositions(const std::array<std::int32_t, 4>& positions);

/// The measuring-steps check of the scaling: false when measuring steps are fewer than steps,
/// compared as signed 32-bit numbers. Equal values pass.
bool MeasuringStepsValid(std::uint32_t measuringSteps, std::uint32_t steps);

/// The values a member of the parameter set may hold so that the encoder takes it as it is:
/// the telegram's width (24 bits), the choices of a radio group (a flag 0 or 1), the limits
/// the encoder answers with "zu groß", "zu klein" or "ungültig" beyond. Bounds are inclusive;
/// positionShift has a second span (its direction bit 8 set). Members that are not sent
/// (reserved bytes, bitsTotal, the read-all marks) take what a send dialog could store.
struct ValueRange {
    std::int64_t min = 0, max = 0;
    std::int64_t min2 = 1, max2 = 0;  ///< a second span when min2 <= max2
    bool Contains(std::int64_t value) const {
        return (value >= min && value <= max) || (min2 <= max2 && value >= min2 && value <= max2);
    }
};

inline constexpr std::int64_t kSigned24Min = -8388608, kSigned24Max = 8388607;
inline constexpr std::int64_t kUnsigned24Max = 16777215;
/// "Anzahl Bits": the encoder takes S up to 12 and U up to 13.
inline constexpr std::int64_t kMaxBitsS = 12, kMaxBitsU = 13;
/// The shift of the position value: an amount up to 16, bit 8 set for "links".
inline constexpr std::int64_t kMaxShiftAmount = 16, kShiftLeftBit = 0x100;
/// The overspeed threshold: a byte, 0 refused as too small.
inline constexpr std::int64_t kMinOverspeed = 1;
/// A status-bit position: 1 to 7 an output bit, 8 none.
inline constexpr std::int64_t kMinBitPosition = 1, kNoBitPosition = 8;

/// The range of the numeric member of that name (as EncoderParameters names it), or nothing
/// for the scaling factor's text and for a name that is no member.
std::optional<ValueRange> MemberRange(std::string_view member);

/// A whole number as a send dialog's field reads it after the "$" notation: an optional "-",
/// then decimal digits and nothing else. Unlike TextToNumber nothing wraps and no rest is
/// ignored: anything else (no digit, "12 mm", "$1G", a leading blank) is no number.
std::optional<std::int64_t> WholeNumber(std::string_view text);

/// The scaling factor as the encoder takes it: at most kScalingFactorFieldSize characters, a
/// decimal number (digits with at most one decimal point) from 0 to 1. (The factor goes out
/// as trunc(factor × 16777215) in 24 bits: more than 1 would lose its high bits.)
inline constexpr std::size_t kScalingFactorFieldSize = 10;
enum class FactorCheck { Ok, TooLong, NotANumber, OutOfRange };
FactorCheck CheckScalingFactorText(std::string_view text);

/// The message of a failed measuring-steps check. A fixed text, German in every language.
inline constexpr char kMeasuringStepsMessage[] = "Fehler: Anzahl Messschritte < Anzahl Schritte";

}  // namespace veltrin
