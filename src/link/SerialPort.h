#pragma once
// CSerialPort: the one serial port to the encoder's configuration interface.
// 2400 baud, 8 data bits, no parity, stop bits as the port had them, no flow control, DTR on,
// RTS raised only while transmitting, reads that never block. One file per platform implements
// it: SerialPort_unix.cpp (termios) and SerialPort_win.cpp (Win32); CMake picks the file.
#include <cstdint>
#include <map>
#include <string>

#include "link/ByteChannel.h"

#ifndef _WIN32
#include <termios.h>
#endif

namespace veltrin {

class CSerialPort : public ByteChannel {
public:
    CSerialPort();
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    /// Opens port portNumber exclusively and configures it. False leaves the port closed.
    bool Open();
    /// Sets the line parameters on the open port: 0 on success, non-zero on failure.
    virtual int Configure();
    /// Closes the open port (if any), takes the port number n and opens it: 0 opened, 1 not.
    int Reopen(int n);
    void Close();

    bool IsOpen() const override;
    int PortNumber() const override { return portNumber; }
    /// Why the last Open failed: the device and the system's reason; None after a good Open.
    PortDiagnosis OpenFailure() const override { return openFailure_; }
    std::uint32_t InputCount() override;
    bool WaitForInput(int timeoutMs) override;
    std::uint32_t Read(std::uint32_t count) override;
    const std::uint8_t* ReadBuffer() const override { return readBuffer; }
    bool Write(const std::uint8_t* bytes, std::uint32_t length) override;
    void Purge() override;

    /// The device COM n stands for: a binding, else the platform's default
    /// (/dev/ttyS<n-1> on Linux, COM<n> on Windows, opened as \\.\COM<n>).
    std::string DeviceForPort(int n) const;
    /// Binds COM n to a device path (empty path: back to the default).
    void BindPort(int n, const std::string& devicePath);
    /// A device that replaces whatever port number is chosen, for this run only (--device).
    void SetDeviceOverride(const std::string& devicePath) { deviceOverride_ = devicePath; }
    const std::string& DeviceOverride() const { return deviceOverride_; }
    /// The device opened last (or tried last), whole, however long.
    std::string DeviceName() const { return portName; }

    std::int32_t portNumber = 1;
    std::uint32_t lastErrors = 0;
    std::uint32_t outputQueueCount = 0;
    std::uint32_t inputQueueCount = 0;
#ifdef _WIN32
    void* handle;   // INVALID_HANDLE_VALUE while closed
#else
    int handle = -1;   // -1 while closed
#endif
    std::string portName;  ///< the device of the last Open, as given (never cut short)
    std::uint8_t readBuffer[512] = {};

private:
    std::map<int, std::string> bindings_;
    std::string deviceOverride_;
    PortDiagnosis openFailure_;
    bool manualRts_ = false;   // raise/drop RTS around each write (the driver does not toggle it)
    void SetRts(bool on);
#ifndef _WIN32
    struct termios savedSettings_ {};
    bool haveSavedSettings_ = false;
    std::uint32_t lastErrorCount_ = 0;
#endif
};

}  // namespace veltrin
