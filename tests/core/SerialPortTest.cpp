// CSerialPort on pseudo-terminals: exclusive open, reopening, reads that never block, and the
// line settings it leaves alone.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/SerialPort.h"
#include "sim/EncoderSimulator.h"

using namespace veltrin;

namespace {

/// A bare pseudo-terminal: the test writes to the master what the port is to receive.
class RawPty {
public:
    RawPty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
            ::ptsname_r(master_, name, sizeof name) == 0)
            path_ = name;
    }
    ~RawPty() {
        if (master_ >= 0) ::close(master_);
    }
    const std::string& Path() const { return path_; }
    bool Send(const std::vector<std::uint8_t>& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    /// Sets the slave's stop bits before the port opens it.
    bool SetTwoStopBits(bool two) {
        int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return false;
        struct termios tio {};
        bool ok = ::tcgetattr(fd, &tio) == 0;
        if (two) tio.c_cflag |= CSTOPB;
        else tio.c_cflag &= ~CSTOPB;
        ok = ok && ::tcsetattr(fd, TCSANOW, &tio) == 0;
        ::close(fd);
        return ok;
    }

private:
    int master_ = -1;
    std::string path_;
};

/// Waits (bounded) until the port reports at least n bytes waiting.
bool WaitForCount(CSerialPort& port, std::uint32_t n) {
    for (int i = 0; i < 200; ++i) {
        if (port.InputCount() >= n) return true;
        port.WaitForInput(5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace

TEST(SerialPort, OpenIsExclusive) {
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    CSerialPort first, second;
    first.SetDeviceOverride(encoder.DevicePath());
    second.SetDeviceOverride(encoder.DevicePath());
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.handle, -1);
    EXPECT_TRUE(first.IsOpen());
    // Once the first lets go the device is free again, also for a second open after that
    // (the simulator itself does not hold the slave).
    first.Close();
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.Open());
    second.Close();
    ASSERT_TRUE(first.Open());
}

TEST(SerialPort, ReopenClosesTheOldHandleFirst) {
    sim::EncoderSimulator one, two;
    ASSERT_TRUE(one.Start());
    ASSERT_TRUE(two.Start());
    CSerialPort port;
    port.BindPort(1, one.DevicePath());
    port.BindPort(2, two.DevicePath());
    ASSERT_EQ(port.Reopen(1), 0);
    EXPECT_EQ(port.DeviceName(), one.DevicePath());
    ASSERT_EQ(port.Reopen(2), 0);
    EXPECT_EQ(port.portNumber, 2);
    EXPECT_EQ(port.DeviceName(), two.DevicePath());
    // The first device has been let go: another port gets it.
    CSerialPort other;
    other.SetDeviceOverride(one.DevicePath());
    EXPECT_TRUE(other.Open());
}

TEST(SerialPort, MissingDeviceLeavesThePortClosedUntilAGoodReopen) {
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    CSerialPort port;
    port.BindPort(1, "/nonexistent/ttyVeltrin");
    EXPECT_EQ(port.Reopen(1), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.handle, -1);
    EXPECT_EQ(port.Read(0), 0u);
    EXPECT_FALSE(port.WaitForInput(10));
    port.BindPort(1, "/dev/null");   // not a terminal: refused as well
    EXPECT_EQ(port.Reopen(1), 1);
    port.BindPort(1, encoder.DevicePath());
    EXPECT_EQ(port.Reopen(1), 0);
    EXPECT_TRUE(port.IsOpen());
}

TEST(SerialPort, ReadsNeverBlockAndTakeAtMost511) {
    RawPty pty;
    ASSERT_FALSE(pty.Path().empty());
    CSerialPort port;
    port.SetDeviceOverride(pty.Path());
    ASSERT_TRUE(port.Open());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(1), 0u);   // nothing there: back at once with nothing
    EXPECT_EQ(port.Read(0), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    std::vector<std::uint8_t> bytes(600);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(pty.Send(bytes));
    ASSERT_TRUE(WaitForCount(port, 600));
    EXPECT_EQ(port.Read(0), 511u);   // 0 means 511, not the buffer's 512
    EXPECT_EQ(port.ReadBuffer()[0], bytes[0]);
    EXPECT_EQ(port.ReadBuffer()[510], bytes[510]);
    EXPECT_EQ(port.Read(0), 89u);
    EXPECT_EQ(port.ReadBuffer()[88], bytes[599]);
    EXPECT_EQ(port.Read(0), 0u);

    // Purge drops what has arrived and not been read.
    ASSERT_TRUE(pty.Send({1, 2, 3}));
    ASSERT_TRUE(WaitForCount(port, 3));
    port.Purge();
    EXPECT_EQ(port.InputCount(), 0u);
}

TEST(SerialPort, LineSettingsAndTheStopBitsLeftAsTheyWere) {
    for (bool two : {true, false}) {
        RawPty pty;
        ASSERT_TRUE(pty.SetTwoStopBits(two));
        CSerialPort port;
        port.SetDeviceOverride(pty.Path());
        ASSERT_TRUE(port.Open());
        struct termios tio {};
        ASSERT_EQ(::tcgetattr(port.handle, &tio), 0);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, two);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & PARENB, 0u);
        EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        // Bytes pass unchanged: NUL, CR, LF, XON, XOFF, 0xFF.
        const std::vector<std::uint8_t> raw = {0x00, 0x0D, 0x0A, 0x11, 0x13, 0xFF, 0x7F};
        ASSERT_TRUE(pty.Send(raw));
        ASSERT_TRUE(WaitForCount(port, static_cast<std::uint32_t>(raw.size())));
        ASSERT_EQ(port.Read(0), raw.size());
        EXPECT_EQ(std::vector<std::uint8_t>(port.ReadBuffer(), port.ReadBuffer() + raw.size()), raw);
    }
}

TEST(SerialPort, DevicePathIsUsedWholeHoweverLong) {
    // Two encoders, one behind a name of 99 characters and one behind that name and one more
    // character: the longer name reaches its own encoder, never the one of its prefix.
    sim::EncoderSimulator near, far;
    ASSERT_TRUE(near.Start());
    ASSERT_TRUE(far.Start());
    char folder[] = "/tmp/veltrin-long-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    std::string prefix = std::string(folder) + "/";
    prefix += std::string(99 - prefix.size(), 'p');
    ASSERT_EQ(prefix.size(), 99u);
    const std::string longer = prefix + "q";
    std::string veryLong = std::string(folder) + "/";
    for (int i = 0; i < 45; ++i) veryLong += std::string(100, 'd') + "/";  // longer than a path may be
    ASSERT_EQ(::symlink(near.DevicePath().c_str(), prefix.c_str()), 0);
    ASSERT_EQ(::symlink(far.DevicePath().c_str(), longer.c_str()), 0);

    CSerialPort port;
    port.SetDeviceOverride(longer);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.DeviceName(), longer);
    const std::uint8_t stx = 0x02;
    ASSERT_TRUE(port.Write(&stx, 1));
    EXPECT_TRUE(WaitForCount(port, 1));  // the far encoder answers the STX
    EXPECT_EQ(far.Counters().connectionAttempts, 1);
    EXPECT_EQ(near.Counters().connectionAttempts, 0);
    port.Close();

    // A name that cannot be a path (a NUL inside) or that the system cannot take is refused,
    // and the port keeps the whole name for the message.
    const std::string withNul = near.DevicePath() + std::string(1, '\0') + "x";
    for (const std::string& bad : {withNul, veryLong + "tty"}) {
        port.SetDeviceOverride(bad);
        EXPECT_FALSE(port.Open());
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.DeviceName(), bad);
    }
    EXPECT_EQ(near.Counters().connectionAttempts, 0);
    ::unlink(longer.c_str());
    ::unlink(prefix.c_str());
    ::rmdir(folder);
}
