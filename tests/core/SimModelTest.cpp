// The simulated encoder: its parameter model (reply layout, ranges, commands, actual value)
// and the program veltrin-sim.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/Link.h"
#include "link/SerialPort.h"
#include "sim/EncoderModel.h"

using namespace veltrin;
using namespace veltrin::sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ReadKp(const EncoderModel& model, int kp) {
    Bytes reply;
    EXPECT_EQ(model.Read(kp, std::chrono::steady_clock::now(), reply), EncoderError::None) << "KP " << kp;
    return reply;
}

}  // namespace

TEST(SimModel, WhatIsWrittenReadsBackInTheReplyLayout) {
    struct Case {
        int kp;
        Data3 written;
        int readKp;
        Bytes reply;
    };
    const Case cases[] = {
        {1, {0xFF, 0xFF, 0xFF}, 1, {0xFF, 0xFF, 0xFF}},  // -1
        {10, {0x80, 0x00, 0x01}, 10, {0x80, 0x00, 0x01}},
        {20, {0, 0, 0xC5}, 20, {0xC5, 0, 0}},  // S 12, U 5 in nibbles
        {20, {0, 0, 0xC5}, 21, {17, 5, 12}},   // ... and as KP 21: sum, U, S
        {21, {12, 13, 25}, 21, {25, 13, 12}},
        {29, {0, 0, 0}, 29, {0, 0x08, 0}},  // "32 Bit": b2 bit 3 set
        {29, {0, 0, 1}, 29, {0, 0x00, 0}},
        {30, {0, 1, 5}, 30, {0, 1, 5}},
        {32, {0, 0, 3}, 32, {0x02, 0x01, 0}},  // on, "aktiv 1"
        {33, {0, 0, 1}, 33, {0x04, 0x00, 0}},  // on, "aktiv 0"
        {34, {0, 0, 3}, 34, {0x80, 0x01, 0}},
        {35, {0, 0, 1}, 35, {0x01, 0, 0}},
        {36, {0, 0, 1}, 36, {0x10, 0, 0}},
        {36, {0, 0, 2}, 36, {0, 0x10, 0}},
        {37, {0, 0, 2}, 37, {0x02, 0, 0}},  // the code as written
        {39, {0, 0, 1}, 39, {0x04, 0, 0}},
        {41, {0, 0, 0x0B}, 41, {0x0B, 0, 0}},
    };
    for (const Case& c : cases) {
        EncoderModel model;
        ASSERT_EQ(model.Write(c.kp, c.written), EncoderError::None) << "KP " << c.kp;
        EXPECT_EQ(ReadKp(model, c.readKp), c.reply) << "KP " << c.kp << " read as " << c.readKp;
    }
    EncoderModel model;
    EXPECT_EQ(ReadKp(model, 31), (Bytes{'0', '1', '0', '4'}));
    EXPECT_EQ(ReadKp(model, 14).size(), 4u);
    EXPECT_EQ(ReadKp(model, 15).size(), 4u);
}

TEST(SimModel, RefusalsAndRanges) {
    struct Case {
        int kp;
        Data3 d;
        EncoderError error;
    };
    using E = EncoderError;
    const Case cases[] = {
        {5, {0, 0, 0}, E::UnknownKp},
        {12, {0, 0, 0}, E::UnknownKp},
        {49, {0, 0, 0}, E::UnknownKp},
        {0, {0, 0, 0}, E::ReadOnly},
        {14, {0, 0, 0}, E::ReadOnly},
        {15, {0, 0, 0}, E::ReadOnly},
        {31, {0, 0, 0}, E::ReadOnly},
        {21, {kMaxBitsS, kMaxBitsU, kMaxBitsS + kMaxBitsU}, E::None},
        {21, {kMaxBitsS + 1, 0, kMaxBitsS + 1}, E::TooLarge},
        {21, {0, kMaxBitsU + 1, kMaxBitsU + 1}, E::TooLarge},
        {21, {1, 1, 3}, E::Invalid},
        {20, {0, 0, 0xDC}, E::TooLarge},
        {22, {0, 0, 0}, E::TooSmall},
        {22, {0, 0, 1}, E::None},
        {22, {0, 0, 255}, E::None},
        {23, {0, 0, 0}, E::None},
        {23, {0, 1, 0}, E::TooLarge},
        {30, {0, 1, kMaxShiftAmount}, E::None},
        {30, {0, 0, kMaxShiftAmount + 1}, E::TooLarge},
        {30, {0, 2, 0}, E::Invalid},
        {29, {0, 0, 2}, E::Invalid},
        {36, {0, 0, 3}, E::Invalid},
        {37, {0, 0, 3}, E::Invalid},
        {35, {0, 0, 2}, E::Invalid},
        {32, {0, 0, 4}, E::Invalid},
        {48, {0, 0, 0x20}, E::Invalid},
        {48, {0, 0, 0x1F}, E::None},
        {1, {0xFF, 0xFF, 0xFF}, E::None},
        {8, {0, 0, 0}, E::None},
    };
    for (const Case& c : cases) {
        EncoderModel model;
        const Data3 before = model.Ram(c.kp);
        EXPECT_EQ(model.Write(c.kp, c.d), c.error) << "KP " << c.kp;
        if (c.error != E::None) {
            EXPECT_EQ(model.Ram(c.kp), before) << "KP " << c.kp;  // nothing stored
        }
    }
    EncoderModel model;
    Bytes reply;
    for (int kp : {5, 12, 13, 24, 25, 26, 27, 28, 49, 200}) {
        EXPECT_EQ(model.Read(kp, std::chrono::steady_clock::now(), reply), E::UnknownKp) << "KP " << kp;
    }
}

TEST(SimModel, CommandsMoveTheImages) {
    EncoderModel model;
    const auto defaults = EncoderModel::Defaults();
    // The encoder's defaults are the program's start-up values.
    EXPECT_EQ(defaults.at(8), (Data3{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(defaults.at(23), (Data3{0, 0, 255}));
    EXPECT_EQ(defaults.at(22), (Data3{0, 0, 100}));
    EXPECT_EQ(defaults.at(21), (Data3{12, 12, 24}));
    EXPECT_EQ(defaults.at(9), (Data3{0, 0, 1}));
    EXPECT_EQ(defaults.at(11), (Data3{0, 0, 1}));
    EXPECT_EQ(defaults.at(44), (Data3{0, 0, 0x10}));

    ASSERT_EQ(model.Write(1, {0, 0, 5}), EncoderError::None);
    ASSERT_EQ(model.Write(26, {0, 0, 0}), EncoderError::None);  // RAM -> EEPROM
    EXPECT_EQ(model.Eeprom(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(1, {0, 0, 7}), EncoderError::None);
    EXPECT_EQ(model.Eeprom(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(27, {0, 0, 0}), EncoderError::None);  // EEPROM -> RAM
    EXPECT_EQ(model.Ram(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(21, {3, 4, 7}), EncoderError::None);
    ASSERT_EQ(model.Write(28, {0, 0, 0}), EncoderError::None);  // defaults into RAM only
    EXPECT_EQ(model.Ram(1), (Data3{0, 0, 0}));
    EXPECT_EQ(model.Ram(20), (Data3{0, 0, 0xCC}));
    EXPECT_EQ(model.Eeprom(1), (Data3{0, 0, 5}));
}

TEST(SimModel, ActualValueFollowsRepresentationCodeAndShaft) {
    const auto now = std::chrono::steady_clock::now();
    EncoderModel model;
    model.SetSpeed(0, now);
    model.SetActualValue(-1, std::nullopt, now);
    auto reply = [&] {
        Bytes r;
        model.Read(0, now, r);
        return r;
    };
    EXPECT_EQ(reply(), (Bytes{0xFF, 0xFF, 0xFF, 0x00}));  // two's complement
    model.Write(36, {0, 0, 2});
    EXPECT_EQ(reply(), (Bytes{0x80, 0x00, 0x01, 0x00}));  // separate sign
    model.Write(36, {0, 0, 0});
    model.SetActualValue(5, 0xA5, now);
    model.Write(35, {0, 0, 1});
    EXPECT_EQ(reply(), (Bytes{0x00, 0x00, 0x07, 0xA5}));  // Gray code of 5, status as set
    model.Write(35, {0, 0, 0});

    // Status bits from their configuration: standstill at bit 3, direction at bit 5, "aktiv 1".
    model.SetActualValue(100, std::nullopt, now);
    model.Write(45, {0, 0, 0x1B});
    model.Write(48, {0, 0, 0x1D});
    EXPECT_EQ(reply()[3], 0x08);
    model.SetSpeed(-50, now);
    EXPECT_EQ(reply()[3], 0x20);

    // The shaft turns: the position moves with time.
    model.SetSpeed(1000, now);
    EXPECT_EQ(model.Position(now + std::chrono::milliseconds(100)), model.Position(now) + 100);
    model.Write(38, {0, 0, 1});  // counting backward
    EXPECT_LT(model.Position(now + std::chrono::milliseconds(100)), model.Position(now));
}

namespace {

const std::string kSimProgram = std::string(VELTRIN_BUILD_DIR) + "/veltrin-sim";

/// veltrin-sim as a child with its input and output on pipes; ended (its input closed, and
/// killed by its id when it does not go) when the test is done with it.
class SimChild {
public:
    explicit SimChild(const std::vector<std::string>& options) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> args = {kSimProgram};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, kSimProgram.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~SimChild() {
        End();
        ::close(output_);
    }

    /// The next line of its output; nothing when none came within a minute (or it ended).
    std::optional<std::string> Line() {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (char c = 0;;) {
            struct pollfd pfd {
                output_, POLLIN, 0
            };
            if (std::chrono::steady_clock::now() > deadline || ::poll(&pfd, 1, 1000) < 0) return std::nullopt;
            if (!(pfd.revents & (POLLIN | POLLHUP))) continue;
            if (::read(output_, &c, 1) != 1) return std::nullopt;
            if (c == '\n') return line;
            line += c;
        }
    }
    /// Whether it has ended by itself within a minute; its exit status in status.
    bool Ended(int& status) {
        for (int i = 0; i < 6000 && pid_ > 0; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    /// Closes its input (its parent "dies") and waits for it; its exit status, -1 when it
    /// had to be killed.
    int End() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
        int status = -1;
        if (pid_ <= 0) return 0;
        if (Ended(status)) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::kill(pid_, SIGKILL);  // our own child, by its id
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
        return -1;
    }

private:
    pid_t pid_ = 0;
    int input_ = -1, output_ = -1;
};

/// What an encoder answers to a read of its firmware (KP 31) with the link's own time-outs:
/// the four characters, "NAK e" with the error number it gives, or "-" for no answer.
std::string Firmware(CSerialPort& port) {
    Link link(&port);
    const std::uint8_t request[4] = {0x80, 0, 0, 31};
    if (!link.SendTelegramReportingError(kChannel, request, 4))
        return link.deviceError.nakReceived ? "NAK " + std::to_string(link.deviceError.errorNumber) : "-";
    if (!link.ReceiveReply(kChannel, link.replyBlock, 4)) return "-";
    return std::string(link.replyBlock.data.begin(), link.replyBlock.data.begin() + 4);
}

}  // namespace

// The program veltrin-sim: readiness line, a usable device, clean end when its parent goes.
TEST(SimProgram, ServesUntilItsInputCloses) {
    const std::string linkPath = "/tmp/veltrin-sim-test-" + std::to_string(::getpid());
    SimChild sim({"--firmware", "0203", "--link", linkPath});
    // The first line is the device, written once it serves.
    const std::optional<std::string> line = sim.Line();
    ASSERT_TRUE(line && line->rfind("/dev/", 0) == 0) << line.value_or("(none)");
    char target[256] = {};
    ASSERT_GT(::readlink(linkPath.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(*line, target);

    CSerialPort port;
    port.SetDeviceOverride(linkPath);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(Firmware(port), "0203");
    port.Close();

    EXPECT_EQ(sim.End(), 0) << "veltrin-sim did not end when its input closed";  // the parent "dies"
    struct stat st {};
    EXPECT_NE(::lstat(linkPath.c_str(), &st), 0);  // the link is gone
}

TEST(SimProgram, HelpAndBadOptions) {
    const std::string program = std::string(VELTRIN_BUILD_DIR) + "/veltrin-sim";
    EXPECT_EQ(std::system((program + " --help > /dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " --firmware 12 2> /dev/null < /dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " --bogus 2> /dev/null < /dev/null").c_str()), 0);
}

// Several encoders side by side, one pseudo-terminal each: every printed path is an encoder of
// its own, and a fault given for one (--at K) reaches that one only and wins over the same
// option given for all.
TEST(SimProgram, SeveralEncodersEachWithItsOwnFaults) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::vector<std::string>> answers;  // per encoder, one per read of KP 31
        bool endsByItself;                              // every encoder has hung up
    };
    const Case cases[] = {
        {{"--encoders", "3", "--firmware", "0203"}, {{"0203"}, {"0203"}, {"0203"}}, false},
        {{"--encoders", "4", "--line-rate", "--at", "2", "--silent", "--at", "3", "--nak-always", "7", "--at",
          "4", "--firmware", "0311", "--firmware", "0202"},
         {{"0202"}, {"-"}, {"NAK 7"}, {"0311"}},
         false},
        {{"--encoders", "2", "--at", "1", "--hang-up-after", "1"}, {{"0104", "-"}, {"0104", "0104"}}, false},
        {{"--at", "1", "--firmware", "0105", "--hang-up-after", "2"}, {{"0105", "0105", "-"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        SimChild sim(c.options);
        std::vector<std::string> devices;
        for (std::size_t k = 0; k < c.answers.size(); ++k) {
            const auto line = sim.Line();
            ASSERT_TRUE(line && line->rfind("/dev/", 0) == 0)
                << "encoder " << k + 1 << ": " << line.value_or("");
            EXPECT_EQ(std::count(devices.begin(), devices.end(), *line), 0) << *line;
            devices.push_back(*line);
        }
        std::vector<std::unique_ptr<CSerialPort>> ports;
        for (const std::string& device : devices) {
            ports.push_back(std::make_unique<CSerialPort>());
            ports.back()->SetDeviceOverride(device);
            ASSERT_TRUE(ports.back()->Open()) << device;
        }
        // Read by read, across the encoders: each keeps its own count of telegrams.
        for (std::size_t round = 0; round < 3; ++round) {
            for (std::size_t k = 0; k < devices.size(); ++k) {
                if (round >= c.answers[k].size()) continue;
                EXPECT_EQ(Firmware(*ports[k]), c.answers[k][round])
                    << "encoder " << k + 1 << " read " << round + 1;
            }
        }
        ports.clear();
        int status = -1;
        if (c.endsByItself) {
            ASSERT_TRUE(sim.Ended(status)) << "veltrin-sim serves on with every encoder hung up";
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        } else {
            EXPECT_EQ(sim.End(), 0);
        }
    }
}

// --link with several encoders: PATH-1 ... PATH-N, in the order of the printed paths, gone on exit.
TEST(SimProgram, LinksOfSeveralEncodersAreNumbered) {
    const std::string linkPath = "/tmp/veltrin-sim-test-" + std::to_string(::getpid()) + "-multi";
    SimChild sim({"--link", linkPath, "--encoders", "3"});
    for (int k = 1; k <= 3; ++k) {
        const auto line = sim.Line();
        ASSERT_TRUE(line);
        char target[256] = {};
        ASSERT_GT(::readlink((linkPath + "-" + std::to_string(k)).c_str(), target, sizeof target - 1), 0)
            << k;
        EXPECT_EQ(*line, target);
    }
    CSerialPort port;
    port.SetDeviceOverride(linkPath + "-2");
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(Firmware(port), "0104");
    port.Close();
    struct stat st {};
    EXPECT_NE(::lstat(linkPath.c_str(), &st), 0);  // no link without a number
    EXPECT_EQ(sim.End(), 0);
    for (int k = 1; k <= 3; ++k)
        EXPECT_NE(::lstat((linkPath + "-" + std::to_string(k)).c_str(), &st), 0) << k;
}

// A bad --at, or a bad option after it, is refused with exit status 2 and a message that says why.
TEST(SimProgram, BadAtIsRefused) {
    struct Case {
        std::string options;
        std::string message;
    };
    const Case cases[] = {
        {"--encoders 2 --at 3 --silent", "--at 3: there are encoders 1 to 2"},
        {"--at 2 --silent", "--at 2: there is 1 encoder"},
        {"--encoders 2 --at 0 --silent", "--at wants the number of an encoder"},
        {"--encoders 2 --at x --silent", "--at wants the number of an encoder"},
        {"--encoders 2 --at", "--at wants the number of an encoder"},
        {"--encoders 2 --at 1", "--at 1 wants an option for the encoder after it"},
        {"--encoders 2 --at 1 --bogus", "--at 1 wants an option for the encoder after it, not --bogus"},
        {"--encoders 2 --at 1 --at 2 --silent", "--at 1 wants an option for the encoder after it, not --at"},
        {"--at 1 --encoders 2", "--at 1 wants an option for the encoder after it, not --encoders"},
        {"--at 1 --link /tmp/x", "--at 1 wants an option for the encoder after it, not --link"},
        {"--encoders 2 --at 2 --nak-always 256", "--nak-always wants an error number 0 to 255"},
        {"--encoders 2 --at 2 --reply-delay", "--reply-delay wants a value"},
        {"--encoders 65", "--encoders wants 1 to 64"},
        {"--encoders 0", "--encoders wants 1 to 64"},
        {"--hang-up-after 0", "--hang-up-after wants 1 to 1000000 telegrams"},
    };
    for (const Case& c : cases) {
        std::FILE* out =
            ::popen((kSimProgram + " " + c.options + " 2>&1 >/dev/null </dev/null").c_str(), "r");
        ASSERT_NE(out, nullptr);
        std::string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out)) text += buffer;
        const int status = ::pclose(out);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << c.options << ": " << status;
        EXPECT_NE(text.find("veltrin-sim: " + c.message), std::string::npos) << c.options << ": " << text;
    }
}
