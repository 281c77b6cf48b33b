// CSerialPort on POSIX: termios in raw mode, non-blocking reads, drained writes.
#include "link/SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/Timing.h"

namespace veltrin {

CSerialPort::CSerialPort() = default;
CSerialPort::~CSerialPort() { Close(); }

std::string CSerialPort::DeviceForPort(int n) const {
    auto it = bindings_.find(n);
    if (it != bindings_.end() && !it->second.empty()) return it->second;
    return "/dev/ttyS" + std::to_string(static_cast<long>(n) - 1);
}

void CSerialPort::BindPort(int n, const std::string& devicePath) {
    if (devicePath.empty()) bindings_.erase(n);
    else bindings_[n] = devicePath;
}

bool CSerialPort::IsOpen() const { return handle >= 0; }

bool CSerialPort::Open() {
    portName = deviceOverride_.empty() ? DeviceForPort(portNumber) : deviceOverride_;

    // A failed step keeps the system's reason for the port message.
    openFailure_ = {};
    auto fail = [&](int fd, int error) {
        if (fd >= 0) ::close(fd);
        openFailure_ = DiagnoseOpenFailure(portName, error);
        return false;
    };
    // A name with a NUL in it would open the device named by its beginning: another line.
    if (portName.empty() || portName.find('\0') != std::string::npos) return fail(-1, ENOENT);
    // Non-blocking so that open() does not wait for carrier; no controlling terminal;
    // not inherited by a program we start (the language restart starts ourselves).
    int fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(fd, errno);
    // Only a terminal can be an encoder's line.
    if (!::isatty(fd)) return fail(fd, ENOTTY);
    // Exclusive use: TIOCEXCL refuses further opens of the tty, flock also stops root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(fd, errno);
    ::ioctl(fd, TIOCEXCL);
    handle = fd;

    if (::tcgetattr(fd, &savedSettings_) == 0) haveSavedSettings_ = true;
    // Nothing of an earlier user of the line may reach us, and nothing of ours is pending yet.
    ::tcflush(fd, TCIOFLUSH);
    if (Configure() != 0) {
        const int error = errno;
        Close();
        return fail(-1, error);
    }
    // Time-outs: reads never block (VMIN = VTIME = 0, O_NONBLOCK); Write bounds itself.
    return true;
}

int CSerialPort::Configure() {
    if (handle < 0) return 1;
    struct termios tio {};
    if (::tcgetattr(handle, &tio) != 0) return 1;

    // Raw bytes in both directions: no echo, no line editing, no CR/NL mapping, NUL kept.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_iflag |= IGNPAR;   // a line error does not stop reading; the block check catches it
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // 8 data bits, no parity, receiver on, modem lines ignored, no hardware handshake.
    // CSTOPB stays as the port had it.
    tio.c_cflag &= ~(CSIZE | PARENB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    // Reads return at once with what is there.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B2400) != 0 || ::cfsetospeed(&tio, B2400) != 0) return 1;
    if (::tcsetattr(handle, TCSANOW, &tio) != 0) return 1;

    // DTR raised while the port is open. A pseudo-terminal has no modem lines: not an error.
    int dtr = TIOCM_DTR;
    ::ioctl(handle, TIOCMBIS, &dtr);
    // RTS only while transmitting: the driver does it in RS-485 mode; else Write toggles it.
    struct serial_rs485 rs485 {};
    rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    manualRts_ = ::ioctl(handle, TIOCSRS485, &rs485) != 0;
    SetRts(false);
    return 0;
}

void CSerialPort::SetRts(bool on) {
    if (!manualRts_ || handle < 0) return;
    int rts = TIOCM_RTS;
    ::ioctl(handle, on ? TIOCMBIS : TIOCMBIC, &rts);
}

int CSerialPort::Reopen(int n) {
    Close();
    portNumber = n;
    return Open() ? 0 : 1;
}

void CSerialPort::Close() {
    if (handle < 0) return;
    if (haveSavedSettings_) ::tcsetattr(handle, TCSANOW, &savedSettings_);
    haveSavedSettings_ = false;
    // Give up the exclusive use again: the flag belongs to the device, not to this handle, and
    // stays where the device lives on (a pseudo-terminal), refusing our own next open.
    ::ioctl(handle, TIOCNXCL);
    ::flock(handle, LOCK_UN);
    ::close(handle);
    handle = -1;
}

std::uint32_t CSerialPort::InputCount() {
    if (handle < 0) return 0;
    int waiting = 0;
    if (::ioctl(handle, FIONREAD, &waiting) != 0 || waiting < 0) waiting = 0;
    int queued = 0;
    if (::ioctl(handle, TIOCOUTQ, &queued) != 0 || queued < 0) queued = 0;
    inputQueueCount = static_cast<std::uint32_t>(waiting);
    outputQueueCount = static_cast<std::uint32_t>(queued);
    // Line errors since the last query, where the driver counts them (not on a pseudo-terminal).
    struct serial_icounter_struct counters {};
    lastErrors = 0;
    if (::ioctl(handle, TIOCGICOUNT, &counters) == 0) {
        auto total = static_cast<std::uint32_t>(counters.frame + counters.overrun + counters.parity +
                                                counters.brk + counters.buf_overrun);
        lastErrors = total - lastErrorCount_;
        lastErrorCount_ = total;
    }
    return inputQueueCount;
}

bool CSerialPort::WaitForInput(int timeoutMs) {
    if (handle < 0) return false;
    if (InputCount() > 0) return true;
    Deadline deadline(timeoutMs);
    for (;;) {
        int left = deadline.RemainingMs();
        if (left <= 0) return InputCount() > 0;
        struct pollfd pfd {handle, POLLIN, 0};
        int r = ::poll(&pfd, 1, left);
        if (r < 0 && errno != EINTR) return false;
        if (InputCount() > 0) return true;
        if (r > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // The other end is gone: nothing will arrive. Sleep out the time-out rather than
            // spin, so a dead line costs what a silent one does.
            PauseMs(deadline.RemainingMs());
            return InputCount() > 0;
        }
    }
}

std::uint32_t CSerialPort::Read(std::uint32_t count) {
    if (handle < 0) return 0;
    if (count == 0) count = 511;
    if (count > sizeof readBuffer) count = sizeof readBuffer;
    ssize_t got = ::read(handle, readBuffer, count);
    if (got <= 0) return 0;
    NotifyTrace(WireDirection::Received, readBuffer, static_cast<std::size_t>(got));
    return static_cast<std::uint32_t>(got);
}

bool CSerialPort::Write(const std::uint8_t* bytes, std::uint32_t length) {
    if (handle < 0) return false;
    Deadline deadline(static_cast<int>(20 * length + 200));
    SetRts(true);
    std::uint32_t done = 0;
    bool ok = true;
    while (done < length) {
        ssize_t n = ::write(handle, bytes + done, length - done);
        if (n > 0) { done += static_cast<std::uint32_t>(n); continue; }
        if (n < 0 && errno != EAGAIN && errno != EINTR) { ok = false; break; }
        int left = deadline.RemainingMs();
        if (left <= 0) { ok = false; break; }
        struct pollfd pfd {handle, POLLOUT, 0};
        ::poll(&pfd, 1, left);
    }
    // Return only when the bytes have left: wait for the driver's queue to empty (bounded),
    // then for the transmitter itself.
    while (ok) {
        int queued = 0;
        if (::ioctl(handle, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        if (deadline.Expired()) { ok = false; break; }
        PauseMs(1);
    }
    if (ok) ::tcdrain(handle);
    SetRts(false);
    NotifyTrace(WireDirection::Sent, bytes, done);
    return ok;
}

void CSerialPort::Purge() {
    if (handle < 0) return;
    // Input only: a TCOFLUSH would destroy bytes the encoder has not read yet.
    ::tcflush(handle, TCIFLUSH);
}

}  // namespace veltrin
