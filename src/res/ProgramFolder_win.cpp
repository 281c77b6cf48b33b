#include <windows.h>

#include <string>

#include "res/ProgramFolder.h"
#include "res/Utf16_win.h"

namespace veltrin {

std::string ProgramFolder() {
    // The module's name may be longer than MAX_PATH (a long-path folder): grow the buffer until
    // the name fits, which GetModuleFileNameW tells by not filling it.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return ".";
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        if (name.size() >= (1u << 16)) return ".";
        name.resize(name.size() * 2);
    }
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ".";
    // "C:\veltrin.exe" lies in "C:\", not in the drive-relative "C:".
    if (slash == 2 && name[1] == L':') return Utf8FromWide(name.substr(0, 3));
    return Utf8FromWide(name.substr(0, slash));
}

}  // namespace veltrin
