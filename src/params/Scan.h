#pragma once
// Finding the encoder: which of a list of serial devices has an encoder behind it, and waiting
// on one device until an encoder answers there (or is gone).
//
// A probe opens the device on a port and a link of its own, makes one firmware-version read
// (KP 31) with short time-outs and closes the device again. A device that does not open (busy,
// no permission, missing, no serial line) is reported with the port diagnosis, and nothing is
// written to it. On the line goes the read request and nothing else but the block procedure's
// own DLE and NAK answers: a refused request is not followed by the error-status request. The
// program's one link, its port and the parameter set are not touched.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "link/Link.h"
#include "link/PortDiagnosis.h"

namespace veltrin {

/// The time-outs of a probe. The encoder answers STX with DLE within a few milliseconds (its own
/// 5 ms turnaround and one character of 4.2 ms); 300 ms for that handshake and for the start of
/// its reply leave room for a USB adapter's latency and a loaded machine, at about half the
/// 550 ms of an ordinary exchange. Two attempts: a first STX may meet an encoder that still
/// finishes an exchange another program broke off, or a line with a glitch from the opening
/// (DTR raised); the second attempt after the procedure's purge gets through. A device that
/// never answers thus costs about 2 × 305 ms.
LinkTiming ProbeTiming();

enum class ScanState : std::uint8_t {
    Found,      ///< an encoder answered with its firmware version
    NoEncoder,  ///< the device opened, no encoder answered
    NotOpened,  ///< the device did not open (diagnosis says why); nothing was sent
};

struct ScanResult {
    std::string device;
    ScanState state = ScanState::NoEncoder;
    PortDiagnosis diagnosis;         ///< NotOpened: why
    std::array<char, 4> firmware{};  ///< Found: the four characters of KP 31
};

struct ScanOptions {
    LinkTiming timing = ProbeTiming();
    /// Devices probed at the same time (one thread each, the caller's thread among them).
    int maxParallel = 16;
};

/// The same device under two names gives the same key: a link and its target.
std::string DeviceKey(const std::string& device);

/// The candidates when none are given: the machine's serial devices (SerialDevices()).
std::vector<std::string> ScanCandidates();

/// Probes every device, several side by side; the results come in the order of devices. Names
/// that lead to the same device (a link in /dev/serial/by-id and its ttyUSB) are probed once
/// and share the result. Blocks until every probe has ended: about 0.6 s at most for a device
/// that does not answer, some 0.2 s for an encoder, a few milliseconds for one that does not
/// open; with more devices than maxParallel that do not answer, a multiple of that.
std::vector<ScanResult> ScanForEncoders(const std::vector<std::string>& devices,
                                        const ScanOptions& options = {});

/// One firmware-version read on the link's open port, with the link's timing: the read request
/// of KP 31 and the reply, no error-status request. True when an encoder answered with four
/// version characters (0x30 to 0x3F). False at once, without a message, when the port is not
/// open.
bool ProbeFirmware(Link& link, std::array<char, 4>& firmware);

/// Number of failed reads in a row after which an encoder counts as gone.
inline constexpr int kAbsentReads = 2;

/// Polls the link's device with ProbeFirmware (ProbeTiming, the link's own timing given back
/// at the end), one read every intervalMs, until an encoder answers (present true; its
/// firmware characters into *firmware) or until kAbsentReads reads in a row found none
/// (present false). afterFailedPoll, when given, runs after each read that found no encoder
/// (the caller may reopen the port there). Returns true when that state was reached, false
/// when the link's stop request ended the wait (looked at every 50 ms at least).
bool AwaitEncoder(Link& link, bool present, int intervalMs, std::array<char, 4>* firmware = nullptr,
                  const std::function<void()>& afterFailedPoll = {});

}  // namespace veltrin
