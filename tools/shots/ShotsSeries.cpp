// The scene of the interface dialog's "Suchen": the result of a scan as a machine with a USB
// adapter would give it (made up here, nothing is probed).
#include "Shots.h"
#include "params/Scan.h"
#include "ui/main/ScanDialog.h"

namespace veltrin::shots {
namespace {

ScanResult Result(const char* device, ScanState state, PortProblem problem = PortProblem::None,
                  const char* group = "") {
    ScanResult r;
    r.device = device;
    r.state = state;
    r.diagnosis.device = device;
    r.diagnosis.problem = problem;
    r.diagnosis.group = group;
    r.firmware = {'0', '1', '0', '4'};
    return r;
}

VELTRIN_SHOT("scan", [] {
    const std::vector<ScanResult> results{
        Result("/dev/ttyS0", ScanState::NoEncoder),
        Result("/dev/ttyS1", ScanState::NotOpened, PortProblem::NoHardware),
        Result("/dev/ttyUSB0", ScanState::Found),
        Result("/dev/ttyUSB1", ScanState::NotOpened, PortProblem::NoPermission, "dialout"),
        Result("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZP3V-if00-port0", ScanState::Found),
    };
    return new ui::CScanDialog(results, 2, Owner());
});

}  // namespace
}  // namespace veltrin::shots
