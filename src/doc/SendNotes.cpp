#include "doc/SendNotes.h"

#include <initializer_list>
#include <iterator>

#include "res/Resources.h"

namespace veltrin {

namespace {
/// "%1", "%2", "%3" in text replaced by the arguments, in one pass (an argument may hold "%").
std::string Fill(const std::string& text, std::initializer_list<std::string> args) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}
}  // namespace

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
    return Fill(ResText("send.refused"), {ParameterName(kp), std::to_string(KpNumber(kp))});
}

std::string RefusedParameterText(const SendReport& report, const Link& link) {
    if (!report.failedWrite || !link.deviceError.nakReceived) return {};
    return RefusedParameterText(*report.failedWrite);
}

std::string SendFailureText(const SendReport& report, const Link& link) {
    if (report.invalidScalingSelection)
        return Fill(ResText("send.scalingSelection"), {std::to_string(*report.invalidScalingSelection)});
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
                    ? Fill(ResText("send.withheld.taken"), {name, position, StatusBitOwnerText(w.holder)})
                    : Fill(ResText("send.withheld.invalid"), {name, position});
    }
    return Fill(ResText("send.withheld"), {list});
}

}  // namespace veltrin
