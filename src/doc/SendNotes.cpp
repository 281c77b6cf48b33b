#include "doc/SendNotes.h"

#include <initializer_list>
#include <iterator>

#include "res/Resources.h"

namespace veltrin {

std::string ParameterName(Kp kp) { return ResText("send.kp." + std::to_string(KpNumber(kp))); }

std::string StatusBitOwnerText(std::int32_t owner) {
    static constexpr const char* kKeys[] = {
        "dialog.142.limit1", "dialog.142.limit2",       "dialog.142.limit3",
        "dialog.142.limit4", "dialog.142.overspeed",    "dialog.142.standstill",
        "dialog.142.parity", "dialog.142.encoderError", "dialog.142.direction"};
    if (owner < 1 || owner > static_cast<std::int32_t>(std::size(kKeys))) return std::to_string(owner);
    return ResText(kKeys[owner - 1]);
}

std::string RefusedParameterText(Kp kp) {
    return FillArguments(ResText("send.refused"), {ParameterName(kp), std::to_string(KpNumber(kp))});
}

std::string RefusedParameterText(const SendReport& report, const Link& link) {
    if (!report.failedWrite || !link.deviceError.nakReceived) return {};
    return RefusedParameterText(*report.failedWrite);
}

std::string SendFailureText(const SendReport& report, const Link& link) {
    if (report.invalidScalingSelection)
        return FillArguments(ResText("send.scalingSelection"), {std::to_string(*report.invalidScalingSelection)});
    std::string text = link.DeviceErrorText();
    if (const std::string refused = RefusedParameterText(report, link); !refused.empty())
        text += "\n" + refused;
    return text;
}

std::string WithheldText(const SendReport& report) {
    if (report.withheld.empty()) return {};
    std::string list;
    for (const WithheldStatusBit& w : report.withheld) {
        if (!list.empty()) list += ", ";
        const std::string name = StatusBitOwnerText(w.owner);
        const std::string position = std::to_string(w.position);
        list += w.holder != 0
                    ? FillArguments(ResText("send.withheld.taken"), {name, position, StatusBitOwnerText(w.holder)})
                    : FillArguments(ResText("send.withheld.invalid"), {name, position});
    }
    return FillArguments(ResText("send.withheld"), {list});
}

}  // namespace veltrin
