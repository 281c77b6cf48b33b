#include <windows.h>
// Needs the types of windows.h.
#include <shellapi.h>

#include "cli/Console.h"
#include "res/Utf16_win.h"

namespace veltrin::cli {

namespace {
bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}
}  // namespace

// The program writes UTF-8; a console shows its output in the console's code page, so for
// this run that is UTF-8. Output into a file or a pipe stays the same bytes as on Linux.
Console::Console() {
    if (IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE)) {
        savedOutputCodePage_ = ::GetConsoleOutputCP();
        if (!::SetConsoleOutputCP(CP_UTF8)) savedOutputCodePage_ = 0;
    }
}

Console::~Console() {
    if (savedOutputCodePage_ != 0) ::SetConsoleOutputCP(savedOutputCodePage_);
}

std::vector<std::string> Console::Arguments(int, char**) const {
    // argv holds the arguments in the ANSI code page, where a name like "Ωmega.ssi" has no
    // form; the UTF-16 command line has every character.
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

bool Console::ErrorIsTerminal() const { return IsConsole(STD_ERROR_HANDLE); }

bool Console::OutputIsLiveTerminal() const {
    // A console of Windows 10 and later takes control sequences once asked to; the mode stays
    // for the console's life, which is harmless (other programs ask for it the same way).
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(out, &mode)) return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace veltrin::cli
