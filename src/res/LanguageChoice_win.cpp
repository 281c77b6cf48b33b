// The program keeps its settings (QSettings, native format) in the registry:
// HKEY_CURRENT_USER\Software\Veltrin\Veltrin\Global, value "Language" (a DWORD, or a text).
#include <windows.h>

#include <cstdint>
#include <string>

#include "res/LanguageChoice.h"

namespace veltrin {

std::optional<long long> StoredLanguageSetting() {
    const char* key = "Software\\Veltrin\\Veltrin\\Global";
    DWORD number = 0;
    DWORD size = sizeof number;
    if (::RegGetValueA(HKEY_CURRENT_USER, key, "Language", RRF_RT_REG_DWORD, nullptr, &number, &size) ==
        ERROR_SUCCESS)
        return static_cast<long long>(static_cast<std::int32_t>(number));
    char text[64];
    size = sizeof text;
    if (::RegGetValueA(HKEY_CURRENT_USER, key, "Language", RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return LanguageFromIni(std::string("[Global]\nLanguage=") + text);
}

}  // namespace veltrin
