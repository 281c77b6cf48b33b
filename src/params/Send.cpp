// The sends: parameters from the parameter set into the encoder's RAM, one write telegram each,
// in a fixed order, stopping at the first telegram the encoder does not confirm. The status
// bits of the limits and of the status-bit group share eight output positions; a position that
// another function holds is skipped, which the send goes on past and names in its report.
//
// Every send is written once, against a sink: the link sends the telegrams and allocates in the
// run's table; a plan only records them and allocates in a table of its own.
#include "params/Exchange.h"
#include "params/Operations.h"

namespace veltrin {

using detail::EncodeValue;

namespace {
constexpr int kNoStatusBit = 8;

using OwnerTable = StatusBitOwners;

bool AllocateIn(OwnerTable& owners, std::int32_t position, std::int32_t owner) {
    if (position == kNoStatusBit) {
        for (auto& entry : owners)
            if (entry == owner) entry = 0;
        return true;
    }
    // Positions reach here as the user typed them; anything but 0 to 8 is no position.
    if (position < 0 || position > 7) return false;
    auto& slot = owners[static_cast<std::size_t>(position)];
    if (slot != 0 && slot != owner) return false;
    for (auto& entry : owners)
        if (entry == owner) entry = 0;
    slot = owner;
    return true;
}

/// Where the telegrams of a send go, and what the send has to tell besides (when asked).
class Sink {
public:
    explicit Sink(SendReport* report) : report_(report) {
        if (report_) *report_ = {};
    }

    bool Write(Kp id, const WireBytes& d) {
        if (WriteTelegram(id, d)) return true;
        if (report_) report_->failedWrite = id;
        return false;
    }
    /// The position the set holds for status bit f, for f's owner; false: withheld.
    bool Allocate(const detail::StatusBitFunction& f, const EncoderParameters& p) {
        const std::int32_t position = p.*f.position;
        OwnerTable& owners = Owners();
        if (AllocateIn(owners, position, f.owner)) return true;
        if (report_) {
            const bool valid = position >= 0 && position <= 7;
            report_->withheld.push_back(
                {f.kp, f.owner, position, valid ? owners[static_cast<std::size_t>(position)] : 0});
        }
        return false;
    }
    void NoScaling(std::uint16_t selection) {
        if (report_) report_->invalidScalingSelection = selection;
    }

protected:
    ~Sink() = default;
    virtual bool WriteTelegram(Kp id, const WireBytes& d) = 0;
    virtual OwnerTable& Owners() = 0;

private:
    SendReport* report_;
};

/// To the session's encoder, allocating in the session's table.
class LinkSink final : public Sink {
public:
    LinkSink(EncoderSession& session, SendReport* report) : Sink(report), session_(session) {}

private:
    bool WriteTelegram(Kp id, const WireBytes& d) override {
        return detail::WriteParameter(session_.link, id, d);
    }
    OwnerTable& Owners() override { return session_.statusBitOwners; }
    EncoderSession& session_;
};

/// Into a list, allocating in a table of its own; every telegram "succeeds".
class PlanSink final : public Sink {
public:
    explicit PlanSink(const OwnerTable& owners) : Sink(nullptr), owners_(owners) {}
    std::vector<PlannedWrite> writes;

private:
    bool WriteTelegram(Kp id, const WireBytes& d) override {
        writes.push_back({id, d});
        return true;
    }
    OwnerTable& Owners() override { return owners_; }
    OwnerTable owners_;
};

bool WriteValue(Sink& out, Kp id, std::int64_t value) { return out.Write(id, EncodeValue(id, value)); }

bool WriteInput(Sink& out, Kp id, std::uint32_t on, std::uint32_t activeHigh) {
    return out.Write(id, EncodeByte(EncodeInputConfigByte(on, activeHigh)));
}

bool WriteStatusBit(Sink& out, const EncoderParameters& p, const detail::StatusBitFunction& f) {
    return out.Write(f.kp, EncodeByte(detail::StatusBitByteOf(p, f)));
}

bool SendPresetItem(Sink& out, int item, const EncoderParameters& p) {
    switch (item) {
        case 1:
            return WriteValue(out, Kp::InternalPreset, p.internalPreset);
        case 2:
            return WriteValue(out, Kp::ExtPreset1, p.extPreset1) &&
                   WriteInput(out, Kp::ExtPreset1Input, p.extPreset1On, p.extPreset1ActiveHigh);
        case 3:
            return WriteValue(out, Kp::ExtPreset2, p.extPreset2) &&
                   WriteInput(out, Kp::ExtPreset2Input, p.extPreset2On, p.extPreset2ActiveHigh);
        case 4:
            return WriteValue(out, Kp::PresetOffset, p.presetOffset);
        case 5:
            return WriteValue(out, Kp::LengthMeasurement, p.lengthMeasurementOn);
        case 6:
            return WriteValue(out, Kp::DebounceTime, p.debounceTime);
        default:
            return false;
    }
}

// One limit (1 to 4): its value, then its status bit if the position is free for it.
bool SendLimit(Sink& out, int n, const EncoderParameters& p) {
    const auto& value = detail::kLimitValues[static_cast<std::size_t>(n - 1)];
    const auto& bit = detail::kLimitBits[static_cast<std::size_t>(n - 1)];
    if (!WriteValue(out, value.kp, p.*value.value)) return false;
    if (!out.Allocate(bit, p)) return true;
    return WriteStatusBit(out, p, bit);
}

// One status-bit function (item 1 to 5); the overspeed bit brings its threshold along.
bool SendStatusBitFunction(Sink& out, int item, const EncoderParameters& p) {
    const auto& f = detail::kStatusBitFunctions[static_cast<std::size_t>(item - 1)];
    if (!out.Allocate(f, p)) return true;
    if (!WriteStatusBit(out, p, f)) return false;
    if (item == 1) return WriteValue(out, Kp::OverspeedValue, p.overspeedValue);
    return true;
}

bool SendDataFormatItem(Sink& out, int item, const EncoderParameters& p) {
    switch (item) {
        case 1:
            return WriteValue(out, Kp::SsiConfiguration, p.ssiConfiguration);
        case 2:
            return WriteValue(out, Kp::NumberRepresentation, p.numberRepresentation);
        case 3:
            return WriteValue(out, Kp::OutputCode, p.outputCode);
        case 4:
            if (!WriteValue(out, Kp::OutputFormat, p.outputFormat)) return false;
            // "Tannenbaum" takes the bit counts as two nibbles, the other formats with their sum.
            if (p.outputFormat == 1) return out.Write(Kp::BitNibbles, EncodeBitNibbles(p.bitsS, p.bitsU));
            return out.Write(Kp::BitCounts, EncodeBitCounts(p.bitsS, p.bitsU));
        case 5:
            return out.Write(Kp::PositionShift, EncodePositionShift(p.positionShift));
        default:
            return false;
    }
}

bool Presets(Sink& out, int item, const EncoderParameters& p, std::int32_t extendedMode) {
    if (item != 0) return SendPresetItem(out, item, p);
    // The debounce time goes along only in the service mode.
    return WriteValue(out, Kp::InternalPreset, p.internalPreset) &&
           WriteValue(out, Kp::ExtPreset1, p.extPreset1) &&
           (extendedMode == 0 || WriteValue(out, Kp::DebounceTime, p.debounceTime)) &&
           WriteInput(out, Kp::ExtPreset1Input, p.extPreset1On, p.extPreset1ActiveHigh) &&
           WriteValue(out, Kp::ExtPreset2, p.extPreset2) &&
           WriteInput(out, Kp::ExtPreset2Input, p.extPreset2On, p.extPreset2ActiveHigh) &&
           WriteValue(out, Kp::PresetOffset, p.presetOffset) &&
           WriteValue(out, Kp::LengthMeasurement, p.lengthMeasurementOn);
}

bool Scaling(Sink& out, int item, const EncoderParameters& p) {
    switch (item) {
        case 1:
            return out.Write(Kp::ScalingFactor, EncodeUnsigned24(ScalingFactorToWire(p.scalingFactorText)));
        case 2:
            // The encoder has one steps parameter; each scaling sends its own member into it.
            return WriteValue(out, Kp::Steps, p.stepsForMeasuringSteps) &&
                   WriteValue(out, Kp::MeasuringSteps, p.measuringSteps);
        case 3:
            return WriteValue(out, Kp::Steps, p.stepsForRevolutions) &&
                   WriteValue(out, Kp::Revolutions, p.revolutions);
        default:
            return false;
    }
}

bool Limits(Sink& out, int item, const EncoderParameters& p) {
    if (item >= 1 && item <= 4) return SendLimit(out, item, p);
    if (item != 0) return false;
    for (int n = 1; n <= 4; ++n)
        if (!SendLimit(out, n, p)) return false;
    return true;
}

bool DataFormat(Sink& out, int item, const EncoderParameters& p) {
    if (item != 0) return SendDataFormatItem(out, item, p);
    for (int i = 1; i <= 5; ++i)
        if (!SendDataFormatItem(out, i, p)) return false;
    return true;
}

bool StatusBits(Sink& out, int item, const EncoderParameters& p) {
    if (item >= 1 && item <= 5) return SendStatusBitFunction(out, item, p);
    if (item != 0) return false;
    for (int i = 1; i <= 5; ++i)
        if (!SendStatusBitFunction(out, i, p)) return false;
    return true;
}

bool CountDirection(Sink& out, int item, const EncoderParameters& p) {
    const bool direction = item == 0 || item == 1;
    const bool input = item == 0 || item == 2;
    if (!direction && !input) return false;
    if (direction && !WriteValue(out, Kp::CountDirection, p.countDirectionBackward)) return false;
    if (input && !WriteInput(out, Kp::ExtDirSwitchInput, p.extDirSwitchOn, p.extDirSwitchActiveHigh))
        return false;
    return true;
}

bool All(Sink& out, const EncoderParameters& p, std::int32_t extendedMode) {
    if (!Presets(out, 0, p, extendedMode)) return false;
    // Only the scaling that the selection names is sent; a selection above 2 names none and
    // ends the send there, without a telegram of its own.
    if (p.scalingSelection > 2) {
        out.NoScaling(p.scalingSelection);
        return false;
    }
    return Scaling(out, p.scalingSelection + 1, p) && Limits(out, 0, p) && DataFormat(out, 0, p) &&
           StatusBits(out, 0, p) && CountDirection(out, 0, p);
}

bool Send(Sink& out, SendGroup group, int item, const EncoderParameters& p, std::int32_t extendedMode) {
    switch (group) {
        case SendGroup::Presets:
            return Presets(out, item, p, extendedMode);
        case SendGroup::Scaling:
            return Scaling(out, item, p);
        case SendGroup::Limits:
            return Limits(out, item, p);
        case SendGroup::DataFormat:
            return DataFormat(out, item, p);
        case SendGroup::StatusBits:
            return StatusBits(out, item, p);
        case SendGroup::CountDirection:
            return CountDirection(out, item, p);
        case SendGroup::All:
            return All(out, p, extendedMode);
    }
    return false;
}

bool SendToLink(SendGroup group, int item, EncoderSession& session, SendReport* report) {
    LinkSink out(session, report);
    return Send(out, group, item, session.parameters, session.extendedMode);
}
}  // namespace

bool AllocateStatusBit(StatusBitOwners& owners, std::int32_t position, std::int32_t owner) {
    return AllocateIn(owners, position, owner);
}

bool SendPresets(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::Presets, item, session, report);
}
bool SendScaling(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::Scaling, item, session, report);
}
bool SendLimits(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::Limits, item, session, report);
}
bool SendDataFormat(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::DataFormat, item, session, report);
}
bool SendStatusBits(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::StatusBits, item, session, report);
}
bool SendCountDirection(EncoderSession& session, int item, SendReport* report) {
    return SendToLink(SendGroup::CountDirection, item, session, report);
}
bool SendAll(EncoderSession& session, SendReport* report) {
    return SendToLink(SendGroup::All, 0, session, report);
}

std::vector<PlannedWrite> PlanSend(SendGroup group, int item, const EncoderParameters& p,
                                   std::int32_t extendedMode, const StatusBitOwners& owners) {
    PlanSink out(owners);
    Send(out, group, item, p, extendedMode);
    return std::move(out.writes);
}

}  // namespace veltrin
