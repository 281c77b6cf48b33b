#pragma once
// The application's one encoder session, and the names the program has always known its parts
// by: TheLink() on its one serial port, the parameter set encoderParameters being edited, the
// status-bit owners statusBitOwners and the extended-mode flag ExtendedMode. They are aliases
// of the session's members, nothing of their own. Only the program (the windows and dialogs)
// uses them; the command-line tool and the tests make sessions of their own.
#include <cstdint>

#include "params/EncoderSession.h"

namespace veltrin {

/// The application's session.
EncoderSession& TheSession();
/// Its link.
Link& TheLink();

extern EncoderParameters& encoderParameters;
extern StatusBitOwners& statusBitOwners;
extern std::int32_t& ExtendedMode;

}  // namespace veltrin
