// veltrin-bench-series: finding the encoder and programming one, timed against simulated
// encoders that keep the line's speed (2400 baud). Prints
//   scan: N devices in X s (E encoders, S silent)
//   program: send-all, verify and EEPROM store in X s
#include "doc/Series.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "params/Operations.h"
#include "params/Scan.h"
#include "sim/EncoderSimulator.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int encoders = 7, silent = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--encoders") == 0 && i + 1 < argc) {
            encoders = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--silent") == 0 && i + 1 < argc) {
            silent = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "Usage: veltrin-bench-series [--encoders N] [--silent N]\n");
            return 2;
        }
    }
    using veltrin::sim::EncoderSimulator;
    veltrin::sim::SimulatorOptions options;
    options.lineRate = true;
    std::vector<std::unique_ptr<EncoderSimulator>> sims;
    std::vector<std::string> devices;
    for (int i = 0; i < encoders + silent; ++i) {
        sims.push_back(std::make_unique<EncoderSimulator>(options));
        if (!sims.back()->Start()) {
            std::fprintf(stderr, "veltrin-bench-series: cannot start a simulated encoder\n");
            return 1;
        }
        sims.back()->SetSilent(i >= encoders);
        devices.push_back(sims.back()->DevicePath());
    }

    auto start = Clock::now();
    const std::vector<veltrin::ScanResult> results = veltrin::ScanForEncoders(devices);
    const double scanSeconds = SecondsSince(start);
    int found = 0;
    for (const veltrin::ScanResult& r : results) found += r.state == veltrin::ScanState::Found ? 1 : 0;
    if (found != encoders)
        std::fprintf(stderr, "veltrin-bench-series: %d of %d encoders found\n", found, encoders);
    std::printf("scan: %zu devices in %.2f s (%d encoders, %d silent)\n", devices.size(), scanSeconds, found,
                silent);
    if (encoders < 1) return found == encoders ? 0 : 1;

    // One encoder programmed as a production line does it, with the program's own time-outs.
    veltrin::CSerialPort port;
    port.SetDeviceOverride(devices[0]);
    if (!port.Open()) {
        std::fprintf(stderr, "veltrin-bench-series: cannot open %s\n", devices[0].c_str());
        return 1;
    }
    veltrin::EncoderSession session;
    veltrin::Link& link = session.link;
    link.SetPort(&port);
    veltrin::InitEncoderParameters(session);
    session.parameters.limit1Value = -500;
    start = Clock::now();
    const veltrin::ProgramOutcome o = veltrin::ProgramEncoder(session, {true, true});
    const double programSeconds = SecondsSince(start);
    if (o.result != veltrin::ProgramResult::Programmed) {
        std::fprintf(stderr, "veltrin-bench-series: programming failed: %s\n", o.error.c_str());
        return 1;
    }
    std::printf("program: send-all, verify and EEPROM store in %.2f s\n", programSeconds);
    link.SetPort(nullptr);
    return found == encoders ? 0 : 1;
}
