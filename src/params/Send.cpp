// The sends: parameters from the parameter set into the encoder's RAM, one write telegram each,
// in a fixed order, stopping at the first telegram the encoder does not confirm. The status
// bits of the limits and of the status-bit group share eight output positions; a position that
// another function holds is skipped without a word.
#include "params/Exchange.h"
#include "params/Operations.h"

namespace veltrin {

using detail::WriteParameter;
using detail::WriteValue;

namespace {
constexpr int kNoStatusBit = 8;

bool WriteInput(Link& link, Kp id, std::uint32_t on, std::uint32_t activeHigh) {
    return WriteParameter(link, id, EncodeByte(EncodeInputConfigByte(on, activeHigh)));
}

bool WriteStatusBit(Link& link, const EncoderParameters& p, const detail::StatusBitFunction& f) {
    return WriteParameter(link, f.kp, EncodeByte(detail::StatusBitByteOf(p, f)));
}

bool SendPresetItem(int item, const EncoderParameters& p, Link& link) {
    switch (item) {
        case 1:
            return WriteValue(link, Kp::InternalPreset, p.internalPreset);
        case 2:
            return WriteValue(link, Kp::ExtPreset1, p.extPreset1) &&
                   WriteInput(link, Kp::ExtPreset1Input, p.extPreset1On, p.extPreset1ActiveHigh);
        case 3:
            return WriteValue(link, Kp::ExtPreset2, p.extPreset2) &&
                   WriteInput(link, Kp::ExtPreset2Input, p.extPreset2On, p.extPreset2ActiveHigh);
        case 4:
            return WriteValue(link, Kp::PresetOffset, p.presetOffset);
        case 5:
            return WriteValue(link, Kp::LengthMeasurement, p.lengthMeasurementOn);
        case 6:
            return WriteValue(link, Kp::DebounceTime, p.debounceTime);
        default:
            return false;
    }
}

// One limit (1 to 4): its value, then its status bit if the position is free for it.
bool SendLimit(int n, const EncoderParameters& p, Link& link) {
    const auto& value = detail::kLimitValues[static_cast<std::size_t>(n - 1)];
    const auto& bit = detail::kLimitBits[static_cast<std::size_t>(n - 1)];
    if (!WriteValue(link, value.kp, p.*value.value)) return false;
    if (!AllocateStatusBit(p.*bit.position, bit.owner)) return true;
    return WriteStatusBit(link, p, bit);
}

// One status-bit function (item 1 to 5); the overspeed bit brings its threshold along.
bool SendStatusBitFunction(int item, const EncoderParameters& p, Link& link) {
    const auto& f = detail::kStatusBitFunctions[static_cast<std::size_t>(item - 1)];
    if (!AllocateStatusBit(p.*f.position, f.owner)) return true;
    if (!WriteStatusBit(link, p, f)) return false;
    if (item == 1) return WriteValue(link, Kp::OverspeedValue, p.overspeedValue);
    return true;
}

bool SendDataFormatItem(int item, const EncoderParameters& p, Link& link) {
    switch (item) {
        case 1:
            return WriteValue(link, Kp::SsiConfiguration, p.ssiConfiguration);
        case 2:
            return WriteValue(link, Kp::NumberRepresentation, p.numberRepresentation);
        case 3:
            return WriteValue(link, Kp::OutputCode, p.outputCode);
        case 4:
            if (!WriteValue(link, Kp::OutputFormat, p.outputFormat)) return false;
            // "Tannenbaum" takes the bit counts as two nibbles, the other formats with their sum.
            if (p.outputFormat == 1)
                return WriteParameter(link, Kp::BitNibbles, EncodeBitNibbles(p.bitsS, p.bitsU));
            return WriteParameter(link, Kp::BitCounts, EncodeBitCounts(p.bitsS, p.bitsU));
        case 5:
            return WriteParameter(link, Kp::PositionShift, EncodePositionShift(p.positionShift));
        default:
            return false;
    }
}
}  // namespace

bool AllocateStatusBit(std::int32_t position, std::int32_t owner) {
    if (position == kNoStatusBit) {
        for (auto& entry : statusBitOwners)
            if (entry == owner) entry = 0;
        return true;
    }
    // Positions reach here as the user typed them; anything but 0 to 8 is no position.
    if (position < 0 || position > 7) return false;
    auto& slot = statusBitOwners[static_cast<std::size_t>(position)];
    if (slot != 0 && slot != owner) return false;
    for (auto& entry : statusBitOwners)
        if (entry == owner) entry = 0;
    slot = owner;
    return true;
}

bool SendPresets(int item, const EncoderParameters& p, Link& link) {
    if (item != 0) return SendPresetItem(item, p, link);
    // The debounce time goes along only in the service mode.
    return WriteValue(link, Kp::InternalPreset, p.internalPreset) &&
           WriteValue(link, Kp::ExtPreset1, p.extPreset1) &&
           (ExtendedMode == 0 || WriteValue(link, Kp::DebounceTime, p.debounceTime)) &&
           WriteInput(link, Kp::ExtPreset1Input, p.extPreset1On, p.extPreset1ActiveHigh) &&
           WriteValue(link, Kp::ExtPreset2, p.extPreset2) &&
           WriteInput(link, Kp::ExtPreset2Input, p.extPreset2On, p.extPreset2ActiveHigh) &&
           WriteValue(link, Kp::PresetOffset, p.presetOffset) &&
           WriteValue(link, Kp::LengthMeasurement, p.lengthMeasurementOn);
}

bool SendScaling(int item, const EncoderParameters& p, Link& link) {
    switch (item) {
        case 1:
            return WriteParameter(link, Kp::ScalingFactor,
                                  EncodeUnsigned24(ScalingFactorToWire(p.scalingFactorText)));
        case 2:
            // The encoder has one steps parameter; each scaling sends its own member into it.
            return WriteValue(link, Kp::Steps, p.stepsForMeasuringSteps) &&
                   WriteValue(link, Kp::MeasuringSteps, p.measuringSteps);
        case 3:
            return WriteValue(link, Kp::Steps, p.stepsForRevolutions) &&
                   WriteValue(link, Kp::Revolutions, p.revolutions);
        default:
            return false;
    }
}

bool SendLimits(int item, const EncoderParameters& p, Link& link) {
    if (item >= 1 && item <= 4) return SendLimit(item, p, link);
    if (item != 0) return false;
    for (int n = 1; n <= 4; ++n)
        if (!SendLimit(n, p, link)) return false;
    return true;
}

bool SendDataFormat(int item, const EncoderParameters& p, Link& link) {
    if (item != 0) return SendDataFormatItem(item, p, link);
    for (int i = 1; i <= 5; ++i)
        if (!SendDataFormatItem(i, p, link)) return false;
    return true;
}

bool SendStatusBits(int item, const EncoderParameters& p, Link& link) {
    if (item >= 1 && item <= 5) return SendStatusBitFunction(item, p, link);
    if (item != 0) return false;
    for (int i = 1; i <= 5; ++i)
        if (!SendStatusBitFunction(i, p, link)) return false;
    return true;
}

bool SendCountDirection(int item, const EncoderParameters& p, Link& link) {
    const bool direction = item == 0 || item == 1;
    const bool input = item == 0 || item == 2;
    if (!direction && !input) return false;
    if (direction && !WriteValue(link, Kp::CountDirection, p.countDirectionBackward)) return false;
    if (input && !WriteInput(link, Kp::ExtDirSwitchInput, p.extDirSwitchOn, p.extDirSwitchActiveHigh))
        return false;
    return true;
}

bool SendAll(const EncoderParameters& p, Link& link) {
    // Only the scaling that the selection names is sent; a selection above 2 names none and
    // ends the send there.
    return SendPresets(0, p, link) && SendScaling(p.scalingSelection + 1, p, link) &&
           SendLimits(0, p, link) && SendDataFormat(0, p, link) && SendStatusBits(0, p, link) &&
           SendCountDirection(0, p, link);
}

}  // namespace veltrin
