// Why a port does not open: the second line of the port message for a missing device, a device
// this user may not open (run as an unprivileged user), a device another port holds, and a
// device that is no serial line; and the look at a device without opening it.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "link/Link.h"
#include "link/PortDiagnosis.h"
#include "link/SerialPort.h"
#include "res/Resources.h"
#include "sim/EncoderSimulator.h"

using namespace veltrin;

namespace {

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

constexpr char kFirstLine[] = "Der Anschluß COM 1 kann nicht geöffnet werden !";

/// The port message the link shows for a port that did not open on device.
std::string PortMessageFor(CSerialPort& port) {
    RecordingSink sink;
    Link link(&port);
    link.SetMessageSink(&sink);
    const std::uint8_t t[4] = {0x80, 0, 0, 1};
    EXPECT_FALSE(link.SendTelegram(kChannel, t, 4));
    return sink.messages.size() == 1 ? sink.messages[0] : std::string("<no single message>");
}

std::string OwnCommandName() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

/// A pseudo-terminal of the test's own; its slave is the device.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
            ::ptsname_r(master_, name, sizeof name) == 0)
            path_ = name;
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    const std::string& Path() const { return path_; }

private:
    int master_ = -1;
    std::string path_;
};

}  // namespace

TEST(PortDiagnosis, MissingDeviceNamesThePath) {
    CSerialPort port;
    port.SetDeviceOverride("/nonexistent/ttyUSB9");
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.OpenFailure().problem, PortProblem::Missing);
    EXPECT_EQ(PortMessageFor(port), std::string(kFirstLine) + "\n/nonexistent/ttyUSB9 gibt es nicht.");

    // English under English, the first line as the English resources have it.
    ResourceSet english;
    ASSERT_TRUE(english.LoadFile(std::string(VELTRIN_BUILD_DIR) + "/veltrin.en.txt"));
    UseResourceSet(&english);
    const std::string text = PortMessageFor(port);
    UseResourceSet(nullptr);
    EXPECT_EQ(text, "Port COM 1 cannot be opened!\n/nonexistent/ttyUSB9 does not exist.");

    // A good open forgets the reason.
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    port.SetDeviceOverride(encoder.DevicePath());
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.OpenFailure().problem, PortProblem::None);
}

TEST(PortDiagnosis, FileAndNullDeviceAreNoSerialLine) {
    const std::string file = ::testing::TempDir() + "veltrin-no-tty-" + std::to_string(::getpid());
    std::ofstream(file) << "x";
    for (const std::string& device : {file, std::string("/dev/null")}) {
        CSerialPort port;
        port.SetDeviceOverride(device);
        EXPECT_FALSE(port.Open());
        EXPECT_EQ(PortMessageFor(port),
                  std::string(kFirstLine) + "\n" + device + " ist keine serielle Schnittstelle.");
        EXPECT_EQ(CheckDevice(device).problem, PortProblem::NotSerial) << device;
    }
    std::remove(file.c_str());
}

TEST(PortDiagnosis, DeviceHeldByAnotherPortNamesTheProcess) {
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    CSerialPort first, second;
    first.SetDeviceOverride(encoder.DevicePath());
    second.SetDeviceOverride(encoder.DevicePath());
    // Free: nothing speaks against opening it (the simulator holds it without a lock).
    EXPECT_EQ(CheckDevice(encoder.DevicePath()).problem, PortProblem::None);
    ASSERT_TRUE(first.Open());

    EXPECT_FALSE(second.Open());
    const PortDiagnosis d = second.OpenFailure();
    EXPECT_EQ(d.problem, PortProblem::InUse);
    EXPECT_EQ(d.holderPid, static_cast<long>(::getpid()));
    const std::string holder = std::to_string(::getpid()) + " (" + OwnCommandName() + ")";
    EXPECT_EQ(PortMessageFor(second), std::string(kFirstLine) + "\n" + encoder.DevicePath() +
                                          " wird bereits benutzt, von Prozess " + holder + ".");

    // The look without opening sees the lock too.
    const PortDiagnosis seen = CheckDevice(encoder.DevicePath());
    EXPECT_EQ(seen.problem, PortProblem::InUse);
    EXPECT_EQ(PortStateText(seen), "benutzt von Prozess " + holder);
    first.Close();
    EXPECT_EQ(PortStateText(CheckDevice(encoder.DevicePath())), "vorhanden, kann geöffnet werden");
}

// The device belongs to root and the group "dialout" (or, without that group, to the
// pseudo-terminal's own group), with no access for others; the port is opened by an
// unprivileged user in a child process.
TEST(PortDiagnosis, NoPermissionNamesTheGroupToJoin) {
    Pty pty;
    ASSERT_FALSE(pty.Path().empty());
    const bool root = ::geteuid() == 0;
    const struct passwd* nobody = ::getpwnam("nobody");
    if (root && !nobody) GTEST_SKIP() << "no unprivileged user 'nobody' on this machine";
    const uid_t uid = root ? nobody->pw_uid : ::geteuid();
    const gid_t gid = root ? nobody->pw_gid : ::getegid();
    if (root) {
        if (const struct group* dialout = ::getgrnam("dialout")) {
            ASSERT_EQ(::chown(pty.Path().c_str(), 0, dialout->gr_gid), 0);
        }
        ASSERT_EQ(::chmod(pty.Path().c_str(), 0660), 0);
    } else {
        ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);  // not even its owner may open it now
    }
    struct stat st {};
    ASSERT_EQ(::stat(pty.Path().c_str(), &st), 0);
    const struct group* owner = ::getgrgid(st.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string group = owner->gr_name;

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) ::_exit(3);
        CSerialPort port;
        port.SetDeviceOverride(pty.Path());
        const bool opened = port.Open();
        const std::string text =
            opened ? "opened"
                   : PortDiagnosisText(port.OpenFailure()) + "|" + PortStateText(CheckDevice(pty.Path()));
        (void)!::write(pipeFds[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buf[512];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child could not become the unprivileged user";
    EXPECT_EQ(text, "Keine Berechtigung für " + pty.Path() + ": Der Benutzer muss Mitglied der Gruppe „" +
                        group + "“ sein (z. B. sudo usermod -aG " + group +
                        " $USER) und sich danach neu anmelden.|" + "keine Berechtigung (Gruppe " + group +
                        ")");
}

TEST(PortDiagnosis, LookWithoutOpening) {
    EXPECT_EQ(CheckDevice("/nonexistent/ttyS0").problem, PortProblem::Missing);
    EXPECT_EQ(CheckDevice("").problem, PortProblem::Missing);
    EXPECT_EQ(PortStateText(CheckDevice("/nonexistent/ttyS0")), "gibt es nicht");
    EXPECT_EQ(PortStateText(CheckDevice("/dev/null")), "keine serielle Schnittstelle");
    Pty pty;
    ASSERT_FALSE(pty.Path().empty());
    EXPECT_EQ(CheckDevice(pty.Path()).problem, PortProblem::None);
    // A reason of the system that has no words of its own here keeps the system's words.
    PortDiagnosis other = DiagnoseOpenFailure("/dev/ttyX", EMFILE);
    EXPECT_EQ(other.problem, PortProblem::Other);
    EXPECT_EQ(PortDiagnosisText(other), "/dev/ttyX lässt sich nicht öffnen: " + other.systemText);
    // A path holding a placeholder of the texts stays as it is.
    EXPECT_EQ(PortDiagnosisText(DiagnoseOpenFailure("/dev/%2x", ENOENT)), "/dev/%2x gibt es nicht.");
}
