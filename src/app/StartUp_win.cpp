#include <windows.h>
// Needs the types of windows.h.
#include <shellapi.h>

#include <QString>

#include "app/StartUp.h"

namespace veltrin::app {

QStringList ArgumentsOf(int, char**) {
    // argv holds the arguments in the ANSI code page, where a name like "Ωmega.ssi" has no form;
    // the UTF-16 command line has every character.
    QStringList arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return {QStringLiteral("veltrin")};
    for (int i = 0; i < count; ++i) arguments << QString::fromWCharArray(wide[i]);
    ::LocalFree(wide);
    return arguments;
}

namespace {
// A handle the program was given to write into: a file, a pipe, or a console.
bool Usable(HANDLE h) {
    return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void Write(DWORD which, const std::string& text, bool attached) {
    if (text.empty()) return;
    const HANDLE h = ::GetStdHandle(which);
    if (!Usable(h)) return;
    DWORD mode = 0;
    if (attached || ::GetConsoleMode(h, &mode)) {
        // A console shows UTF-16 whatever its code page.
        const std::wstring wide = QString::fromStdString(text).replace("\n", "\r\n").toStdWString();
        DWORD written = 0;
        ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // A file or a pipe gets the same UTF-8 bytes as on Linux.
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
}  // namespace

void WriteCommandLineAnswer(const std::string& out, const std::string& err) {
    // A windows program started from a console has no handles of its own unless they were
    // redirected: it borrows the console of the program that started it for these lines.
    bool attached = false;
    if (!Usable(::GetStdHandle(STD_OUTPUT_HANDLE)) && !Usable(::GetStdHandle(STD_ERROR_HANDLE)) &&
        ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        attached = true;
        ::SetStdHandle(STD_OUTPUT_HANDLE,
                       ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        ::SetStdHandle(STD_ERROR_HANDLE, ::GetStdHandle(STD_OUTPUT_HANDLE));
    }
    Write(STD_OUTPUT_HANDLE, out, attached);
    Write(STD_ERROR_HANDLE, err, attached);
    if (attached) ::FreeConsole();
}

}  // namespace veltrin::app
