#pragma once
// EncoderSession: what a conversation with one encoder keeps between its operations. Every
// encoder operation takes the session it works in; two sessions share nothing, so several
// encoders on several ports may be served side by side, one thread per session.
#include <array>
#include <cstdint>

#include "link/Link.h"
#include "params/EncoderParameters.h"

namespace veltrin {

/// The owner of each status-bit position 0 to 7; 0 free, 1-4 limits 1-4, 5 overspeed,
/// 6 standstill, 7 parity, 8 encoder error, 9 direction.
using StatusBitOwners = std::array<std::int32_t, 8>;

struct EncoderSession {
    /// The link to the encoder (its port is set by whoever opens one).
    Link link;
    /// The parameter set being edited, read or sent.
    EncoderParameters parameters{};
    /// The positions this session has sent status bits to, and for which function.
    StatusBitOwners statusBitOwners{};
    /// Extended functions switched on (service mode): 0 or 1.
    std::int32_t extendedMode = 0;
};

/// The start-up parameter set.
EncoderParameters DefaultEncoderParameters();

/// Start-up values: link timing, status-bit owners cleared, parameter set defaults. The
/// extended mode and the link's port are left as they are.
void InitEncoderParameters(EncoderSession& session);

}  // namespace veltrin
