// CSerialPort on Win32: the communications API with the time-outs that make reads return at once.
#include <windows.h>
// Needs the types of windows.h.
#include <timeapi.h>

#include <cctype>
#include <cstdio>

#include "link/SerialPort.h"
#include "link/Timing.h"
#include "res/Utf16_win.h"

namespace veltrin {

namespace {

// "COM3" and "com12" are opened as \\.\COM3: COM10 and above exist only in that form, and it
// never names a file of the current folder. Any other name (a path, \\.\COM5) is used as given.
std::string DevicePath(const std::string& device) {
    if (device.size() < 4 || device.size() > 6) return device;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(device[i])) != "COM"[i]) return device;
    for (std::size_t i = 3; i < device.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(device[i]))) return device;
    return "\\\\.\\" + device;
}

}  // namespace

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
    if (devicePath.empty())
        bindings_.erase(n);
    else
        bindings_[n] = devicePath;
}

bool CSerialPort::IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

bool CSerialPort::Open() {
    portName = deviceOverride_.empty() ? DeviceForPort(portNumber) : deviceOverride_;
    // A failed step keeps the system's reason for the port message.
    openFailure_ = {};
    auto fail = [&](DWORD error) {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        openFailure_ = DiagnoseOpenFailure(portName, static_cast<int>(error));
        return false;
    };
    std::wstring path;
    // An empty name, or one with a NUL in it (it would open the device named by its
    // beginning: another line), is no device.
    if (portName.empty() || portName.find('\0') != std::string::npos ||
        !WideFromUtf8(DevicePath(portName), path))
        return fail(ERROR_INVALID_NAME);
    // Exclusive (no sharing): a port another program holds is refused here.
    handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(::GetLastError());
    // Only a character device can be an encoder's line; a file named by mistake is left as it
    // was, untouched by the set-up below.
    if (::GetFileType(handle) != FILE_TYPE_CHAR) return fail(ERROR_INVALID_FUNCTION);
    ::SetCommMask(handle, EV_RXCHAR);
    ::SetupComm(handle, 1024, 1024);
    ::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    // GetCommState on a handle that is no serial line (a console, NUL) fails:
    // ERROR_INVALID_FUNCTION.
    if (Configure() != 0) return fail(::GetLastError());
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;  // with the two zeros: a read returns at once
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 20;
    timeouts.WriteTotalTimeoutConstant = 200;
    if (!::SetCommTimeouts(handle, &timeouts)) return fail(::GetLastError());
    // The procedure's pauses and polls are milliseconds; the system's default timer steps are
    // about 15 ms. Finer steps while the port is open.
    ::timeBeginPeriod(1);
    return true;
}

int CSerialPort::Configure() {
    if (handle == INVALID_HANDLE_VALUE) return 1;
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
    manualRts_ = false;
    if (::SetCommState(handle, &dcb)) return 0;
    // Not every driver toggles RTS by itself (Wine refuses it with ERROR_NOT_SUPPORTED, and so
    // may a USB adapter): then RTS stays low and Write raises it around the drained bytes.
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!::SetCommState(handle, &dcb)) return 1;
    manualRts_ = true;
    return 0;
}

void CSerialPort::SetRts(bool on) {
    if (!manualRts_ || handle == INVALID_HANDLE_VALUE) return;
    ::EscapeCommFunction(handle, on ? SETRTS : CLRRTS);  // a line without modem lines: no error
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
    ::timeEndPeriod(1);
}

std::uint32_t CSerialPort::InputCount() {
    if (handle == INVALID_HANDLE_VALUE) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle, &errors, &status)) status = COMSTAT{};
    lastErrors = errors;
    outputQueueCount = status.cbOutQue;
    inputQueueCount = status.cbInQue;
    return inputQueueCount;
}

bool CSerialPort::WaitForInput(int timeoutMs) {
    if (handle == INVALID_HANDLE_VALUE) return false;
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
    SetRts(true);
    // Bounded by the write time-outs (20 ms a byte + 200 ms). Then return only when the bytes
    // have left the port: FlushFileBuffers waits for the driver's transmit queue to empty.
    DWORD written = 0;
    bool ok = ::WriteFile(handle, bytes, length, &written, nullptr) && written == length;
    if (ok) ok = ::FlushFileBuffers(handle) != 0;
    SetRts(false);
    NotifyTrace(WireDirection::Sent, bytes, written);
    return ok;
}

void CSerialPort::Purge() {
    if (handle == INVALID_HANDLE_VALUE) return;
    // Input only, as on every platform: the write above has completed, and the bytes of a
    // block check must reach the encoder.
    ::PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR);
}

}  // namespace veltrin
