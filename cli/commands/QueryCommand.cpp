// query GROUP: one group read from the encoder, as its query dialog reads it.
#include <algorithm>
#include <array>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "params/Operations.h"

namespace veltrin::cli {

namespace {

Json StatusBitValue(const StatusBitQuery& b) {
    return Json{{"on", b.on}, {"activeHigh", b.activeHigh}, {"positionChar", Char8(b.positionChar)}};
}

Json FourChars(const std::array<char, 4>& c) { return Text8(std::string(c.begin(), c.end())); }

Json Bytes4(const std::array<std::uint8_t, 4>& b) { return Json::array({b[0], b[1], b[2], b[3]}); }

// Each reader fills the value of its group; false when the encoder operation failed.
bool Presets(Link& link, Json& result) {
    std::array<char, 4> version{};
    // As the presets dialog: the firmware first; a failed read shows 0000 and goes on.
    if (!QueryFirmwareVersion(version, link)) version = {'0', '0', '0', '0'};
    PresetsQueryResult r;
    if (!QueryPresets(r, link)) return false;
    result = Json{{"internalPreset", r.internalPreset},
                  {"extPreset1", r.extPreset1},
                  {"extPreset2", r.extPreset2},
                  {"presetOffset", r.presetOffset},
                  {"extPreset1On", r.extPreset1On},
                  {"extPreset2On", r.extPreset2On},
                  {"debounceTime", r.debounceTime},
                  {"presetReplyBit5", r.presetReplyBit5},
                  {"presetReplyBit6", r.presetReplyBit6},
                  {"lengthMeasurementOn", r.lengthMeasurementOn},
                  {"extPreset1ActiveBit", r.extPreset1ActiveBit},
                  {"extPreset2ActiveBit", r.extPreset2ActiveBit},
                  {"firmwareVersion", FourChars(version)}};
    return true;
}

bool Scaling(Link& link, Json& result) {
    ScalingQueryResult r;
    if (!QueryScaling(r, link)) return false;
    result = Json{{"factor", FloatNumber(r.factor)},
                  {"steps", r.steps},
                  {"measuringSteps", r.measuringSteps},
                  {"revolutions", r.revolutions}};
    return true;
}

bool Limits(Link& link, Json& result) {
    LimitsQueryResult r;
    if (!QueryLimits(r, link)) return false;
    Json limits = Json::array();
    for (std::size_t i = 0; i < 4; ++i) {
        limits.push_back(Json{{"value", r.value[i]},
                              {"on", r.bit[i].on},
                              {"activeHigh", r.bit[i].activeHigh},
                              {"positionChar", Char8(r.bit[i].positionChar)}});
    }
    result = Json{{"limits", std::move(limits)}};
    return true;
}

bool DataFormat(Link& link, Json& result) {
    DataFormatQueryResult r;
    if (!QueryDataFormat(r, link)) return false;
    result = Json{{"ssi32Bit", r.ssi32Bit},
                  {"bitsTotal", r.bitsTotal},
                  {"nibbleS", r.nibbleS},
                  {"nibbleU", r.nibbleU},
                  {"outputFormat", r.outputFormat},
                  {"outputCode", r.outputCode},
                  {"separateSign", r.separateSign},
                  {"integerRepresentation", r.integerRepresentation},
                  {"positionShift", r.positionShift},
                  {"bitsS", r.bitsS},
                  {"bitsU", r.bitsU}};
    return true;
}

bool CountDirection(Link& link, Json& result) {
    CountDirectionQueryResult r;
    if (!QueryCountDirection(r, link)) return false;
    result = Json{{"backward", r.backward}, {"extSwitchOn", r.extSwitchOn}, {"extSwitchActiveBit", r.extSwitchActiveBit}};
    return true;
}

bool StatusBits(Link& link, Json& result) {
    StatusBitsQueryResult r;
    if (!QueryStatusBits(r, link)) return false;
    result = Json{{"limit1", StatusBitValue(r.limit[0])},      {"limit2", StatusBitValue(r.limit[1])},
                  {"limit3", StatusBitValue(r.limit[2])},      {"limit4", StatusBitValue(r.limit[3])},
                  {"overspeed", StatusBitValue(r.overspeed)},  {"standstill", StatusBitValue(r.standstill)},
                  {"parity", StatusBitValue(r.parity)},        {"encoderError", StatusBitValue(r.encoderError)},
                  {"direction", StatusBitValue(r.direction)},  {"overspeedValue", r.overspeedValue}};
    return true;
}

bool Firmware(Link& link, Json& result) {
    std::array<char, 4> version{};
    if (!QueryFirmwareVersion(version, link)) return false;
    result = Json{{"firmwareVersion", FourChars(version)}};
    return true;
}

bool ConfigRegisterValues(Link& link, Json& result) {
    ConfigRegisters r;
    if (!QueryConfigRegisters(r, link)) return false;
    result = Json{{"kp14", Bytes4(r.kp14)}, {"kp15", Bytes4(r.kp15)}};
    return true;
}

struct Group {
    std::string_view name;
    bool (*read)(Link& link, Json& result);
};

constexpr std::array<Group, 8> kGroups{{
    {"presets", Presets},
    {"scaling", Scaling},
    {"limits", Limits},
    {"data-format", DataFormat},
    {"count-direction", CountDirection},
    {"status-bits", StatusBits},
    {"firmware", Firmware},
    {"config-registers", ConfigRegisterValues},
}};

}  // namespace

int CmdQuery(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& name = c.positional[0];
    auto group = std::find_if(kGroups.begin(), kGroups.end(), [&](const Group& g) { return g.name == name; });
    if (group == kGroups.end()) throw UsageError{Text("cli.error.unknownGroup", name)};
    Json result;
    if (!group->read(s.Encoder(), result)) return s.DeviceFailure();
    Print(s.out(), result, c.Has("--json"));
    return kExitOk;
}

}  // namespace veltrin::cli
