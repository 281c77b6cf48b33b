#pragma once
// The protocol floor of an exchange: every byte on the line at 2400 baud 8N1 (10 bits) plus the
// pauses the block procedure prescribes on both sides. Shared by the benchmarks.
#include <chrono>
#include <cstddef>
#include <cstdio>

#include "link/ByteChannel.h"

namespace veltrin::bench {

using Clock = std::chrono::steady_clock;


constexpr double kSecondsPerByte = 10.0 / 2400.0;
// The pauses of one read exchange that the block procedure prescribes. Ours: 5 ms before STX,
// 5 ms after the encoder's DLE and 5 ms more before the first data byte (the sender's and
// SendData's), 5 ms before our DLE that accepts the reply's STX, 5 ms before our DLE that
// confirms the reply, 30 ms after the reply.
constexpr double kOurPausesSeconds = 0.055;
// The encoder runs the same procedure: 5 ms before its DLE to our STX, before its DLE to our
// block, before its STX and before its first data byte.
constexpr double kEncoderPausesSeconds = 0.020;
constexpr double kPausesPerRead = kOurPausesSeconds + kEncoderPausesSeconds;

class ByteCounter : public WireTrace {
public:
    void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count, Clock::time_point when) override {
        (direction == WireDirection::Sent ? sent : received) += count;
        if (!print) return;
        std::printf("%9.2f ms %s", std::chrono::duration<double, std::milli>(when - start).count(),
                    direction == WireDirection::Sent ? "->" : "<-");
        for (std::size_t i = 0; i < count; ++i) std::printf(" %02X", bytes[i]);
        std::printf("\n");
    }
    bool print = false;
    Clock::time_point start = Clock::now();
    std::size_t sent = 0, received = 0;
};

}  // namespace veltrin::bench
