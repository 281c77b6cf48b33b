#pragma once
// The members of EncoderParameters by name, offset and width: one table that the file format,
// the command-line tool's show/set and its JSON output all read, so the member list is written
// down once. The table covers the 196 bytes without gap or overlap (the reserved bytes are
// members too), in record order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "params/EncoderParameters.h"

namespace veltrin {

enum class FieldKind : std::uint8_t {
    Unsigned,   ///< u16 or u32
    Signed,     ///< i32
    Text,       ///< scalingFactorText: up to 10 characters, zero-ended when shorter
};

struct ParameterField {
    std::string_view name;
    std::size_t offset;
    std::size_t size;
    FieldKind kind;
};

#define VELTRIN_FIELD(member, kind) \
    ParameterField { #member, offsetof(EncoderParameters, member), sizeof(EncoderParameters::member), FieldKind::kind }

inline constexpr std::array kParameterFields{
    VELTRIN_FIELD(reserved0, Unsigned),
    VELTRIN_FIELD(internalPreset, Signed),
    VELTRIN_FIELD(extPreset1, Signed),
    VELTRIN_FIELD(extPreset1On, Unsigned),
    VELTRIN_FIELD(reserved0E, Unsigned),
    VELTRIN_FIELD(extPreset2, Signed),
    VELTRIN_FIELD(extPreset2On, Unsigned),
    VELTRIN_FIELD(presetReplyBit5Clear, Unsigned),
    VELTRIN_FIELD(presetReplyBit6Clear, Unsigned),
    VELTRIN_FIELD(extPreset1ActiveHigh, Unsigned),
    VELTRIN_FIELD(extPreset2ActiveHigh, Unsigned),
    VELTRIN_FIELD(extDirSwitchActiveHigh, Unsigned),
    VELTRIN_FIELD(presetOffset, Signed),
    VELTRIN_FIELD(debounceTime, Unsigned),
    VELTRIN_FIELD(lengthMeasurementOn, Unsigned),
    VELTRIN_FIELD(scalingFactorText, Text),
    VELTRIN_FIELD(stepsForMeasuringSteps, Unsigned),
    VELTRIN_FIELD(measuringSteps, Unsigned),
    VELTRIN_FIELD(stepsForRevolutions, Unsigned),
    VELTRIN_FIELD(revolutions, Unsigned),
    VELTRIN_FIELD(scalingSelection, Unsigned),
    VELTRIN_FIELD(reserved46, Unsigned),
    VELTRIN_FIELD(limit1BitPosition, Signed),
    VELTRIN_FIELD(limit1BitOn, Unsigned),
    VELTRIN_FIELD(limit1BitActiveLow, Unsigned),
    VELTRIN_FIELD(limit2Value, Signed),
    VELTRIN_FIELD(limit2BitPosition, Signed),
    VELTRIN_FIELD(limit2BitOn, Unsigned),
    VELTRIN_FIELD(limit2BitActiveLow, Unsigned),
    VELTRIN_FIELD(limit3Value, Signed),
    VELTRIN_FIELD(limit3BitPosition, Signed),
    VELTRIN_FIELD(limit3BitOn, Unsigned),
    VELTRIN_FIELD(limit3BitActiveLow, Unsigned),
    VELTRIN_FIELD(limit4Value, Signed),
    VELTRIN_FIELD(limit4BitPosition, Signed),
    VELTRIN_FIELD(limit4BitOn, Unsigned),
    VELTRIN_FIELD(limit4BitActiveLow, Unsigned),
    VELTRIN_FIELD(limit1Value, Signed),
    VELTRIN_FIELD(ssiConfiguration, Unsigned),
    VELTRIN_FIELD(reserved7A, Unsigned),
    VELTRIN_FIELD(numberRepresentation, Unsigned),
    VELTRIN_FIELD(outputCode, Unsigned),
    VELTRIN_FIELD(outputFormat, Unsigned),
    VELTRIN_FIELD(reserved82, Unsigned),
    VELTRIN_FIELD(bitsS, Unsigned),
    VELTRIN_FIELD(bitsU, Unsigned),
    VELTRIN_FIELD(bitsTotal, Unsigned),
    VELTRIN_FIELD(countDirectionBackward, Unsigned),
    VELTRIN_FIELD(extDirSwitchOn, Unsigned),
    VELTRIN_FIELD(overspeedValue, Unsigned),
    VELTRIN_FIELD(overspeedBitPosition, Signed),
    VELTRIN_FIELD(overspeedBitOn, Unsigned),
    VELTRIN_FIELD(overspeedBitActiveLow, Unsigned),
    VELTRIN_FIELD(standstillBitPosition, Signed),
    VELTRIN_FIELD(standstillBitOn, Unsigned),
    VELTRIN_FIELD(standstillBitActiveLow, Unsigned),
    VELTRIN_FIELD(parityBitPosition, Signed),
    VELTRIN_FIELD(parityBitOn, Unsigned),
    VELTRIN_FIELD(parityBitActiveLow, Unsigned),
    VELTRIN_FIELD(encoderErrorBitPosition, Signed),
    VELTRIN_FIELD(encoderErrorBitOn, Unsigned),
    VELTRIN_FIELD(encoderErrorBitActiveLow, Unsigned),
    VELTRIN_FIELD(directionBitPosition, Signed),
    VELTRIN_FIELD(directionBitOn, Unsigned),
    VELTRIN_FIELD(directionBitActiveLow, Unsigned),
    VELTRIN_FIELD(positionShift, Unsigned),
    VELTRIN_FIELD(reservedC2, Unsigned),
};

#undef VELTRIN_FIELD

namespace detail {
constexpr bool FieldsTileRecord() {
    std::size_t next = 0;
    for (const auto& f : kParameterFields) {
        if (f.offset != next) return false;
        if (f.kind == FieldKind::Text ? f.size != 10 : (f.size != 2 && f.size != 4)) return false;
        if (f.kind == FieldKind::Signed && f.size != 4) return false;
        next = f.offset + f.size;
    }
    return next == sizeof(EncoderParameters);
}
}  // namespace detail
static_assert(detail::FieldsTileRecord(), "the field table must cover the record exactly");

/// The field of that name, or nullptr.
const ParameterField* FindParameterField(std::string_view name);

/// A numeric member's value: signed members sign-extended, unsigned ones zero-extended.
std::int64_t FieldNumber(const EncoderParameters& p, const ParameterField& field);
/// Stores value into a numeric member, keeping as many low bits as the member has.
void SetFieldNumber(EncoderParameters& p, const ParameterField& field, std::uint32_t value);
/// The text member: at most its 10 bytes, up to the first zero byte.
std::string FieldText(const EncoderParameters& p, const ParameterField& field);
/// Stores a text of at most 10 bytes (longer texts are cut), zero-filling the rest of the field.
void SetFieldText(EncoderParameters& p, const ParameterField& field, std::string_view text);

/// The 196-byte little-endian image of the record, whatever the host's byte order.
void EncodeRecord(const EncoderParameters& p, std::uint8_t (&image)[sizeof(EncoderParameters)]);
void DecodeRecord(const std::uint8_t (&image)[sizeof(EncoderParameters)], EncoderParameters& p);

}  // namespace veltrin
