// veltrin-cli scan and program against simulated encoders: in process for the results and the
// record, and the real program as a child for --repeat and SIGINT.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <set>

#include "CliVerifyFixture.h"
#include "doc/Series.h"
#include "doc/SeriesLog.h"
#include "doc/Sha256.h"
#include "link/SerialPort.h"
#include "link/Timing.h"
#include "params/Scan.h"
#include "sim/EncoderSimulator.h"

extern char** environ;

namespace veltrin::cli::test {
namespace {

using nlohmann::json;

std::vector<json> LogLines(const std::string& path) {
    std::vector<json> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void ExpectEepromHoldsRam(const sim::EncoderSimulator& encoder) {
    for (int kp = 0; kp < 64; ++kp) {
        if (sim::EncoderModel::IsWritableKp(kp)) {
            EXPECT_EQ(encoder.Eeprom(kp), encoder.Ram(kp)) << "KP " << kp;
        }
    }
}

bool Sent(const sim::EncoderSimulator& encoder, std::uint8_t code) {
    for (const sim::Telegram& t : encoder.Telegrams())
        if (t[0] == code) return true;
    return false;
}

class CliSeriesTest : public CliVerifyFixture {
protected:
    void SetUp() override {
        CliVerifyFixture::SetUp();
        ASSERT_TRUE(encoder.Start());
        device = encoder.DevicePath();
    }
    sim::EncoderSimulator encoder;
};

TEST_F(CliSeriesTest, ProgramStoresVerifiesAndKeepsARecord) {
    const std::string file = File("anlage.ssi", {"internalPreset=1234", "limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    encoder.ClearTelegrams();
    ASSERT_EQ(Run({"program", file, "--store", "--verify", "--log", log}), kExitOk) << err;
    EXPECT_EQ(err, "");
    EXPECT_TRUE(
        std::regex_search(out, std::regex("^" + device + ": 01.04: programmiert \\([0-9]+\\.[0-9] s\\)\n$")))
        << out;

    // The encoder holds the file, and has stored it: EEPROM and RAM alike.
    EXPECT_EQ(encoder.Ram(1), (sim::Data3{0x00, 0x04, 0xD2}));
    EXPECT_EQ(encoder.Ram(16), (sim::Data3{0xFF, 0xFE, 0x0C}));
    ExpectEepromHoldsRam(encoder);
    // The store comes last, after the verify's reads.
    ASSERT_FALSE(encoder.Telegrams().empty());
    EXPECT_EQ(encoder.Telegrams().back(), (sim::Telegram{26, 0, 0, 0}));

    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 1u);
    const json& r = lines[0];
    EXPECT_TRUE(std::regex_match(r["time"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
        << r["time"];
    EXPECT_EQ(r["device"], device);
    EXPECT_EQ(r["firmware"], "01.04");
    EXPECT_EQ(r["file"], file);
    EXPECT_EQ(r["sha256"], Sha256Hex(FileBytes(file)));
    EXPECT_EQ(r["extended"], false);
    EXPECT_EQ(r["steps"], json::parse(R"({"firmware":"ok","send":"ok","verify":"ok","store":"ok"})"));
    EXPECT_EQ(r["differences"], json::array());
    EXPECT_EQ(r["result"], "programmed");
    EXPECT_TRUE(r["error"].is_null());
    EXPECT_EQ(r["status"], 0);
    EXPECT_GT(r["seconds"].get<double>(), 0.0);

    // A second encoder appends its line; the steps not asked for are not in it.
    ASSERT_EQ(Run({"program", file, "--log", log}), kExitOk) << err;
    const std::vector<json> both = LogLines(log);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0], r);
    EXPECT_EQ(both[1]["steps"], json::parse(R"({"firmware":"ok","send":"ok"})"));
}

TEST_F(CliSeriesTest, RefusedTelegramIsRecordedAsTheFailure) {
    // The encoder refuses an overspeed threshold of 0 (too small); set refuses it too, so the
    // file comes from elsewhere.
    const std::string file = File("falsch.ssi");
    Force(file, "overspeedValue", 0);
    const std::string log = PathOf("serie.log");
    encoder.SetEeprom(1, {0, 0, 9});
    ASSERT_EQ(Run({"program", file, "--store", "--verify", "--log", log}), kExitDevice);
    // The encoder's reason first, the parameter it refused under it.
    EXPECT_EQ(err, "Geber meldet Parameterwert zu klein !\nParameter: Schwellwert Überdrehzahl (KP 22)\n");
    EXPECT_NE(out.find(": 01.04: fehlgeschlagen ("), std::string::npos) << out;
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["steps"],
              json::parse(R"({"firmware":"ok","send":"failed","verify":"skipped","store":"skipped"})"));
    EXPECT_EQ(lines[0]["result"], "failed");
    EXPECT_EQ(lines[0]["error"], "Geber meldet Parameterwert zu klein !");
    EXPECT_EQ(lines[0]["refused"], json::parse(R"({"kp":22,"parameter":"Schwellwert Überdrehzahl"})"));
    EXPECT_EQ(lines[0]["withheld"], json::array());
    EXPECT_EQ(lines[0]["status"], 1);
    // Nothing was stored.
    EXPECT_FALSE(Sent(encoder, 26));
    EXPECT_EQ(encoder.Eeprom(1), (sim::Data3{0, 0, 9}));
}

TEST_F(CliSeriesTest, DifferenceIsStatus4AndNothingIsStored) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    // The encoder takes every value but answers something else for limit 1.
    encoder.SetReplyBytes(16, {0x00, 0x00, 0x05});
    ASSERT_EQ(Run({"--lang", "en", "program", file, "--store", "--verify", "--log", log}), kExitDifferences);
    EXPECT_NE(out.find(": 01.04: different ("), std::string::npos) << out;
    EXPECT_NE(out.find("-500 / 5\n"), std::string::npos) << out;
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["steps"]["verify"], "differences");
    EXPECT_EQ(lines[0]["steps"]["store"], "skipped");
    ASSERT_EQ(lines[0]["differences"].size(), 1u);
    EXPECT_EQ(lines[0]["differences"][0]["member"], "limit1Value");
    EXPECT_EQ(lines[0]["differences"][0]["kp"], 16);
    EXPECT_EQ(lines[0]["differences"][0]["file"], "-500");
    EXPECT_EQ(lines[0]["differences"][0]["encoder"], "5");
    EXPECT_EQ(lines[0]["status"], 4);
    EXPECT_FALSE(Sent(encoder, 26));
}

TEST_F(CliSeriesTest, LogThatCannotBeWrittenSendsNothing) {
    const std::string file = File("anlage.ssi");
    encoder.ClearTelegrams();
    encoder.ResetCounters();
    // Each with its reason, as the file messages give it.
    const std::string folder = dir.string(), noFolder = PathOf("no-folder");
    const std::pair<std::string, std::string> logs[] = {
        {noFolder + "/serie.log",
         noFolder + "/serie.log enthält einen ungültigen Pfad.\nDen Ordner " + noFolder + " gibt es nicht."},
        {folder, "Zugriff auf " + folder + " wurde verweigert.\n" + folder + " ist ein Ordner, keine Datei."},
    };
    for (const auto& [log, why] : logs) {
        EXPECT_EQ(Run({"program", file, "--store", "--log", log}), kExitFile);
        EXPECT_EQ(err, "Das Protokoll " + log + " kann nicht geschrieben werden.\n" + why + "\n");
        EXPECT_EQ(out, "");
    }
    // A file that cannot be read sends nothing either.
    EXPECT_EQ(Run({"program", PathOf("missing.ssi"), "--log", PathOf("serie.log")}), kExitFile);
    PauseMs(100);
    EXPECT_EQ(encoder.Counters().connectionAttempts, 0);
    EXPECT_TRUE(encoder.Telegrams().empty());
    EXPECT_EQ(Run({"program", file, "--bogus"}), kExitUsage);
    EXPECT_EQ(Run({"program"}), kExitUsage);
}

TEST_F(CliSeriesTest, ScanLinesJsonAndNoCandidates) {
    sim::EncoderSimulator silent;
    ASSERT_TRUE(silent.Start());
    silent.SetSilent(true);
    const std::string missing = PathOf("ttyUSB9");
    device.clear();  // no --device: the devices are named

    ASSERT_EQ(Run({"scan", encoder.DevicePath(), silent.DevicePath(), missing}), kExitOk) << err;
    std::istringstream lines(out);
    std::string line;
    std::vector<std::string> seen;
    while (std::getline(lines, line)) seen.push_back(line);
    ASSERT_EQ(seen.size(), 3u) << out;
    EXPECT_TRUE(
        std::regex_match(seen[0], std::regex(encoder.DevicePath() + " +Geber antwortet, Firmware 01\\.04")))
        << seen[0];
    EXPECT_TRUE(std::regex_match(seen[1], std::regex(silent.DevicePath() + " +kein Geber antwortet")))
        << seen[1];
    EXPECT_TRUE(std::regex_match(seen[2], std::regex(missing + " +gibt es nicht"))) << seen[2];

    ASSERT_EQ(Run({"--lang", "en", "scan", "--json", silent.DevicePath(), missing}), kExitDevice);
    const json j = json::parse(out);
    EXPECT_EQ(j["found"], 0);
    ASSERT_EQ(j["devices"].size(), 2u);
    EXPECT_EQ(j["devices"][0], json({{"device", silent.DevicePath()},
                                     {"state", "none"},
                                     {"firmware", nullptr},
                                     {"reason", nullptr}}));
    EXPECT_EQ(j["devices"][1]["state"], "missing");
    EXPECT_EQ(j["devices"][1]["reason"], missing + " does not exist.");
    for (const sim::Telegram& t : encoder.Telegrams()) EXPECT_EQ(t, (sim::Telegram{0x80, 0, 0, 31}));

    // --device names the one device to look at.
    device = encoder.DevicePath();
    EXPECT_EQ(Run({"scan"}), kExitOk);
    EXPECT_NE(out.find("Firmware 01.04"), std::string::npos) << out;

    // No serial device at all: a line that says so and what to do.
    device.clear();
    hooks.serialDevices = std::vector<std::string>{};
    EXPECT_EQ(Run({"scan"}), kExitDevice);
    EXPECT_EQ(out, "");
    EXPECT_EQ(
        err,
        "Keine seriellen Schnittstellen gefunden; Geräte als Argumente angeben: veltrin-cli scan GERÄT...\n");
    // The JSON has every member then too.
    EXPECT_EQ(Run({"scan", "--json"}), kExitDevice);
    EXPECT_EQ(json::parse(out), json::parse(R"({"devices":[],"found":0,"seconds":0.0})"));
}

TEST(CliSeries, TimeOffsetFollowsTheZone) {
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    EXPECT_EQ(IsoLocalTime(1706788800), "2024-02-01T13:00:00+01:00");  // 12:00 UTC in winter
    EXPECT_EQ(IsoLocalTime(1719835200), "2024-07-01T14:00:00+02:00");  // 12:00 UTC in summer
    ::setenv("TZ", "<-0330>3:30", 1);
    ::tzset();
    EXPECT_EQ(IsoLocalTime(1706788800), "2024-02-01T08:30:00-03:30");
    if (before)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

// ---- the real program, stopped by SIGINT -------------------------------------------------------

/// veltrin-cli as a child with its output into files named after it (read when it has ended);
/// run through the words of `through` first when given (setpriv, to become another user).
class CliChild {
public:
    CliChild(const std::filesystem::path& dir, const std::vector<std::string>& args,
             const std::string& name = "child", const std::vector<std::string>& through = {})
        : outPath_((dir / (name + ".out")).string()), errPath_((dir / (name + ".err")).string()) {
        std::vector<std::string> words = through;
        words.push_back(std::string(VELTRIN_BUILD_DIR) + "/veltrin-cli");
        words.insert(words.end(), args.begin(), args.end());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CliChild() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;
    pid_t Pid() const { return pid_; }
    void Interrupt() { ::kill(pid_, SIGINT); }
    /// The exit status once it has ended within timeoutMs; -1 when it did not (it is killed).
    int Wait(int timeoutMs) {
        Deadline deadline(timeoutMs);
        int ws = 0;
        while (::waitpid(pid_, &ws, WNOHANG) == 0) {
            if (deadline.Expired()) return -1;
            PauseMs(20);
        }
        pid_ = -1;
        return WIFEXITED(ws) ? WEXITSTATUS(ws) : -2;
    }
    std::string Out() const { return FileBytes(outPath_); }
    std::string Err() const { return FileBytes(errPath_); }

private:
    std::string outPath_, errPath_;
    pid_t pid_ = -1;
};

/// How the program leaves a line: its speed and whether it is still in exclusive use.
struct LineSettings {
    speed_t speed = 0;
    int exclusive = -1;
};

/// The device's settings, looked at through a descriptor of the test's own (root opens a
/// device in exclusive use too). with, when given, is set first.
LineSettings LineSettingsOf(const std::string& device, std::optional<speed_t> with = std::nullopt) {
    LineSettings s;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return s;
    struct termios t {};
    if (::tcgetattr(fd, &t) == 0) {
        if (with) {
            ::cfsetispeed(&t, *with);
            ::cfsetospeed(&t, *with);
            ::tcsetattr(fd, TCSANOW, &t);
            ::tcgetattr(fd, &t);
        }
        s.speed = ::cfgetospeed(&t);
    }
    ::ioctl(fd, TIOCGEXCL, &s.exclusive);
    ::close(fd);
    return s;
}

/// The line as it was before the program: 9600 baud, where the program sets 2400, and not
/// in exclusive use. A program that ended without closing its port leaves 2400 and the
/// exclusive mode behind.
void ExpectLineGivenBack(const std::string& device) {
    const LineSettings after = LineSettingsOf(device);
    EXPECT_EQ(after.speed, static_cast<speed_t>(B9600));
    EXPECT_EQ(after.exclusive, 0);
}

/// Waits (bounded, generously) until the log holds n lines.
bool WaitForLogLines(const std::string& log, std::size_t n, int timeoutMs) {
    Deadline deadline(timeoutMs);
    while (!deadline.Expired()) {
        std::ifstream in(log);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        if (lines >= n) return true;
        PauseMs(100);
    }
    return false;
}

// The scan as a user of the group "dialout" sees the machine: three encoders, a silent one, one
// that another Veltrin holds, one that only root may open, a plain file and a missing path.
// The held device is refused by its exclusive mode (EBUSY), which root would not meet.
TEST_F(CliSeriesTest, ScanAsAnUnprivilegedUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become an unprivileged user";
    const struct passwd* nobody = ::getpwnam("nobody");
    const struct group* dialout = ::getgrnam("dialout");
    if (!nobody || !dialout || ::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs the user nobody, the group dialout and setpriv";
    // A build inside a folder only root may enter (a clone in mktemp -d) is not nobody's to read.
    const std::string readable = "/usr/bin/setpriv --reuid=" + std::to_string(nobody->pw_uid) +
                                 " --regid=" + std::to_string(nobody->pw_gid) +
                                 " --clear-groups -- test -r '" + std::string(VELTRIN_BUILD_DIR) +
                                 "/veltrin.en.txt'";
    if (std::system(readable.c_str()) != 0) GTEST_SKIP() << "nobody may not read the build's texts";

    std::vector<std::unique_ptr<sim::EncoderSimulator>> others;
    for (const char* firmware : {"0207", "0311", "0104", "0104", "0104"}) {
        sim::SimulatorOptions o;
        o.firmware = firmware;
        others.push_back(std::make_unique<sim::EncoderSimulator>(o));
        ASSERT_TRUE(others.back()->Start());
    }
    sim::EncoderSimulator& silent = *others[2];
    sim::EncoderSimulator& held = *others[3];
    sim::EncoderSimulator& rootOnly = *others[4];
    silent.SetSilent(true);
    for (const sim::EncoderSimulator* e : {&encoder, others[0].get(), others[1].get(), &silent, &held}) {
        ASSERT_EQ(::chown(e->DevicePath().c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(e->DevicePath().c_str(), 0660), 0);
    }
    ASSERT_EQ(::chown(rootOnly.DevicePath().c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(rootOnly.DevicePath().c_str(), 0600), 0);
    const std::string file = PathOf("plain.txt"), missing = PathOf("ttyUSB9");
    std::ofstream(file) << "no tty";
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);  // it opens; it is no terminal

    // Another Veltrin reads the actual value from the held encoder all along.
    CliChild holder(dir, {"--device", held.DevicePath(), "actual", "--count", "1000000000"}, "holder");
    ASSERT_TRUE(held.WaitForTelegrams(1, 20000)) << holder.Err();
    encoder.ClearTelegrams();

    const std::vector<std::string> devices{encoder.DevicePath(),
                                           others[0]->DevicePath(),
                                           others[1]->DevicePath(),
                                           silent.DevicePath(),
                                           held.DevicePath(),
                                           rootOnly.DevicePath(),
                                           file,
                                           missing};
    std::vector<std::string> args{"--lang", "en", "scan", "--json"};
    args.insert(args.end(), devices.begin(), devices.end());
    CliChild scan(
        dir, args, "scan",
        {"/usr/bin/setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
         "--regid=" + std::to_string(nobody->pw_gid), "--groups=" + std::to_string(dialout->gr_gid), "--"});
    const int status = scan.Wait(60000);
    if (status == 126 || status == 127)
        GTEST_SKIP() << "nobody may not run the build's program: " << scan.Err();
    EXPECT_EQ(status, kExitOk) << scan.Err();
    const json j = json::parse(scan.Out(), nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << scan.Out() << scan.Err();
    EXPECT_EQ(j["found"], 3);
    ASSERT_EQ(j["devices"].size(), devices.size()) << j;
    const std::pair<const char*, json> expected[] = {
        {"found", "01.04"}, {"found", "02.07"},        {"found", "03.11"},     {"none", nullptr},
        {"busy", nullptr},  {"noPermission", nullptr}, {"notSerial", nullptr}, {"missing", nullptr},
    };
    for (std::size_t i = 0; i < devices.size(); ++i) {
        EXPECT_EQ(j["devices"][i]["device"], devices[i]);
        EXPECT_EQ(j["devices"][i]["state"], expected[i].first) << j["devices"][i];
        EXPECT_EQ(j["devices"][i]["firmware"], expected[i].second) << j["devices"][i];
    }
    // The holder is named, as /proc/locks shows it to everyone; no group to join for root's own.
    EXPECT_EQ(j["devices"][4]["reason"], held.DevicePath() + " is already in use, by process " +
                                             std::to_string(holder.Pid()) + " (veltrin-cli).");
    EXPECT_EQ(j["devices"][5]["reason"], "No permission for " + rootOnly.DevicePath() + ".");

    // Nothing but the firmware read on the lines scanned; nothing at all where the device did
    // not open.
    for (const sim::EncoderSimulator* e : {&encoder, others[0].get(), others[1].get()}) {
        EXPECT_FALSE(e->Telegrams().empty());
        for (const sim::Telegram& t : e->Telegrams()) EXPECT_EQ(t, (sim::Telegram{0x80, 0, 0, 31}));
    }
    EXPECT_TRUE(silent.Telegrams().empty());
    EXPECT_EQ(rootOnly.Counters().connectionAttempts, 0);
    EXPECT_EQ(FileBytes(file), "no tty");
}

TEST_F(CliSeriesTest, RepeatProgramsEncoderAfterEncoderUntilSigint) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    // The line: after each EEPROM store the encoder is taken off and a fresh one comes. Off the
    // line long enough for the two unanswered looks that tell it gone (about 1.7 s) also on an
    // overloaded machine that holds the program up now and then.
    encoder.SwapAfterStore(8000);
    encoder.ClearTelegrams();
    ASSERT_EQ(LineSettingsOf(device, B9600).speed, static_cast<speed_t>(B9600));
    CliChild cli(dir,
                 {"--lang", "de", "--device", device, "program", file, "--store", "--log", log, "--repeat"});
    ASSERT_TRUE(WaitForLogLines(log, 2, 90000)) << "two encoders were not programmed";
    cli.Interrupt();
    const int status = cli.Wait(20000);
    EXPECT_EQ(status, 0) << cli.Err();
    const std::string out = cli.Out();
    EXPECT_NE(out.find("Programmiert: 2, fehlgeschlagen: 0\n"), std::string::npos) << out;
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 2u);
    for (const json& line : lines) {
        EXPECT_EQ(line["result"], "programmed");
        EXPECT_EQ(line["steps"]["store"], "ok");
    }
    EXPECT_EQ(encoder.Counters().swaps, 2);
    int stores = 0;
    for (const sim::Telegram& t : encoder.Telegrams()) stores += t[0] == 26 ? 1 : 0;
    EXPECT_EQ(stores, 2);
    // The port is given back as it was found: it opens again.
    ExpectLineGivenBack(device);
    CSerialPort again;
    again.SetDeviceOverride(device);
    EXPECT_TRUE(again.Open());
}

TEST_F(CliSeriesTest, SigintInTheMiddleOfAnEncoderEndsCleanly) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    // Replies a little late, so that the verify takes some seconds.
    encoder.ClearTelegrams();
    encoder.ResetCounters();
    encoder.SetReplyDelay(30);
    ASSERT_EQ(LineSettingsOf(device, B9600).speed, static_cast<speed_t>(B9600));
    CliChild cli(dir,
                 {"--lang", "de", "--device", device, "program", file, "--verify", "--store", "--log", log});
    // Well into the verify's reads (the send writes about 30 telegrams).
    ASSERT_TRUE(encoder.WaitForTelegrams(40, 60000));
    cli.Interrupt();
    const int status = cli.Wait(20000);
    EXPECT_EQ(status, 130) << cli.Err();
    EXPECT_NE(cli.Out().find(": 01.04: abgebrochen ("), std::string::npos) << cli.Out();
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["result"], "interrupted");
    EXPECT_EQ(lines[0]["steps"]["verify"], "interrupted");
    EXPECT_EQ(lines[0]["steps"]["store"], "skipped");
    EXPECT_EQ(lines[0]["status"], 130);
    EXPECT_FALSE(Sent(encoder, 26));
    // The port was closed as usual, no block was cut off on the line, and the encoder answers
    // the next program at once.
    ExpectLineGivenBack(device);
    EXPECT_EQ(encoder.Counters().badBlocks, 0);
    encoder.SetReplyDelay(0);
    CSerialPort port;
    port.SetDeviceOverride(device);
    ASSERT_TRUE(port.Open());
    Link link(&port);
    std::array<char, 4> firmware{};
    EXPECT_TRUE(ProbeFirmware(link, firmware));
}

// ---- several stations side by side ----------------------------------------------------------

/// Encoders on ptys of their own, each started; the first `count` of a line of stations.
struct Encoders {
    explicit Encoders(int count, sim::SimulatorOptions options = {}) {
        for (int i = 0; i < count; ++i) {
            all.push_back(std::make_unique<sim::EncoderSimulator>(options));
            EXPECT_TRUE(all.back()->Start());
        }
    }
    sim::EncoderSimulator& operator[](std::size_t i) { return *all[i]; }
    std::vector<std::string> DeviceArgs() const {
        std::vector<std::string> args;
        for (const auto& e : all) args.insert(args.end(), {"--device", e->DevicePath()});
        return args;
    }
    std::vector<std::unique_ptr<sim::EncoderSimulator>> all;
};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(CliSeriesTest, SixteenStationsEachFaultStaysInItsStation) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    // The encoders run in this process: a hold-up of it (a loaded machine) holds up both ends
    // of every line at once, sixteen lines at a time. More attempts on both sides than the
    // program's three keep such hold-ups from failing an exchange that a real line would pass.
    // The lines go as fast as the pseudo-terminals do: paced at the line's speed, sixteen
    // encoders in one process wake so often that on a busy machine they fell behind the
    // program's character time-out.
    sim::SimulatorOptions patient;
    patient.retryCount = 8;
    hooks.timing = LinkTiming{};
    hooks.timing->retryCount = {8, 8, 0};
    Encoders encoders(15, patient);
    encoders[2].SetSilent(true);                        // station 3: no encoder answers
    encoders[4].NakTelegrams(sim::kAlways, 2);          // station 5: every telegram refused
    encoders[6].SetReplyBytes(16, {0x00, 0x00, 0x05});  // station 7: limit 1 reads back 5
    encoders[8].HangUpAfterTelegrams(10);               // station 9: the adapter pulled mid-send
    CSerialPort holder;                                 // station 14: another program holds the device
    holder.SetDeviceOverride(encoders[13].DevicePath());
    ASSERT_TRUE(holder.Open());
    std::vector<std::string> args =
        Join({"--lang", "en", "program", file, "--verify", "--store", "--log", log}, encoders.DeviceArgs());
    const std::string notSerial = File("no-port.ssi");  // station 16: a file, no serial line
    args.insert(args.end(), {"--device", notSerial});
    EXPECT_EQ(Run(args), kExitDevice) << err;

    // One whole line per station, each its own; the faults only where they were made.
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 16u) << FileBytes(log);
    std::map<int, json> byStation;
    for (const json& line : lines) byStation[line["station"].get<int>()] = line;
    ASSERT_EQ(byStation.size(), 16u);
    const std::map<int, std::pair<const char*, const char*>> faulty = {
        {3, {"failed", "firmware"}}, {5, {"failed", "firmware"}},  {7, {"differences", "verify"}},
        {9, {"failed", "send"}},     {14, {"failed", "firmware"}}, {16, {"failed", "firmware"}}};
    for (int station = 1; station <= 16; ++station) {
        const json& line = byStation[station];
        EXPECT_EQ(line["device"], station == 16 ? notSerial : encoders[station - 1].DevicePath());
        const auto fault = faulty.find(station);
        if (fault == faulty.end()) {
            EXPECT_EQ(line["result"], "programmed") << line.dump();
            EXPECT_EQ(line["steps"]["store"], "ok");
            ExpectEepromHoldsRam(encoders[station - 1]);
        } else {
            EXPECT_EQ(line["result"], fault->second.first) << line.dump();
            EXPECT_NE(line["steps"][fault->second.second], "ok") << line.dump();
            if (station != 7) {
                EXPECT_FALSE(line["error"].is_null()) << line.dump();
            }
            if (station != 16) {
                EXPECT_FALSE(Sent(encoders[station - 1], 26));
            }
        }
    }
    EXPECT_EQ(byStation[3]["error"], "Encoder does not answer!");
    EXPECT_EQ(byStation[5]["error"], "Encoder reports: KP number is read-only!");
    EXPECT_NE(byStation[16]["error"].get<std::string>().find(notSerial), std::string::npos);
    EXPECT_NE(byStation[14]["error"].get<std::string>().find(encoders[13].DevicePath()), std::string::npos);
    EXPECT_TRUE(encoders[13].Telegrams().empty());
    EXPECT_NE(out.find("In all: programmed 10, different 1, failed 5, interrupted 0\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find(encoders[6].DevicePath() + ": programmed 0, different 1, failed 0, interrupted 0\n"),
              std::string::npos);
}

TEST_F(CliSeriesTest, StationsNamedTwiceOrWithAllAreAUsageError) {
    const std::string file = File("anlage.ssi");
    const std::string link = PathOf("by-id-link");
    std::filesystem::create_symlink(device, link);
    encoder.ClearTelegrams();
    encoder.ResetCounters();
    const std::vector<std::string> cases[] = {
        {"program", file, "--device", device, "--device", device},
        {"program", file, "--device", device, "--device", link},  // one device under two names
        {"program", file, "--device", device, "--all"},
        {"program", file, "--device"},
    };
    for (const auto& args : cases) EXPECT_EQ(Run(args), kExitUsage) << err;
    EXPECT_EQ(Run({"--lang", "en", "program", file, "--device", link, "--device", device}), kExitUsage);
    EXPECT_NE(err.find("The device " + device + " is named twice."), std::string::npos) << err;
    PauseMs(100);
    EXPECT_EQ(encoder.Counters().connectionAttempts, 0);
}

TEST_F(CliSeriesTest, LogOnAFullDiskOrAReadOnlyFolderIsRefusedBeforeAnyTelegram) {
    // Small file systems of the test's own, in a mount namespace: one filled up, one read-only
    // (which stops root as well).
    if (std::system("unshare -rm true 2>/dev/null") != 0) GTEST_SKIP() << "no mount namespace to be had";
    const std::string file = File("anlage.ssi");
    const std::string full = PathOf("full"), readOnly = PathOf("read-only");
    std::filesystem::create_directory(full);
    std::filesystem::create_directory(readOnly);
    encoder.ClearTelegrams();
    encoder.ResetCounters();
    const std::string cli = std::string("'") + VELTRIN_BUILD_DIR + "/veltrin-cli' --lang en program '" +
                            file + "' --device '" + device + "' --device '" + PathOf("x") + "' --log ";
    const std::string script =
        "mount -t tmpfs -o size=256k none '" + full + "' && mount -t tmpfs -o ro none '" + readOnly +
        "' && { dd if=/dev/zero of='" + full + "/fill' bs=4k 2>/dev/null; " + cli + "'" + full +
        "/serie.log'; echo \"status $?\"; " + cli + "'" + readOnly + "/serie.log'; echo \"status $?\"; }";
    const std::string outPath = PathOf("ns.out");
    ASSERT_EQ(::setenv("VELTRIN_TEST_SCRIPT", script.c_str(), 1), 0);
    EXPECT_EQ(std::system(("unshare -rm sh -c \"$VELTRIN_TEST_SCRIPT\" >'" + outPath + "' 2>&1").c_str()), 0);
    ::unsetenv("VELTRIN_TEST_SCRIPT");
    const std::string out = FileBytes(outPath);
    EXPECT_NE(out.find("The log " + full + "/serie.log cannot be written.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("The log " + readOnly + "/serie.log cannot be written.\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("status 0"), std::string::npos) << out;
    EXPECT_NE(out.find("status 3\nThe log"), std::string::npos) << out;
    PauseMs(100);
    EXPECT_EQ(encoder.Counters().connectionAttempts, 0);
}

TEST_F(CliSeriesTest, ALogThatFillsUpStopsEveryStation) {
    // /dev/full opens like a file with room, and every write fails as on a full disk.
    const std::string file = File("anlage.ssi");
    Encoders slow(1);
    slow[0].SetReplyDelay(150);  // its verify is slow: the first encoder is done first
    EXPECT_EQ(Run({"--lang", "de", "program", file, "--verify", "--store", "--log", "/dev/full", "--device",
                   device, "--device", slow[0].DevicePath()}),
              kExitFile);
    EXPECT_NE(err.find(LogErrorText("/dev/full", ENOSPC)), std::string::npos) << err;
    EXPECT_NE(out.find("Gesamt: programmiert 1, abweichend 0, fehlgeschlagen 0, abgebrochen 1\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(Sent(slow[0], 26));  // nothing made permanent that the record would not hold
}

TEST_F(CliSeriesTest, AllTakesEveryDeviceWhereAnEncoderAnswers) {
    const std::string file = File("anlage.ssi");
    const std::string log = PathOf("serie.log");
    Encoders others(2);
    others[1].SetSilent(true);
    hooks.serialDevices = {device, others[0].DevicePath(), others[1].DevicePath(), PathOf("x")};
    EXPECT_EQ(Run({"--lang", "en", "program", file, "--all", "--log", log}), kExitOk) << err;
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::set<std::string>({lines[0]["device"], lines[1]["device"]}),
              std::set<std::string>({device, others[0].DevicePath()}));
    EXPECT_TRUE(others[1].Telegrams().size() <= 2u);  // the scan's look, nothing programmed
    hooks.serialDevices = std::vector<std::string>{others[1].DevicePath()};
    EXPECT_EQ(Run({"--lang", "en", "program", file, "--all"}), kExitDevice);
    EXPECT_EQ(err, "No encoder answers on any serial port.\n");
}

TEST_F(CliSeriesTest, RepeatStationsEachWaitForTheirNextEncoderOnTheirOwn) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    // Station 1 gets a fresh encoder soon after each store, station 2 only much later: station 1
    // goes on without waiting for it. Off the line long enough for the two looks that tell an
    // encoder gone, also on a loaded machine.
    Encoders encoders(2);
    encoders[0].SwapAfterStore(4000);
    encoders[1].SwapAfterStore(600000);
    CliChild cli(dir, Join({"--lang", "en", "program", file, "--store", "--log", log, "--repeat"},
                           encoders.DeviceArgs()));
    ASSERT_TRUE(WaitForLogLines(log, 3, 90000)) << "station 1 did not go on on its own";
    cli.Interrupt();
    EXPECT_EQ(cli.Wait(20000), 0) << cli.Err();
    std::map<int, int> perStation;
    for (const json& line : LogLines(log)) {
        EXPECT_EQ(line["result"], "programmed") << line.dump();
        ++perStation[line["station"].get<int>()];
    }
    EXPECT_GE(perStation[1], 2);
    EXPECT_EQ(perStation[2], 1);
    EXPECT_NE(
        cli.Out().find(encoders[1].DevicePath() + ": programmed 1, different 0, failed 0, interrupted 0\n"),
        std::string::npos)
        << cli.Out();
    EXPECT_NE(cli.Err().find("Waiting for an encoder on " + encoders[0].DevicePath()), std::string::npos);
}

TEST_F(CliSeriesTest, SigintDuringTheFirstTelegramOfSixteenStations) {
    const std::string file = File("anlage.ssi", {"limit1Value=-500"});
    const std::string log = PathOf("serie.log");
    Encoders encoders(16);
    for (auto& e : encoders.all) {
        e->SetReplyDelay(3000);  // the first reply is long in coming
        ASSERT_EQ(LineSettingsOf(e->DevicePath(), B9600).speed, static_cast<speed_t>(B9600));
    }
    CliChild cli(dir, Join({"--lang", "en", "program", file, "--verify", "--store", "--log", log},
                           encoders.DeviceArgs()));
    for (auto& e : encoders.all) ASSERT_TRUE(e->WaitForTelegrams(1, 60000));
    cli.Interrupt();
    EXPECT_EQ(cli.Wait(30000), 130) << cli.Err();
    const std::vector<json> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 16u);
    for (const json& line : lines) {
        EXPECT_EQ(line["result"], "interrupted") << line.dump();
        EXPECT_EQ(line["steps"]["firmware"], "interrupted") << line.dump();
    }
    EXPECT_NE(cli.Out().find("In all: programmed 0, different 0, failed 0, interrupted 16\n"),
              std::string::npos)
        << cli.Out();
    // Nothing was written to any encoder, no block cut off, every port given back.
    for (auto& e : encoders.all) {
        EXPECT_EQ(e->Telegrams().size(), 1u);
        EXPECT_EQ(e->Counters().badBlocks, 0);
        ExpectLineGivenBack(e->DevicePath());
    }
}

}  // namespace
}  // namespace veltrin::cli::test
