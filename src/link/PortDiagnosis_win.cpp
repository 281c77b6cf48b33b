// Port diagnosis on Windows: GetLastError() of the failed step. Windows tells neither the
// process that holds a COM port nor a group that would grant access: a port opened by another
// program refuses with ERROR_ACCESS_DENIED (the ports are opened without sharing).
#include <windows.h>

#include <string>

#include "link/PortDiagnosis.h"

namespace veltrin {

namespace {

std::string SystemText(int error) {
    char* text = nullptr;
    DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::to_string(error);
    if (text) ::LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

// "COM3" from "COM3" or "\\.\COM3", for QueryDosDevice.
std::string DosName(const std::string& device) {
    const std::string prefix = "\\\\.\\";
    return device.rfind(prefix, 0) == 0 ? device.substr(prefix.size()) : device;
}

}  // namespace

PortDiagnosis DiagnoseOpenFailure(const std::string& device, int systemError) {
    PortDiagnosis d;
    d.device = device;
    d.systemError = systemError;
    d.systemText = SystemText(systemError);
    switch (static_cast<DWORD>(systemError)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            d.problem = PortProblem::Missing;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            d.problem = PortProblem::InUse;
            break;
        case ERROR_INVALID_FUNCTION:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_SUPPORTED:
            d.problem = PortProblem::NotSerial;
            break;
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
            d.problem = PortProblem::NoHardware;
            break;
        default:
            d.problem = PortProblem::Other;
            break;
    }
    return d;
}

PortDiagnosis CheckDevice(const std::string& device) {
    PortDiagnosis d;
    d.device = device;
    char target[1024];
    if (device.empty() || ::QueryDosDeviceA(DosName(device).c_str(), target, sizeof target) == 0)
        return DiagnoseOpenFailure(device, ERROR_FILE_NOT_FOUND);
    // Whether another program holds it shows only by trying; the handle is closed at once.
    // As \\.\COMn: COM10 and above open only in that form.
    const std::string path = "\\\\.\\" + DosName(device);
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return DiagnoseOpenFailure(device, static_cast<int>(::GetLastError()));
    ::CloseHandle(h);
    return d;
}

}  // namespace veltrin
