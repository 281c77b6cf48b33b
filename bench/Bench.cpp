// veltrin-bench: how close read-all and the actual-value readings come to what the line allows.
// The simulated encoder paces every byte at 2400 baud 8N1; the floor of an operation is the time
// its bytes need on the line (10 bits each, counted by a wire trace) plus the pauses the block
// procedure prescribes. The last three lines are read by other tools; keep their form.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/Floor.h"
#include "bench/LineModel.h"
#include "doc/Verify.h"
#include "link/SerialPort.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using veltrin::bench::ByteCounter;
using veltrin::bench::kEncoderPausesSeconds;
using veltrin::bench::kOurPausesSeconds;
using veltrin::bench::kPausesPerRead;
using veltrin::bench::kSecondsPerByte;

struct Measure {
    double seconds = 0;
    std::size_t bytes = 0;
    int telegrams = 0;
    double floor = 0;
};

// Runs op, which makes `reads` read exchanges, and works out its floor.
template <typename Op>
Measure Run(const veltrin::Link& link, ByteCounter& counter, veltrin::sim::EncoderSimulator& sim, int reads,
            Op op) {
    counter.sent = counter.received = 0;
    sim.ResetCounters();
    auto start = Clock::now();
    bool ok = op();
    Measure m;
    m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "veltrin-bench: the operation failed: %s\n", link.DeviceErrorText().c_str());
        std::exit(1);
    }
    auto c = sim.Counters();
    if (c.badBlocks || c.naksSent || c.naksReceived || c.repliesSent != reads) {
        std::fprintf(stderr,
                     "veltrin-bench: the line was not clean (bad blocks %d, NAK %d/%d, replies %d of %d)\n",
                     c.badBlocks, c.naksSent, c.naksReceived, c.repliesSent, reads);
    }
    m.bytes = counter.sent + counter.received;
    m.telegrams = c.blocksReceived;
    m.floor = static_cast<double>(m.bytes) * kSecondsPerByte + reads * kPausesPerRead;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int readings = 30;
    bool modelLine = true;
    bool trace = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--readings") == 0 && i + 1 < argc) {
            readings = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--trace") == 0) {
            trace = true;
        } else if (std::strcmp(argv[i], "--bare-pty") == 0) {
            modelLine = false;
        } else {
            std::fprintf(stderr, "Usage: veltrin-bench [--readings N] [--bare-pty] [--trace]\n");
            return 2;
        }
    }
    if (readings < 1) readings = 1;

    veltrin::sim::SimulatorOptions options;
    options.lineRate = true;
    veltrin::sim::EncoderSimulator sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "veltrin-bench: cannot start the simulated encoder\n");
        return 1;
    }
    veltrin::CSerialPort port;
    port.SetDeviceOverride(sim.DevicePath());
    if (!port.Open()) {
        std::fprintf(stderr, "veltrin-bench: cannot open %s\n", sim.DevicePath().c_str());
        return 1;
    }
    ByteCounter counter;
    counter.print = trace;
    port.SetTrace(&counter);
    // The pseudo-terminal as it is, or with the wire's character times on our side as well.
    veltrin::bench::LineModel line(port);
    veltrin::EncoderSession session;
    veltrin::Link& link = session.link;
    link.SetPort(modelLine ? static_cast<veltrin::ByteChannel*>(&line) : &port);
    veltrin::InitEncoderParameters(session);

    std::printf(
        "line: %s; 2400 baud 8N1, %.3f ms a byte; pauses of a read exchange: %.0f ms ours + %.0f ms the "
        "encoder's\n",
        modelLine ? "pseudo-terminal with the character times of a wire" : "bare pseudo-terminal",
        kSecondsPerByte * 1000, kOurPausesSeconds * 1000, kEncoderPausesSeconds * 1000);

    Measure all = Run(link, counter, sim, 35, [&] { return veltrin::ReadAll(session); });
    std::printf(
        "read-all: 35 exchanges, %zu bytes (%.3f s on the line), pauses %.3f s ours + %.3f s the encoder's\n",
        all.bytes, static_cast<double>(all.bytes) * kSecondsPerByte, 35 * kOurPausesSeconds,
        35 * kEncoderPausesSeconds);

    // Verify reads the firmware version and then what read-all reads, each KP once.
    veltrin::VerifyResult verified;
    Measure verify = Run(link, counter, sim, 36, [&] {
        return veltrin::VerifyEncoder(session, session.parameters, session.statusBitOwners, verified);
    });
    std::printf(
        "verify: 36 exchanges, %zu bytes (%.3f s on the line), %.3f of read-all's time, %d differences\n",
        verify.bytes, static_cast<double>(verify.bytes) * kSecondsPerByte, verify.seconds / all.seconds,
        verified.counts.different);

    Measure actual = Run(link, counter, sim, readings, [&] {
        veltrin::ActualValue value;
        for (int i = 0; i < readings; ++i)
            if (!veltrin::QueryActualValue(session, value)) return false;
        return true;
    });
    std::printf("actual-value: %d readings, %zu bytes (%.3f s on the line), measured %.3f s, floor %.3f s\n",
                readings, actual.bytes, static_cast<double>(actual.bytes) * kSecondsPerByte, actual.seconds,
                actual.floor);

    link.SetPort(nullptr);
    port.Close();
    sim.Stop();

    const double measuredRate = readings / actual.seconds, floorRate = readings / actual.floor;
    std::printf("read-all: measured %.2f s, floor %.2f s, ratio %.3f\n", all.seconds, all.floor,
                all.seconds / all.floor);
    std::printf("actual-value: measured %.1f readings/s, floor %.1f readings/s, ratio %.3f\n", measuredRate,
                floorRate, measuredRate / floorRate);
    std::printf("verify: measured %.2f s, floor %.2f s, ratio %.3f\n", verify.seconds, verify.floor,
                verify.seconds / verify.floor);
    return 0;
}
