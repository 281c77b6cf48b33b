#pragma once
// Our end of a 2400 baud 8N1 line, laid over a pseudo-terminal. A pseudo-terminal moves bytes at
// once, and the simulated encoder paces only the spacing of bytes, so a byte would reach the other
// side at the start of its character time instead of at its end. This channel adds what the
// wire does: a byte we send reaches the encoder one character time after the transmitter is free
// (and Write returns then, as a drained UART's does), and a byte the encoder sends becomes ours
// one character time after it left. Everything else goes to the port beneath.
#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

#include "link/ByteChannel.h"

namespace veltrin::bench {

class LineModel : public ByteChannel {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kCharTime = std::chrono::microseconds(10'000'000 / 2400);

    explicit LineModel(ByteChannel& port) : port_(port) {}

    bool IsOpen() const override { return port_.IsOpen(); }
    int PortNumber() const override { return port_.PortNumber(); }

    std::uint32_t InputCount() override {
        Pull();
        return Ready();
    }

    bool WaitForInput(int timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
        for (;;) {
            Pull();
            if (Ready() > 0) return true;
            auto now = Clock::now();
            if (now >= deadline) return false;
            if (!queue_.empty()) {
                std::this_thread::sleep_until(std::min(queue_.front().at, deadline));
            } else {
                auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
                port_.WaitForInput(static_cast<int>(left));
            }
        }
    }

    std::uint32_t Read(std::uint32_t count) override {
        Pull();
        if (count == 0) count = 511;
        std::uint32_t n = 0;
        const auto now = Clock::now();
        while (n < count && n < sizeof buffer_ && !queue_.empty() && queue_.front().at <= now) {
            buffer_[n++] = queue_.front().byte;
            queue_.pop_front();
        }
        return n;
    }
    const std::uint8_t* ReadBuffer() const override { return buffer_; }

    bool Write(const std::uint8_t* bytes, std::uint32_t length) override {
        for (std::uint32_t i = 0; i < length; ++i) {
            txFree_ = std::max(Clock::now(), txFree_) + kCharTime;
            std::this_thread::sleep_until(txFree_);
            if (!port_.Write(bytes + i, 1)) return false;
        }
        return true;
    }

    void Purge() override {
        Pull();
        // Only what has arrived is discarded; a character still on the wire arrives later.
        const auto now = Clock::now();
        while (!queue_.empty() && queue_.front().at <= now) queue_.pop_front();
        port_.Purge();
    }

private:
    struct Entry {
        std::uint8_t byte;
        Clock::time_point at;
    };

    void Pull() {
        while (port_.InputCount() > 0) {
            std::uint32_t got = port_.Read(0);
            if (got == 0) break;
            const auto seen = Clock::now();
            for (std::uint32_t i = 0; i < got; ++i) {
                auto at = seen + kCharTime;
                if (!queue_.empty()) at = std::max(at, queue_.back().at + kCharTime);
                queue_.push_back({port_.ReadBuffer()[i], at});
            }
        }
    }
    std::uint32_t Ready() const {
        const auto now = Clock::now();
        std::uint32_t n = 0;
        for (const auto& e : queue_) {
            if (e.at > now) break;
            ++n;
        }
        return n;
    }

    ByteChannel& port_;
    std::deque<Entry> queue_;
    Clock::time_point txFree_{};
    std::uint8_t buffer_[512] = {};
};

}  // namespace veltrin::bench
