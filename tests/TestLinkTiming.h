#pragma once
// The link time-outs of the tests that talk to the simulated encoder. Shorter than the encoder's
// 550 and 200 ms, so that a test of a silent or refusing encoder stays quick; and far longer
// than a busy machine may keep the simulator from answering (on two shared cores it was seen
// to stall for more than 100 ms), so that an exchange a test expects to go through is never
// cut short by the load.
#include "link/Link.h"

namespace veltrin::test {

inline constexpr int kTestHandshakeTimeoutMs = 250;
inline constexpr int kTestCharTimeoutMs = 200;

/// Sets the tests' time-outs on channel 1; the retries stay as they are.
inline void UseTestTimeouts(LinkTiming& timing) {
    timing.handshakeTimeoutMs[kChannel] = kTestHandshakeTimeoutMs;
    timing.charTimeoutMs[kChannel] = kTestCharTimeoutMs;
}

}  // namespace veltrin::test
