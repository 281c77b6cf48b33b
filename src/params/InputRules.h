#pragma once
// How the send dialogs read their numeric fields: the "$" hexadecimal notation, text to number,
// the character limits of four fields, and the two checks that can stop a send (repeated
// status-bit positions among the limits, fewer measuring steps than steps). Pure functions.
#include <array>
#include <cstddef>
#include <cstdint>
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

/// The message of a failed measuring-steps check. A fixed text, German in every language.
inline constexpr char kMeasuringStepsMessage[] = "Fehler: Anzahl Messschritte < Anzahl Schritte";

}  // namespace veltrin
