#pragma once
// The encoder the GUI tests talk to. On Linux: the simulator in the test process, on a
// pseudo-terminal. On Windows (under Wine) the test process can make no pseudo-terminal: the
// Linux veltrin-sim that scripts/test-windows.sh starts stands behind the COM port named in
// VELTRIN_COM_ENCODER, and only what a port offers is at hand (Start, Stop, DevicePath). Tests
// that look into the encoder (its telegrams, replies and faults set per test) are built on
// Linux only (CMakeLists.txt names them).
#ifdef _WIN32
#include <QByteArray>
#include <string>
#else
#include "sim/EncoderSimulator.h"
#endif

namespace veltrin::test {

#ifdef _WIN32
class ComPortEncoder {
public:
    /// False when the script named no port.
    bool Start() {
        device_ = qgetenv("VELTRIN_COM_ENCODER").toStdString();
        return !device_.empty();
    }
    void Stop() {}
    const std::string& DevicePath() const { return device_; }

private:
    std::string device_;
};
using TestEncoder = ComPortEncoder;
#else
using TestEncoder = sim::EncoderSimulator;
#endif

}  // namespace veltrin::test
