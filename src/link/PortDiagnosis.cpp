// The texts of a port diagnosis (the classification is per platform).
#include "link/PortDiagnosis.h"

#include <initializer_list>
#include <string_view>

#include "res/Resources.h"

namespace veltrin {

namespace {

std::string Fill(std::string_view key, std::initializer_list<std::string_view> args) {
    return FillArguments(ResText(key), args);
}

// The group advice makes sense only for a group a user can be put into.
bool HasUsefulGroup(const PortDiagnosis& d) { return !d.group.empty() && d.group != "root"; }

}  // namespace

std::string PortDiagnosisText(const PortDiagnosis& d) {
    switch (d.problem) {
        case PortProblem::None:
            return {};
        case PortProblem::Missing:
            return Fill("port.missing", {d.device});
        case PortProblem::NoHardware:
            return Fill("port.noHardware", {d.device});
        case PortProblem::NoPermission:
            return HasUsefulGroup(d) ? Fill("port.noPermission.group", {d.device, d.group})
                                     : Fill("port.noPermission", {d.device});
        case PortProblem::InUse:
            return d.holderPid > 0
                       ? Fill("port.inUse.by", {d.device, std::to_string(d.holderPid), d.holderName})
                       : Fill("port.inUse", {d.device});
        case PortProblem::NotSerial:
            return Fill("port.notSerial", {d.device});
        case PortProblem::Other:
            return Fill("port.other", {d.device, d.systemText});
    }
    return {};
}

std::string PortStateText(const PortDiagnosis& d) {
    switch (d.problem) {
        case PortProblem::None:
            return Fill("port.state.ok", {});
        case PortProblem::Missing:
            return Fill("port.state.missing", {});
        case PortProblem::NoHardware:
            return Fill("port.state.noHardware", {});
        case PortProblem::NoPermission:
            return HasUsefulGroup(d) ? Fill("port.state.noPermission.group", {d.group})
                                     : Fill("port.state.noPermission", {});
        case PortProblem::InUse:
            return d.holderPid > 0 ? Fill("port.state.inUse.by", {std::to_string(d.holderPid), d.holderName})
                                   : Fill("port.state.inUse", {});
        case PortProblem::NotSerial:
            return Fill("port.state.notSerial", {});
        case PortProblem::Other:
            return Fill("port.state.other", {d.systemText});
    }
    return {};
}

}  // namespace veltrin
