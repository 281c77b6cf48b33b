#pragma once
// Where the running program lies: its English texts and its help are found beside it (in the
// build tree) or in the installed share folder. One file per platform implements it.
#include <string>

namespace veltrin {

/// The folder of the running program's executable, without a trailing separator; "." when
/// the platform cannot tell.
std::string ProgramFolder();

}  // namespace veltrin
