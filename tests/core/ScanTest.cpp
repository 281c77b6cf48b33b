// Finding the encoder: several simulated encoders at once, a silent one, one that refuses, a
// device another port holds, a file, a missing path and a link to an encoder, each reported
// as it is, with nothing but read requests on the encoders' lines; a device the user may not
// open (as an unprivileged user); and the wait for an encoder to come and to go.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "link/SerialPort.h"
#include "link/Timing.h"
#include "params/Scan.h"
#include "sim/EncoderSimulator.h"

using namespace veltrin;

namespace {

constexpr sim::Telegram kFirmwareRequest{0x80, 0, 0, 31};

std::string Chars(const std::array<char, 4>& c) { return std::string(c.data(), c.size()); }

/// Every telegram the encoder received is the firmware read request.
void ExpectOnlyFirmwareReads(const sim::EncoderSimulator& encoder) {
    for (const sim::Telegram& t : encoder.Telegrams()) EXPECT_EQ(t, kFirmwareRequest);
}

}  // namespace

TEST(Scan, ReportsEveryDeviceAsItIs) {
    // Three encoders with versions of their own, a silent one, one that refuses every telegram,
    // one that another port holds.
    std::vector<std::unique_ptr<sim::EncoderSimulator>> encoders;
    for (const char* firmware : {"0104", "0207", "0311", "0104", "0104", "0104"}) {
        sim::SimulatorOptions o;
        o.firmware = firmware;
        encoders.push_back(std::make_unique<sim::EncoderSimulator>(o));
        ASSERT_TRUE(encoders.back()->Start());
    }
    sim::EncoderSimulator& silent = *encoders[3];
    sim::EncoderSimulator& refusing = *encoders[4];
    sim::EncoderSimulator& held = *encoders[5];
    silent.SetSilent(true);
    refusing.NakTelegrams(sim::kAlways, 1);
    CSerialPort holder;
    holder.SetDeviceOverride(held.DevicePath());
    ASSERT_TRUE(holder.Open());

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("veltrin-scan-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "plain.txt").string();
    std::ofstream(file) << "no tty";
    const std::string link = (dir / "encoder-link").string();
    std::filesystem::create_symlink(encoders[0]->DevicePath(), link);

    const std::vector<std::string> devices{encoders[0]->DevicePath(),
                                           encoders[1]->DevicePath(),
                                           encoders[2]->DevicePath(),
                                           silent.DevicePath(),
                                           refusing.DevicePath(),
                                           held.DevicePath(),
                                           file,
                                           (dir / "missing").string(),
                                           link};
    const std::vector<ScanResult> r = ScanForEncoders(devices);
    ASSERT_EQ(r.size(), devices.size());
    for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].device, devices[i]);

    EXPECT_EQ(r[0].state, ScanState::Found);
    EXPECT_EQ(Chars(r[0].firmware), "0104");
    EXPECT_EQ(r[1].state, ScanState::Found);
    EXPECT_EQ(Chars(r[1].firmware), "0207");
    EXPECT_EQ(r[2].state, ScanState::Found);
    EXPECT_EQ(Chars(r[2].firmware), "0311");
    EXPECT_EQ(r[3].state, ScanState::NoEncoder);
    EXPECT_EQ(r[4].state, ScanState::NoEncoder);
    EXPECT_EQ(r[5].state, ScanState::NotOpened);
    EXPECT_EQ(r[5].diagnosis.problem, PortProblem::InUse);
    EXPECT_EQ(r[5].diagnosis.holderPid, static_cast<long>(::getpid()));
    EXPECT_EQ(r[6].state, ScanState::NotOpened);
    EXPECT_EQ(r[6].diagnosis.problem, PortProblem::NotSerial);
    EXPECT_EQ(r[7].state, ScanState::NotOpened);
    EXPECT_EQ(r[7].diagnosis.problem, PortProblem::Missing);
    // The link and its target are one device, probed once (two probes at once would have found
    // it busy).
    EXPECT_EQ(r[8].state, ScanState::Found);
    EXPECT_EQ(Chars(r[8].firmware), "0104");

    // Nothing but the read request on the lines; the refusal is not followed by the
    // error-status request; the held device saw no byte at all, the file is as it was.
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(encoders[static_cast<std::size_t>(i)]->Telegrams().size(), 1u) << i;
        ExpectOnlyFirmwareReads(*encoders[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(silent.Telegrams().empty());
    EXPECT_GE(refusing.Telegrams().size(), 1u);
    ExpectOnlyFirmwareReads(refusing);
    EXPECT_EQ(held.Counters().connectionAttempts, 0);
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "no tty");

    // The ports are closed again: each device opens now (the held one once it is given up).
    holder.Close();
    for (const auto& e : encoders) {
        CSerialPort again;
        again.SetDeviceOverride(e->DevicePath());
        EXPECT_TRUE(again.Open()) << e->DevicePath();
    }
    std::filesystem::remove_all(dir);
}

TEST(Scan, NoDevicesNoProbes) { EXPECT_TRUE(ScanForEncoders({}).empty()); }

// A device of root and the group "dialout" (or the pseudo-terminal's own group), no access for
// others, scanned by an unprivileged user in a child process.
TEST(Scan, DeviceWithoutPermissionIsReportedNotOpened) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become an unprivileged user";
    const struct passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no unprivileged user 'nobody' on this machine";
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    const std::string device = encoder.DevicePath();
    if (const struct group* dialout = ::getgrnam("dialout")) {
        ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
    }
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(3);
        const std::vector<ScanResult> r = ScanForEncoders({device});
        const std::string text = r.size() == 1 && r[0].state == ScanState::NotOpened &&
                                         r[0].diagnosis.problem == PortProblem::NoPermission
                                     ? "no permission, group " + r[0].diagnosis.group
                                     : "something else";
        (void)!::write(out[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not become 'nobody'";
    struct stat st {};
    ASSERT_EQ(::stat(device.c_str(), &st), 0);
    const struct group* owner = ::getgrgid(st.st_gid);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(text, std::string("no permission, group ") + owner->gr_name);
    EXPECT_EQ(encoder.Counters().connectionAttempts, 0);
}

TEST(Scan, AwaitEncoderSeesItComeAndGo) {
    sim::EncoderSimulator encoder;
    ASSERT_TRUE(encoder.Start());
    CSerialPort port;
    port.SetDeviceOverride(encoder.DevicePath());
    ASSERT_TRUE(port.Open());
    Link link(&port);
    const LinkTiming before = link.timing;

    std::array<char, 4> firmware{};
    ASSERT_TRUE(AwaitEncoder(link, true, 50, &firmware));
    EXPECT_EQ(Chars(firmware), "0104");
    // Taken off the line: gone after reads that find none; then a fresh one comes.
    encoder.SetRam(1, {0, 0, 7});
    encoder.Swap(2500);  // longer than two reads that find none
    EXPECT_TRUE(AwaitEncoder(link, false, 50));
    int failedPolls = 0;
    ASSERT_TRUE(AwaitEncoder(link, true, 50, nullptr, [&] { ++failedPolls; }));
    EXPECT_GE(failedPolls, 1);
    EXPECT_EQ(encoder.Ram(1), (sim::Data3{0, 0, 0}));  // a fresh encoder
    EXPECT_EQ(encoder.Counters().swaps, 1);
    ExpectOnlyFirmwareReads(encoder);
    EXPECT_EQ(link.timing.handshakeTimeoutMs, before.handshakeTimeoutMs);  // given back

    // A stop request ends the wait for an encoder that does not come.
    encoder.SetSilent(true);
    std::atomic<bool> stop{false};
    link.SetStopRequest(&stop);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    EXPECT_FALSE(AwaitEncoder(link, true, 50));
    stopper.join();
    // And no telegram starts while it is set.
    encoder.SetSilent(false);
    PauseMs(100);  // the last STX has reached the encoder
    const int attempts = encoder.Counters().connectionAttempts;
    std::array<char, 4> none{};
    EXPECT_FALSE(ProbeFirmware(link, none));
    PauseMs(50);
    EXPECT_EQ(encoder.Counters().connectionAttempts, attempts);
}
