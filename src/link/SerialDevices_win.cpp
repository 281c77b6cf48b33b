#include <windows.h>

#include "link/SerialDevices.h"
#include "res/Utf16_win.h"

namespace veltrin {

std::vector<std::string> SerialDevices() {
    // Every serial port driver enters its ports here: value name the driver's device, data the
    // COM name ("COM3").
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[64] = {};
        DWORD type = 0, dataSize = sizeof data - sizeof(wchar_t);  // room for a terminator
        const LONG r = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        std::wstring port(data, dataSize / sizeof(wchar_t));
        while (!port.empty() && port.back() == L'\0') port.pop_back();
        if (!port.empty()) ports.push_back(Utf8FromWide(port));
    }
    ::RegCloseKey(key);
    SortNumerically(ports);
    return ports;
}

}  // namespace veltrin
