#pragma once
// The seam under the block procedure: a byte channel with the few operations the procedure is
// built from. CSerialPort is the real one; tests and fuzzers may put their own underneath.
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "link/PortDiagnosis.h"

namespace veltrin {

enum class WireDirection { Sent, Received };

/// Sees every byte a channel writes or reads, with its direction and time. Optional.
class WireTrace {
public:
    virtual ~WireTrace() = default;
    virtual void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                         std::chrono::steady_clock::time_point when) = 0;
};

class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    /// Whether the channel is open. The link tests this before every telegram.
    virtual bool IsOpen() const = 0;
    /// The port number n shown in the port message ("COM n").
    virtual int PortNumber() const = 0;
    /// Why the channel did not open, for the second line of the port message (None: no reason known).
    virtual PortDiagnosis OpenFailure() const { return {}; }
    /// Received bytes waiting. Never blocks; clears line errors.
    virtual std::uint32_t InputCount() = 0;
    /// Blocks until at least one received byte is waiting or timeoutMs has passed (monotonic
    /// clock); returns whether a byte is waiting. A time-out of 0 or less only looks.
    virtual bool WaitForInput(int timeoutMs) = 0;
    /// Reads up to count bytes (0 means 511) into ReadBuffer(); returns how many arrived. Never blocks.
    virtual std::uint32_t Read(std::uint32_t count) = 0;
    virtual const std::uint8_t* ReadBuffer() const = 0;
    /// Writes the bytes and returns only when they have left the port, or false after
    /// 20 ms per byte + 200 ms. Nothing of them is left buffered on success.
    virtual bool Write(const std::uint8_t* bytes, std::uint32_t length) = 0;
    /// Discards received input that has not been read. Written bytes are never discarded:
    /// Write has already drained them, and the encoder may still be reading them.
    virtual void Purge() = 0;

    void SetTrace(WireTrace* trace) { trace_ = trace; }
    WireTrace* Trace() const { return trace_; }

protected:
    void NotifyTrace(WireDirection direction, const std::uint8_t* bytes, std::size_t count) const {
        if (trace_ && count > 0) trace_->OnBytes(direction, bytes, count, std::chrono::steady_clock::now());
    }

private:
    WireTrace* trace_ = nullptr;
};

}  // namespace veltrin
