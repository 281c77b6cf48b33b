// CSerialPort on Windows without a port: names that are no communications device leave the
// port closed and whatever they name untouched. The link over a real port is tested under Wine
// against the simulator (tests/comport).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/SerialPort.h"
#include "res/Utf8Path.h"

using namespace veltrin;

TEST(SerialPortWin, NamesThatAreNoPortLeaveItClosed) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "veltrin-not-a-port.txt";
    std::ofstream(file, std::ios::binary) << "keep";
    const std::string path = Utf8FromPath(file);
    for (const std::string& name : {path, std::string("NUL"), std::string("COM250"),
                                    std::string("\\\\.\\COM251"), std::string("no-such-device")}) {
        CSerialPort port;
        port.SetDeviceOverride(name);
        EXPECT_FALSE(port.Open()) << name;
        EXPECT_FALSE(port.IsOpen()) << name;
        EXPECT_EQ(port.handle, INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(port.DeviceName(), name);
        EXPECT_FALSE(port.Write(reinterpret_cast<const std::uint8_t*>("x"), 1));
    }
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    in.close();
    std::filesystem::remove(file);
}

TEST(SerialPortWin, PortNumbersNameComPorts) {
    CSerialPort port;
    EXPECT_EQ(port.DeviceForPort(1), "COM1");
    EXPECT_EQ(port.DeviceForPort(12), "COM12");
    port.BindPort(2, "\\\\.\\COM7");
    EXPECT_EQ(port.DeviceForPort(2), "\\\\.\\COM7");
}
