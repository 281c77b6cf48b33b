#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "cli/Console.h"

namespace veltrin::cli {

// A terminal here takes UTF-8 as it is, and the arguments arrive as the bytes that were typed.
Console::Console() = default;
Console::~Console() = default;

std::vector<std::string> Console::Arguments(int argc, char** argv) const {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool Console::ErrorIsTerminal() const { return ::isatty(STDERR_FILENO) != 0; }

bool Console::OutputIsLiveTerminal() const {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) != 0 && term && *term && std::string_view(term) != "dumb";
}

}  // namespace veltrin::cli
