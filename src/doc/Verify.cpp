// Verify and compare: every member the dialogs show, what "Alles Senden" writes for it and what
// the encoder (or a second configuration) holds, compared on the wire's values.
#include "doc/Verify.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "doc/ParameterFields.h"
#include "params/Exchange.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"
#include "res/Resources.h"

namespace veltrin {

namespace {

using Owners = std::array<std::int32_t, 8>;
constexpr Owners kFreeOwners{};
constexpr const char* kArrow = " \u2192 ";

/// How a member's value is taken from the data bytes of its KP's write telegram.
enum class Part : std::uint8_t {
    Signed24,
    Unsigned24,
    Factor,  ///< the 24-bit wire value
    LowByte,
    InputOn,     ///< the input configuration byte without its "aktiv 1" bit
    InputLevel,  ///< its "aktiv 1" bit
    BitPosition,
    BitOn,
    BitLevel,  ///< 1 for "aktiv 1" (bit 4)
    BitsS,     ///< from KP 21 (S, U, S + U) or KP 20 (S·16 + U)
    BitsU,
    Shift,      ///< bit 8 and the amount
    Selection,  ///< not on the wire
};

/// How a value is shown: the texts of the query dialogs.
enum class Shown : std::uint8_t {
    Number,
    Factor,
    OnOff,
    Level,
    Ssi,
    Representation,
    Code,
    Format,
    Direction,
    Shift,
    Selection
};

struct RowSpec {
    const char* member;
    Kp kp;  ///< the KP that carries it; Kp::ActualValue for none
    KpGroup group;
    SendGroup send;  ///< the send of its own item, which writes it whatever the mode
    int item;
    const char* label;
    const char* qualifier;  ///< shown in brackets behind the label, or nullptr
    Part part;
    Shown shown;
    /// When this telegram is among those of "Alles Senden", the member was sent (the steps of
    /// a scaling go with the scaling's other member); Kp::ActualValue: the member's own KP.
    Kp sentWith = Kp::ActualValue;
    /// The status bit's position member (bit rows and the overspeed threshold), or nullptr.
    const char* position = nullptr;
    bool readable = true;
};

// clang-format off
/// The three rows of a status bit: position, on/off, level.
#define VELTRIN_BIT_ROWS(name, kp, group, send, item, label)                                              \
    RowSpec{#name "BitPosition", kp, group, send, item, label, "verify.part.position", Part::BitPosition, \
            Shown::Number, Kp::ActualValue, #name "BitPosition"},                                          \
    RowSpec{#name "BitOn", kp, group, send, item, label, "verify.part.onOff", Part::BitOn, Shown::OnOff,   \
            Kp::ActualValue, #name "BitPosition"},                                                         \
    RowSpec{#name "BitActiveLow", kp, group, send, item, label, "verify.part.level", Part::BitLevel,       \
            Shown::Level, Kp::ActualValue, #name "BitPosition"}
// clang-format on

using G = KpGroup;
using S = SendGroup;

// clang-format off
const RowSpec kRows[] = {
    {"internalPreset",       Kp::InternalPreset,    G::Presets, S::Presets, 1, "dialog.137.internal", nullptr, Part::Signed24, Shown::Number},
    {"extPreset1",           Kp::ExtPreset1,        G::Presets, S::Presets, 2, "dialog.137.ext1", nullptr, Part::Signed24, Shown::Number},
    {"extPreset1On",         Kp::ExtPreset1Input,   G::Presets, S::Presets, 2, "dialog.137.ext1", "verify.part.onOff", Part::InputOn, Shown::OnOff},
    {"extPreset1ActiveHigh", Kp::ExtPreset1Input,   G::Presets, S::Presets, 2, "dialog.137.ext1", "verify.part.level", Part::InputLevel, Shown::Level},
    {"extPreset2",           Kp::ExtPreset2,        G::Presets, S::Presets, 3, "dialog.137.ext2", nullptr, Part::Signed24, Shown::Number},
    {"extPreset2On",         Kp::ExtPreset2Input,   G::Presets, S::Presets, 3, "dialog.137.ext2", "verify.part.onOff", Part::InputOn, Shown::OnOff},
    {"extPreset2ActiveHigh", Kp::ExtPreset2Input,   G::Presets, S::Presets, 3, "dialog.137.ext2", "verify.part.level", Part::InputLevel, Shown::Level},
    {"debounceTime",         Kp::DebounceTime,      G::Presets, S::Presets, 6, "dialog.137.debounce", nullptr, Part::LowByte, Shown::Number},
    {"presetOffset",         Kp::PresetOffset,      G::Presets, S::Presets, 4, "dialog.137.offset", nullptr, Part::Signed24, Shown::Number},
    {"lengthMeasurementOn",  Kp::LengthMeasurement, G::Presets, S::Presets, 5, "dialog.137.length", nullptr, Part::LowByte, Shown::OnOff},

    {"scalingSelection",       Kp::ActualValue,    G::Scaling, S::Scaling, 0, "dialog.131.selection", nullptr, Part::Selection, Shown::Selection,
     Kp::ActualValue, nullptr, false},
    {"scalingFactorText",      Kp::ScalingFactor,  G::Scaling, S::Scaling, 1, "dialog.138.factor", nullptr, Part::Factor, Shown::Factor},
    {"stepsForMeasuringSteps", Kp::Steps,          G::Scaling, S::Scaling, 2, "dialog.138.steps", "dialog.131.1070", Part::Unsigned24, Shown::Number,
     Kp::MeasuringSteps},
    {"measuringSteps",         Kp::MeasuringSteps, G::Scaling, S::Scaling, 2, "dialog.138.measuringSteps", nullptr, Part::Unsigned24, Shown::Number},
    {"stepsForRevolutions",    Kp::Steps,          G::Scaling, S::Scaling, 3, "dialog.138.steps", "dialog.131.1071", Part::Unsigned24, Shown::Number,
     Kp::Revolutions},
    {"revolutions",            Kp::Revolutions,    G::Scaling, S::Scaling, 3, "dialog.138.revolutions", nullptr, Part::Unsigned24, Shown::Number},

    {"limit1Value", Kp::Limit1Value, G::Limits, S::Limits, 1, "dialog.139.limit1", nullptr, Part::Signed24, Shown::Number},
    VELTRIN_BIT_ROWS(limit1, Kp::Limit1Bit, G::Limits, S::Limits, 1, "dialog.139.limit1"),
    {"limit2Value", Kp::Limit2Value, G::Limits, S::Limits, 2, "dialog.139.limit2", nullptr, Part::Signed24, Shown::Number},
    VELTRIN_BIT_ROWS(limit2, Kp::Limit2Bit, G::Limits, S::Limits, 2, "dialog.139.limit2"),
    {"limit3Value", Kp::Limit3Value, G::Limits, S::Limits, 3, "dialog.139.limit3", nullptr, Part::Signed24, Shown::Number},
    VELTRIN_BIT_ROWS(limit3, Kp::Limit3Bit, G::Limits, S::Limits, 3, "dialog.139.limit3"),
    {"limit4Value", Kp::Limit4Value, G::Limits, S::Limits, 4, "dialog.139.limit4", nullptr, Part::Signed24, Shown::Number},
    VELTRIN_BIT_ROWS(limit4, Kp::Limit4Bit, G::Limits, S::Limits, 4, "dialog.139.limit4"),

    {"ssiConfiguration",     Kp::SsiConfiguration,     G::DataFormat, S::DataFormat, 1, "dialog.140.ssi", nullptr, Part::LowByte, Shown::Ssi},
    {"numberRepresentation", Kp::NumberRepresentation, G::DataFormat, S::DataFormat, 2, "dialog.140.representation", nullptr, Part::LowByte, Shown::Representation},
    {"outputCode",           Kp::OutputCode,           G::DataFormat, S::DataFormat, 3, "dialog.140.code", nullptr, Part::LowByte, Shown::Code},
    {"outputFormat",         Kp::OutputFormat,         G::DataFormat, S::DataFormat, 4, "dialog.140.format", nullptr, Part::LowByte, Shown::Format},
    {"bitsS",                Kp::BitCounts,            G::DataFormat, S::DataFormat, 4, "dialog.140.bits", "dialog.140.headS", Part::BitsS, Shown::Number},
    {"bitsU",                Kp::BitCounts,            G::DataFormat, S::DataFormat, 4, "dialog.140.bits", "dialog.140.headU", Part::BitsU, Shown::Number},
    {"positionShift",        Kp::PositionShift,        G::DataFormat, S::DataFormat, 5, "dialog.140.1149", nullptr, Part::Shift, Shown::Shift},

    {"countDirectionBackward", Kp::CountDirection,    G::CountDirection, S::CountDirection, 1, "dialog.141.internal", nullptr, Part::LowByte, Shown::Direction},
    {"extDirSwitchOn",         Kp::ExtDirSwitchInput, G::CountDirection, S::CountDirection, 2, "dialog.141.external", nullptr, Part::InputOn, Shown::OnOff},
    {"extDirSwitchActiveHigh", Kp::ExtDirSwitchInput, G::CountDirection, S::CountDirection, 2, "dialog.141.external", "verify.part.level", Part::InputLevel, Shown::Level},

    VELTRIN_BIT_ROWS(standstill, Kp::StandstillBit, G::StatusBits, S::StatusBits, 2, "dialog.142.standstill"),
    VELTRIN_BIT_ROWS(parity, Kp::ParityBit, G::StatusBits, S::StatusBits, 3, "dialog.142.parity"),
    VELTRIN_BIT_ROWS(encoderError, Kp::EncoderErrorBit, G::StatusBits, S::StatusBits, 4, "dialog.142.encoderError"),
    VELTRIN_BIT_ROWS(direction, Kp::DirectionBit, G::StatusBits, S::StatusBits, 5, "dialog.142.direction"),
    VELTRIN_BIT_ROWS(overspeed, Kp::OverspeedBit, G::StatusBits, S::StatusBits, 1, "dialog.142.overspeed"),
    {"overspeedValue", Kp::OverspeedValue, G::StatusBits, S::StatusBits, 1, "dialog.142.overspeed", "verify.part.threshold", Part::LowByte, Shown::Number,
     Kp::ActualValue, "overspeedBitPosition"},
};
// clang-format on
#undef VELTRIN_BIT_ROWS

std::int64_t Member(const EncoderParameters& p, const char* name) {
    const ParameterField* field = FindParameterField(name);
    return field ? FieldNumber(p, *field) : 0;
}

bool IsBitCount(const RowSpec& row) { return row.part == Part::BitsS || row.part == Part::BitsU; }

/// The last telegram among writes for the parameter wanted; the bit counts go under KP 21 or,
/// for "Tannenbaum", KP 20.
const PlannedWrite* FindWrite(const std::vector<PlannedWrite>& writes, const RowSpec& row, Kp wanted) {
    const PlannedWrite* found = nullptr;
    for (const PlannedWrite& w : writes)
        if (w.kp == wanted || (IsBitCount(row) && (w.kp == Kp::BitCounts || w.kp == Kp::BitNibbles)))
            found = &w;
    return found;
}

/// The member's value in the data bytes of its telegram, as the encoder then holds it.
std::int64_t Extract(Part part, Kp kp, const WireBytes& d) {
    const StatusBitSetting bit = DecodeStatusBitByte(d[2]);
    switch (part) {
        case Part::Signed24:
            return Signed24FromBytes(d[0], d[1], d[2]);
        case Part::Unsigned24:
        case Part::Factor:
            return Unsigned24FromBytes(d[0], d[1], d[2]);
        case Part::LowByte:
            return d[2];
        case Part::InputOn:
            return d[2] & ~0x02;
        case Part::InputLevel:
            return (d[2] >> 1) & 1;
        case Part::BitPosition:
            return bit.position;
        case Part::BitOn:
            return bit.on;
        case Part::BitLevel:
            return bit.activeLow == 0 ? 1 : 0;
        case Part::BitsS:
            return kp == Kp::BitNibbles ? (d[2] >> 4) & 0x0F : d[0];
        case Part::BitsU:
            return kp == Kp::BitNibbles ? d[2] & 0x0F : d[1];
        case Part::Shift:
            return (d[1] << 8) | d[2];
        case Part::Selection:
            break;
    }
    return 0;
}

/// The member's value as the set holds it, in the row's terms.
std::int64_t Held(const RowSpec& row, const EncoderParameters& p) {
    switch (row.part) {
        case Part::Factor:
            return ScalingFactorToWire(p.scalingFactorText);
        case Part::InputLevel:
            return Member(p, row.member) != 0 ? 1 : 0;
        case Part::BitLevel:
            return Member(p, row.member) == 0 ? 1 : 0;
        default:
            return Member(p, row.member);
    }
}

std::string Choice(std::int64_t v, std::initializer_list<const char*> keys) {
    if (v < 0 || v >= static_cast<std::int64_t>(keys.size())) return std::to_string(v);
    return ResText(*(keys.begin() + v));
}

std::string ValueText(Shown shown, std::int64_t v) {
    switch (shown) {
        case Shown::Number:
            return std::to_string(v);
        case Shown::Factor: {
            char field[kScalingTextSize];
            ScalingFactorTextFromWire(static_cast<std::uint32_t>(v), field);
            return std::string(field, kScalingTextSize);
        }
        case Shown::OnOff:
            return Choice(v, {"61214", "61213"});  // "Aus", "An"
        case Shown::Level:
            return Choice(v, {"61215", "61216"});  // "Aktiv 0", "Aktiv 1"
        case Shown::Ssi:
            return Choice(v, {"dialog.133.1007", "dialog.133.1008"});  // "32 Bit", "25 Bit"
        case Shown::Representation:
            return Choice(v, {"61205", "61206", "61207"});
        case Shown::Code:
            return Choice(v, {"61209", "61208"});  // "Binär", "Gray"
        case Shown::Format:
            return Choice(v, {"61211", "61210", "61212"});  // "Standard", "Tannenbaum", "Standard-S"
        case Shown::Direction:
            return Choice(v, {"61218", "61217"});  // "Vorwärts", "Rückwärts"
        case Shown::Shift:
            if (v < 0 || v > 0x1FF) return std::to_string(v);
            return std::to_string(v & 0xFF) + " " +
                   ResString((v & 0x100) ? 57652 : 57654);  // "links", "rechts"
        case Shown::Selection:
            return Choice(v, {"dialog.131.1069", "dialog.131.1070", "dialog.131.1071"});
    }
    return std::to_string(v);
}

std::string Label(const RowSpec& row) {
    std::string label = ResText(row.label);
    if (row.qualifier) label += " (" + ResText(row.qualifier) + ")";
    return label;
}

/// One configuration's side of a row.
struct Side {
    std::int64_t held = 0;
    std::optional<std::int64_t> written;  ///< what its send writes (Alles Senden's or the item's own)
    bool sent = false;                    ///< by "Alles Senden"

    std::string Text(const RowSpec& row) const {
        const std::string heldText = ValueText(row.shown, held);
        if (!written) return heldText;
        const std::string writtenText = ValueText(row.shown, *written);
        return heldText == writtenText ? writtenText : heldText + kArrow + writtenText;
    }
};

Side Evaluate(const RowSpec& row, const EncoderParameters& p, const std::vector<PlannedWrite>& all) {
    Side side;
    side.held = Held(row, p);
    if (row.kp == Kp::ActualValue) return side;
    side.sent = FindWrite(all, row, row.sentWith == Kp::ActualValue ? row.kp : row.sentWith) != nullptr;
    const PlannedWrite* w = side.sent ? FindWrite(all, row, row.kp) : nullptr;
    std::vector<PlannedWrite> own;
    if (!w) {
        own = PlanSend(row.send, row.item, p, 1, kFreeOwners);
        w = FindWrite(own, row, row.kp);
    }
    if (w) side.written = Extract(row.part, w->kp, w->data);
    return side;
}

NotSentReason WhyNotSent(const RowSpec& row, const EncoderParameters& p, std::int32_t extendedMode) {
    if (p.scalingSelection > 2 && row.group != KpGroup::Presets) return NotSentReason::SendStops;
    if (row.kp == Kp::DebounceTime && extendedMode == 0) return NotSentReason::ExtendedModeOff;
    if (row.group == KpGroup::Scaling) return NotSentReason::OtherScaling;
    if (row.position) {
        const std::int64_t position = Member(p, row.position);
        return position >= 0 && position <= 8 ? NotSentReason::StatusBitTaken
                                              : NotSentReason::InvalidBitPosition;
    }
    return NotSentReason::None;
}

/// The other side of a row: the encoder's value, or the second configuration's.
struct Other {
    std::optional<std::int64_t> value;  ///< none: unknown
    std::string text;
};

/// Rows of first against other; unknown is the status of a row whose other value is unknown.
VerifyResult Compare(const EncoderParameters& first, std::int32_t extendedMode, const Owners& owners,
                     const std::function<Other(const RowSpec&)>& other, VerifyStatus unknown,
                     NotSentReason unknownReason) {
    VerifyResult result;
    const std::vector<PlannedWrite> all = PlanSend(SendGroup::All, 0, first, extendedMode, owners);
    for (const RowSpec& row : kRows) {
        const Side side = Evaluate(row, first, all);
        const Other o = other(row);
        VerifyRow r;
        r.member = row.member;
        r.kp = row.kp == Kp::ActualValue ? 0 : KpNumber(row.kp);
        r.group = row.group;
        r.label = Label(row);
        r.fileValue = side.Text(row);
        r.encoderValue = o.text;
        if (!row.readable) {
            r.status = VerifyStatus::NotReadable;
        } else if (!side.sent) {
            r.status = VerifyStatus::NotSent;
            r.reason = WhyNotSent(row, first, extendedMode);
        } else if (!o.value) {
            r.status = unknown;
            if (unknown == VerifyStatus::NotSent) r.reason = unknownReason;
        } else {
            r.status = *o.value == *side.written ? VerifyStatus::Equal : VerifyStatus::Different;
        }
        switch (r.status) {
            case VerifyStatus::Equal:
                ++result.counts.equal;
                break;
            case VerifyStatus::Different:
                ++result.counts.different;
                break;
            case VerifyStatus::NotSent:
                ++result.counts.notSent;
                break;
            case VerifyStatus::NotReadable:
                ++result.counts.notReadable;
                break;
        }
        result.rows.push_back(std::move(r));
    }
    return result;
}

/// The link's linkUsed as it was, whatever the exchanges in between did.
class KeepLinkUsed {
public:
    explicit KeepLinkUsed(Link& link) : link_(link), used_(link.linkUsed) {}
    ~KeepLinkUsed() { link_.linkUsed = used_; }
    KeepLinkUsed(const KeepLinkUsed&) = delete;
    KeepLinkUsed& operator=(const KeepLinkUsed&) = delete;

private:
    Link& link_;
    bool used_;
};

}  // namespace

std::vector<ParameterLine> DescribeConfiguration(const EncoderParameters& set) {
    const std::vector<PlannedWrite> none;
    std::vector<ParameterLine> lines;
    for (const RowSpec& row : kRows) {
        ParameterLine line;
        line.member = row.member;
        line.kp = row.kp == Kp::ActualValue ? 0 : KpNumber(row.kp);
        line.group = row.group;
        line.label = Label(row);
        line.fileValue = Evaluate(row, set, none).Text(row);
        lines.push_back(std::move(line));
    }
    return lines;
}

bool VerifyEncoder(EncoderSession& session, const EncoderParameters& set, const Owners& owners,
                   VerifyResult& result) {
    Link& link = session.link;
    const std::int32_t extendedMode = session.extendedMode;
    result = {};
    // Only read requests go out; they are no reason for the close check to offer the EEPROM.
    KeepLinkUsed keep(link);
    if (!detail::ReadParameter(link, Kp::FirmwareVersion)) return false;
    std::array<char, 4> firmware{};
    const bool firmwareOk = detail::FirmwareCharacters(link.replyBlock, firmware);

    // The encoder's answers, each decoded as read-all decodes it into a set of its own, and
    // the replies kept for the values compared on the wire.
    std::array<std::optional<ReplyBlock>, 49> replies;
    EncoderParameters encoder = set;
    const bool ok = ReadAllReplies(link, [&](int step, const ReplyBlock* reply) {
        if (!reply) return;  // the shift: unknown
        replies[KpNumber(ReadAllStepKp(step))] = *reply;
        StoreReadAllReply(step, *reply, encoder);
    });
    if (!ok) return false;

    auto other = [&](const RowSpec& row) -> Other {
        Other o;
        if (!row.readable || row.kp == Kp::ActualValue) return o;
        const std::optional<ReplyBlock>& reply = replies[KpNumber(row.kp)];
        if (!reply) return o;  // only the shift's reply may have failed
        switch (row.part) {
            case Part::BitPosition:
            case Part::BitOn:
            case Part::BitLevel:
                // The status-bit byte comes back as it was written.
                o.value = Extract(row.part, row.kp, {0, 0, reply->b(1)});
                break;
            case Part::Factor:
                o.value = Unsigned24FromBytes(reply->b(1), reply->b(2), reply->b(3));
                break;
            case Part::InputLevel:
                // Bit 0 of b2, "aktiv 1" when set, as read-all takes it for the presets' inputs.
                // Read-all leaves the up/down switching's level alone; its reply carries it all
                // the same.
                o.value = reply->b(2) & 0x01;
                break;
            case Part::Shift:
                o.value = Extract(row.part, row.kp, {0, reply->b(2), reply->b(3)});
                break;
            default:
                o.value = Member(encoder, row.member);
                break;
        }
        if (o.value) o.text = ValueText(row.shown, *o.value);
        return o;
    };
    result = Compare(set, extendedMode, owners, other, VerifyStatus::NotReadable, NotSentReason::None);
    result.firmware = FirmwareVersionText(firmware, firmwareOk);
    return true;
}

VerifyResult CompareConfigurations(const EncoderParameters& first, const EncoderParameters& second,
                                   std::int32_t extendedMode) {
    const std::vector<PlannedWrite> secondAll =
        PlanSend(SendGroup::All, 0, second, extendedMode, kFreeOwners);
    auto other = [&](const RowSpec& row) -> Other {
        Other o;
        // What the encoder holds after the second file's send: the telegram of the member's KP
        // (the steps' KP whichever scaling sent it; the bit counts under the second file's format).
        const PlannedWrite* w =
            row.readable && row.kp != Kp::ActualValue ? FindWrite(secondAll, row, row.kp) : nullptr;
        if (w) {
            o.value = Extract(row.part, w->kp, w->data);
            o.text = ValueText(row.shown, *o.value);
        } else {
            o.text = Evaluate(row, second, secondAll).Text(row);
        }
        return o;
    };
    return Compare(first, extendedMode, kFreeOwners, other, VerifyStatus::NotSent,
                   NotSentReason::NotInSecond);
}

std::string StatusText(VerifyStatus status) {
    return ResText(std::string("verify.status.") + StatusName(status));
}

std::string ReasonText(NotSentReason reason) {
    if (reason == NotSentReason::None) return {};
    return ResText(std::string("verify.reason.") + ReasonName(reason));
}

std::string StatusText(const VerifyRow& row) {
    std::string text = StatusText(row.status);
    if (row.reason != NotSentReason::None) text += ": " + ReasonText(row.reason);
    return text;
}

std::string SummaryText(const VerifyCounts& c) {
    std::string text = ResText("verify.summary");
    for (auto [placeholder, n] : {std::pair{"%1", c.Total()},
                                  {"%2", c.equal},
                                  {"%3", c.different},
                                  {"%4", c.notSent},
                                  {"%5", c.notReadable}})
        text = FormatNumber(text, n, placeholder);
    return text;
}

std::string GroupText(KpGroup group) {
    // The items of the query menu name the groups.
    const char* key = "menu.1114";
    switch (group) {
        case KpGroup::Scaling:
            key = "menu.32772";
            break;
        case KpGroup::Limits:
            key = "menu.32773";
            break;
        case KpGroup::DataFormat:
            key = "menu.32774";
            break;
        case KpGroup::CountDirection:
            key = "menu.32775";
            break;
        case KpGroup::StatusBits:
            key = "menu.32776";
            break;
        default:
            break;
    }
    std::string text;
    for (char c : ResText(key)) {
        if (c == '\t') break;
        if (c != '&') text += c;
    }
    return text;
}

std::string FirmwareVersionText(const std::array<char, 4>& characters, bool readOk) {
    int v = 0;
    if (readOk) {
        // The leading decimal digits, as atoi reads them from the terminated text.
        const char text[5] = {characters[0], characters[1], characters[2], characters[3], '\0'};
        v = std::atoi(text) % 10000;
        if (v < 0) v = 0;
    }
    char out[8];
    std::snprintf(out, sizeof out, "%02d.%02d", v / 100, v % 100);
    return out;
}

const char* StatusName(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::Equal:
            return "equal";
        case VerifyStatus::Different:
            return "different";
        case VerifyStatus::NotSent:
            return "notSent";
        case VerifyStatus::NotReadable:
            return "notReadable";
    }
    return "";
}

const char* ReasonName(NotSentReason reason) {
    switch (reason) {
        case NotSentReason::None:
            return "";
        case NotSentReason::ExtendedModeOff:
            return "extendedModeOff";
        case NotSentReason::OtherScaling:
            return "otherScaling";
        case NotSentReason::StatusBitTaken:
            return "statusBitTaken";
        case NotSentReason::InvalidBitPosition:
            return "invalidBitPosition";
        case NotSentReason::SendStops:
            return "sendStops";
        case NotSentReason::NotInSecond:
            return "notInSecond";
    }
    return "";
}

}  // namespace veltrin
