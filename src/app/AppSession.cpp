#include "app/AppSession.h"

namespace veltrin {

EncoderSession& TheSession() {
    static EncoderSession session;
    return session;
}

Link& TheLink() { return TheSession().link; }

// Bound when the program starts, before main; nothing else touches them that early.
EncoderParameters& encoderParameters = TheSession().parameters;
StatusBitOwners& statusBitOwners = TheSession().statusBitOwners;
std::int32_t& ExtendedMode = TheSession().extendedMode;

}  // namespace veltrin
