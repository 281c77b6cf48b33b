#pragma once
// Deadlines on the monotonic clock and the procedure's fixed pauses.
#include <chrono>
#include <thread>

namespace veltrin {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;
    explicit Deadline(int ms) : end_(Clock::now() + std::chrono::milliseconds(ms > 0 ? ms : 0)) {}
    /// Milliseconds left, rounded up so that a wait of the result never ends before the deadline.
    int RemainingMs() const {
        auto left = end_ - Clock::now();
        if (left <= Clock::duration::zero()) return 0;
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    bool Expired() const { return Clock::now() >= end_; }

private:
    Clock::time_point end_;
};

/// Sleeps at least ms milliseconds.
inline void PauseMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace veltrin
