#pragma once
// Why a serial device cannot be opened, in words a user can act on. The port message "Der
// Anschluß COM %d kann nicht geöffnet werden !" stays as it is; the text built here is its
// second line, naming the device and the reason the operating system gave. The interface
// dialog shows the same diagnosis, found without opening the device, beside each binding.
// One file per platform classifies the system's error codes: PortDiagnosis_unix.cpp (errno,
// the device's owning group, the lock table in /proc/locks) and PortDiagnosis_win.cpp.
#include <string>

namespace veltrin {

enum class PortProblem {
    None,          ///< opened (or never tried); for CheckDevice: looks usable
    Missing,       ///< there is no such device
    NoHardware,    ///< the device node exists, but no port answers behind it
    NoPermission,  ///< this user may not open it
    InUse,         ///< another program (or another port object) holds it
    NotSerial,     ///< it exists but is no serial line (a file, /dev/null, ...)
    Other,         ///< any other failure; systemText says which
};

struct PortDiagnosis {
    PortProblem problem = PortProblem::None;
    std::string device;      ///< the device that was tried
    std::string group;       ///< NoPermission: the group that owns the device ("dialout"), if any
    long holderPid = 0;      ///< InUse: a process holding the device, 0 when nothing tells
    std::string holderName;  ///< its command name
    int systemError = 0;     ///< errno (POSIX) or GetLastError() (Windows)
    std::string systemText;  ///< the system's own words for systemError
};

/// Classifies a failed open of device. systemError is what the failing step reported: the
/// open call's error, ENOTTY / ERROR_INVALID_FUNCTION when the device is no serial line, the
/// lock's EWOULDBLOCK. Looks up the owning group and the holder where they apply.
PortDiagnosis DiagnoseOpenFailure(const std::string& device, int systemError);

/// Looks at a device without opening it (opening a serial line raises DTR, which resets some
/// attached devices): whether it exists, whether this user may open it, whether another
/// process holds it. problem None: nothing speaks against opening it.
PortDiagnosis CheckDevice(const std::string& device);

/// The second line of the port message, from the resources in force; empty for None.
std::string PortDiagnosisText(const PortDiagnosis& d);
/// The short state for the interface dialog ("vorhanden, kann geöffnet werden", "gibt es
/// nicht", ...), from the resources in force.
std::string PortStateText(const PortDiagnosis& d);

}  // namespace veltrin
