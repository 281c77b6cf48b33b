#pragma once
// The steps of read-all, each a read of one parameter and the storing of its reply into the
// parameter set. Storing is kept apart from the exchange so that it can be run on any reply.
#include <functional>

#include "link/Link.h"
#include "params/Catalogue.h"
#include "params/EncoderParameters.h"

namespace veltrin {

/// Read-all reads this many parameters, in step order 1 to kReadAllSteps.
inline constexpr int kReadAllSteps = 35;

/// The parameter that step (1 to kReadAllSteps) reads; Kp::ActualValue for any other step.
Kp ReadAllStepKp(int step);

/// Stores the reply of step (1 to kReadAllSteps) into p. Reads only b1 to b3 of the reply,
/// whatever its count; flags are stored as 0 or 1. A step outside the range stores nothing.
void StoreReadAllReply(int step, const ReplyBlock& reply, EncoderParameters& p);

/// The exchanges of read-all: reads steps 1 to kReadAllSteps in order and hands each reply to
/// take as soon as it has arrived. The last step (the position shift) is forgiven a failed
/// reply: take gets nullptr for it and the result is still true. Any other failure, and a failed
/// request of the last step, ends it with false.
bool ReadAllReplies(Link& link, const std::function<void(int step, const ReplyBlock* reply)>& take);

}  // namespace veltrin
