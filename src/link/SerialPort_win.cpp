// CSerialPort on Win32: the communications API with the time-outs that make reads return at once.
#include "link/SerialPort.h"

#include <windows.h>

#include <cstdio>

#include "link/Timing.h"

namespace veltrin {

CSerialPort::CSerialPort() : handle(INVALID_HANDLE_VALUE) {}
CSerialPort::~CSerialPort() { Close(); }

std::string CSerialPort::DeviceForPort(int n) const {
    auto it = bindings_.find(n);
    if (it != bindings_.end() && !it->second.empty()) return it->second;
    char name[32];
    std::snprintf(name, sizeof name, "COM%ld", static_cast<long>(n));
    return name;
}

void CSerialPort::BindPort(int n, const std::string& devicePath) {
    if (devicePath.empty()) bindings_.erase(n);
    else bindings_[n] = devicePath;
}

bool CSerialPort::IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

bool CSerialPort::Open() {
    portName = deviceOverride_.empty() ? DeviceForPort(portNumber) : deviceOverride_;
    // A name with a NUL in it would open the device named by its beginning: another line.
    if (portName.empty() || portName.find('\0') != std::string::npos) return false;
    handle = ::CreateFileA(portName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    ::SetCommMask(handle, EV_RXCHAR);
    ::SetupComm(handle, 1024, 1024);
    ::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (Configure() != 0) {
        ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return false;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;   // with the two zeros: a read returns at once
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 20;
    timeouts.WriteTotalTimeoutConstant = 200;
    if (!::SetCommTimeouts(handle, &timeouts)) {
        ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return false;
    }
    return true;
}

int CSerialPort::Configure() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) return 1;
    dcb.BaudRate = 2400;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 10;
    dcb.XoffLim = 10;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return ::SetCommState(handle, &dcb) ? 0 : 1;
}

int CSerialPort::Reopen(int n) {
    Close();
    portNumber = n;
    return Open() ? 0 : 1;
}

void CSerialPort::Close() {
    if (handle == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

std::uint32_t CSerialPort::InputCount() {
    if (handle == INVALID_HANDLE_VALUE) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    ::ClearCommError(handle, &errors, &status);
    lastErrors = errors;
    outputQueueCount = status.cbOutQue;
    inputQueueCount = status.cbInQue;
    return inputQueueCount;
}

bool CSerialPort::WaitForInput(int timeoutMs) {
    Deadline deadline(timeoutMs);
    while (InputCount() == 0) {
        if (deadline.Expired()) return false;
        ::Sleep(1);
    }
    return true;
}

std::uint32_t CSerialPort::Read(std::uint32_t count) {
    if (handle == INVALID_HANDLE_VALUE) return 0;
    if (count == 0) count = 511;
    if (count > sizeof readBuffer) count = sizeof readBuffer;
    DWORD got = 0;
    if (!::ReadFile(handle, readBuffer, count, &got, nullptr)) return 0;
    NotifyTrace(WireDirection::Received, readBuffer, got);
    return got;
}

bool CSerialPort::Write(const std::uint8_t* bytes, std::uint32_t length) {
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(handle, bytes, length, &written, nullptr);
    NotifyTrace(WireDirection::Sent, bytes, written);
    return ok && written == length;
}

void CSerialPort::Purge() {
    if (handle == INVALID_HANDLE_VALUE) return;
    // Input only, as on every platform: the write above has completed, and the bytes of a
    // block check must reach the encoder.
    ::PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR);
}

}  // namespace veltrin
