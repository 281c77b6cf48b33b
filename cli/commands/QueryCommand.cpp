// query GROUP: one group read from the encoder, as its query dialog reads it.
#include <algorithm>
#include <array>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "params/Operations.h"

namespace veltrin::cli {

namespace {

// The groups speak the language of show and set: the parameter set's member names, and flags
// as 0 or 1, decoded as read-all stores them. What is not a member keeps a name of its own
// (firmwareVersion, the KP 20 copies nibbleS and nibbleU, the registers kp14 and kp15).
int Flag(std::int32_t maskedBit) { return maskedBit != 0 ? 1 : 0; }

// One status-bit configuration as its three members: position 1 to 8, on, activeLow.
void AddStatusBit(Json& result, const std::string& prefix, const StatusBitQuery& b) {
    result[prefix + "BitPosition"] = b.positionChar - '0';
    result[prefix + "BitOn"] = Flag(b.on);
    result[prefix + "BitActiveLow"] = b.activeHigh != 0 ? 0 : 1;
}

Json FourChars(const std::array<char, 4>& c) { return Text8(std::string(c.begin(), c.end())); }

Json Bytes4(const std::array<std::uint8_t, 4>& b) { return Json::array({b[0], b[1], b[2], b[3]}); }

// Each reader fills the value of its group; false when the encoder operation failed.
bool Presets(EncoderSession& encoder, Json& result) {
    std::array<char, 4> version{};
    // As the presets dialog: the firmware first; a failed read shows 0000 and goes on.
    if (!QueryFirmwareVersion(encoder, version)) version = {'0', '0', '0', '0'};
    PresetsQueryResult r;
    if (!QueryPresets(encoder, r)) return false;
    result = Json{{"internalPreset", r.internalPreset},
                  {"extPreset1", r.extPreset1},
                  {"extPreset2", r.extPreset2},
                  {"presetOffset", r.presetOffset},
                  {"extPreset1On", Flag(r.extPreset1On)},
                  {"extPreset2On", Flag(r.extPreset2On)},
                  {"debounceTime", r.debounceTime},
                  {"presetReplyBit5Clear", 1 - Flag(r.presetReplyBit5)},
                  {"presetReplyBit6Clear", 1 - Flag(r.presetReplyBit6)},
                  {"lengthMeasurementOn", Flag(r.lengthMeasurementOn)},
                  {"extPreset1ActiveHigh", Flag(r.extPreset1ActiveBit)},
                  {"extPreset2ActiveHigh", Flag(r.extPreset2ActiveBit)},
                  {"firmwareVersion", FourChars(version)}};
    return true;
}

bool Scaling(EncoderSession& encoder, Json& result) {
    ScalingQueryResult r;
    if (!QueryScaling(encoder, r)) return false;
    // The factor as read-all stores it (and set takes it back); the one steps value of the
    // encoder stands for both steps members, as read-all fills both.
    char factor[kScalingTextSize];
    ScalingFactorTextFromWire(r.factorWire, factor);
    result = Json{{"scalingFactorText", Text8(std::string(factor, sizeof factor))},
                  {"stepsForMeasuringSteps", r.steps},
                  {"measuringSteps", r.measuringSteps},
                  {"stepsForRevolutions", r.steps},
                  {"revolutions", r.revolutions}};
    return true;
}

bool Limits(EncoderSession& encoder, Json& result) {
    LimitsQueryResult r;
    if (!QueryLimits(encoder, r)) return false;
    result = Json::object();
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string limit = "limit" + std::to_string(i + 1);
        result[limit + "Value"] = r.value[i];
        AddStatusBit(result, limit, r.bit[i]);
    }
    return true;
}

bool DataFormat(EncoderSession& encoder, Json& result) {
    DataFormatQueryResult r;
    if (!QueryDataFormat(encoder, r)) return false;
    result = Json{{"ssiConfiguration", r.ssi32Bit != 0 ? 0 : 1},
                  {"bitsTotal", r.bitsTotal},
                  {"nibbleS", r.nibbleS},
                  {"nibbleU", r.nibbleU},
                  {"outputFormat", r.outputFormat},
                  {"outputCode", r.outputCode},
                  {"numberRepresentation", r.separateSign != 0 ? 2 : Flag(r.integerRepresentation)},
                  {"positionShift", r.positionShift},
                  {"bitsS", r.bitsS},
                  {"bitsU", r.bitsU}};
    return true;
}

bool CountDirection(EncoderSession& encoder, Json& result) {
    CountDirectionQueryResult r;
    if (!QueryCountDirection(encoder, r)) return false;
    result = Json{{"countDirectionBackward", Flag(r.backward)},
                  {"extDirSwitchOn", Flag(r.extSwitchOn)},
                  {"extDirSwitchActiveHigh", Flag(r.extSwitchActiveBit)}};
    return true;
}

bool StatusBits(EncoderSession& encoder, Json& result) {
    StatusBitsQueryResult r;
    if (!QueryStatusBits(encoder, r)) return false;
    result = Json::object();
    for (std::size_t i = 0; i < 4; ++i) AddStatusBit(result, "limit" + std::to_string(i + 1), r.limit[i]);
    AddStatusBit(result, "overspeed", r.overspeed);
    AddStatusBit(result, "standstill", r.standstill);
    AddStatusBit(result, "parity", r.parity);
    AddStatusBit(result, "encoderError", r.encoderError);
    AddStatusBit(result, "direction", r.direction);
    result["overspeedValue"] = r.overspeedValue;
    return true;
}

bool Firmware(EncoderSession& encoder, Json& result) {
    std::array<char, 4> version{};
    if (!QueryFirmwareVersion(encoder, version)) return false;
    result = Json{{"firmwareVersion", FourChars(version)}};
    return true;
}

bool ConfigRegisterValues(EncoderSession& encoder, Json& result) {
    ConfigRegisters r;
    if (!QueryConfigRegisters(encoder, r)) return false;
    result = Json{{"kp14", Bytes4(r.kp14)}, {"kp15", Bytes4(r.kp15)}};
    return true;
}

struct Group {
    std::string_view name;
    bool (*read)(EncoderSession& encoder, Json& result);
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
