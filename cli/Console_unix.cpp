#include <unistd.h>

#include "cli/Console.h"

namespace veltrin::cli {

// A terminal here takes UTF-8 as it is, and the arguments arrive as the bytes that were typed.
Console::Console() = default;
Console::~Console() = default;

std::vector<std::string> Console::Arguments(int argc, char** argv) const {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool Console::ErrorIsTerminal() const { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace veltrin::cli
