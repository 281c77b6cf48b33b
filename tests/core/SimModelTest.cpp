// The simulated encoder: its parameter model (reply layout, ranges, commands, actual value)
// and the program veltrin-sim.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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
    struct Case { int kp; Data3 written; int readKp; Bytes reply; };
    const Case cases[] = {
        {1, {0xFF, 0xFF, 0xFF}, 1, {0xFF, 0xFF, 0xFF}},            // -1
        {10, {0x80, 0x00, 0x01}, 10, {0x80, 0x00, 0x01}},
        {20, {0, 0, 0xC5}, 20, {0xC5, 0, 0}},                      // S 12, U 5 in nibbles
        {20, {0, 0, 0xC5}, 21, {17, 5, 12}},                       // ... and as KP 21: sum, U, S
        {21, {12, 13, 25}, 21, {25, 13, 12}},
        {29, {0, 0, 0}, 29, {0, 0x08, 0}},                         // "32 Bit": b2 bit 3 set
        {29, {0, 0, 1}, 29, {0, 0x00, 0}},
        {30, {0, 1, 5}, 30, {0, 1, 5}},
        {32, {0, 0, 3}, 32, {0x02, 0x01, 0}},                      // on, "aktiv 1"
        {33, {0, 0, 1}, 33, {0x04, 0x00, 0}},                      // on, "aktiv 0"
        {34, {0, 0, 3}, 34, {0x80, 0x01, 0}},
        {35, {0, 0, 1}, 35, {0x01, 0, 0}},
        {36, {0, 0, 1}, 36, {0x10, 0, 0}},
        {36, {0, 0, 2}, 36, {0, 0x10, 0}},
        {37, {0, 0, 2}, 37, {0x02, 0, 0}},                         // the code as written
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
    struct Case { int kp; Data3 d; EncoderError error; };
    using E = EncoderError;
    const Case cases[] = {
        {5, {0, 0, 0}, E::UnknownKp}, {12, {0, 0, 0}, E::UnknownKp}, {49, {0, 0, 0}, E::UnknownKp},
        {0, {0, 0, 0}, E::ReadOnly}, {14, {0, 0, 0}, E::ReadOnly}, {15, {0, 0, 0}, E::ReadOnly},
        {31, {0, 0, 0}, E::ReadOnly},
        {21, {kMaxBitsS, kMaxBitsU, kMaxBitsS + kMaxBitsU}, E::None},
        {21, {kMaxBitsS + 1, 0, kMaxBitsS + 1}, E::TooLarge},
        {21, {0, kMaxBitsU + 1, kMaxBitsU + 1}, E::TooLarge},
        {21, {1, 1, 3}, E::Invalid},
        {20, {0, 0, 0xDC}, E::TooLarge},
        {22, {0, 0, 0}, E::TooSmall}, {22, {0, 0, 1}, E::None}, {22, {0, 0, 255}, E::None},
        {23, {0, 0, 0}, E::None}, {23, {0, 1, 0}, E::TooLarge},
        {30, {0, 1, kMaxShiftAmount}, E::None}, {30, {0, 0, kMaxShiftAmount + 1}, E::TooLarge},
        {30, {0, 2, 0}, E::Invalid},
        {29, {0, 0, 2}, E::Invalid}, {36, {0, 0, 3}, E::Invalid}, {37, {0, 0, 3}, E::Invalid},
        {35, {0, 0, 2}, E::Invalid}, {32, {0, 0, 4}, E::Invalid}, {48, {0, 0, 0x20}, E::Invalid},
        {48, {0, 0, 0x1F}, E::None},
        {1, {0xFF, 0xFF, 0xFF}, E::None}, {8, {0, 0, 0}, E::None},
    };
    for (const Case& c : cases) {
        EncoderModel model;
        const Data3 before = model.Ram(c.kp);
        EXPECT_EQ(model.Write(c.kp, c.d), c.error) << "KP " << c.kp;
        if (c.error != E::None) {
            EXPECT_EQ(model.Ram(c.kp), before) << "KP " << c.kp;   // nothing stored
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
    ASSERT_EQ(model.Write(26, {0, 0, 0}), EncoderError::None);   // RAM -> EEPROM
    EXPECT_EQ(model.Eeprom(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(1, {0, 0, 7}), EncoderError::None);
    EXPECT_EQ(model.Eeprom(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(27, {0, 0, 0}), EncoderError::None);   // EEPROM -> RAM
    EXPECT_EQ(model.Ram(1), (Data3{0, 0, 5}));
    ASSERT_EQ(model.Write(21, {3, 4, 7}), EncoderError::None);
    ASSERT_EQ(model.Write(28, {0, 0, 0}), EncoderError::None);   // defaults into RAM only
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
    EXPECT_EQ(reply(), (Bytes{0xFF, 0xFF, 0xFF, 0x00}));          // two's complement
    model.Write(36, {0, 0, 2});
    EXPECT_EQ(reply(), (Bytes{0x80, 0x00, 0x01, 0x00}));          // separate sign
    model.Write(36, {0, 0, 0});
    model.SetActualValue(5, 0xA5, now);
    model.Write(35, {0, 0, 1});
    EXPECT_EQ(reply(), (Bytes{0x00, 0x00, 0x07, 0xA5}));          // Gray code of 5, status as set
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
    model.Write(38, {0, 0, 1});   // counting backward
    EXPECT_LT(model.Position(now + std::chrono::milliseconds(100)), model.Position(now));
}

// The program veltrin-sim: readiness line, a usable device, clean end when its parent goes.
TEST(SimProgram, ServesUntilItsInputCloses) {
    const std::string program = std::string(VELTRIN_BUILD_DIR) + "/veltrin-sim";
    const std::string linkPath = "/tmp/veltrin-sim-test-" + std::to_string(::getpid());
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {program, "--firmware", "0203", "--link", linkPath};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);

    // The first line is the device, written once it serves.
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ASSERT_EQ(line.rfind("/dev/", 0), 0u) << line;
    char target[256] = {};
    ASSERT_GT(::readlink(linkPath.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(line, target);

    CSerialPort port;
    port.SetDeviceOverride(linkPath);
    ASSERT_TRUE(port.Open());
    Link link(&port);
    const std::uint8_t request[4] = {0x80, 0, 0, 31};
    ASSERT_TRUE(link.SendTelegramReportingError(kChannel, request, 4));
    ASSERT_TRUE(link.ReceiveReply(kChannel, link.replyBlock, 4));
    EXPECT_EQ(std::string(link.replyBlock.data.begin(), link.replyBlock.data.begin() + 4), "0203");
    port.Close();

    ::close(in[1]);   // the parent "dies"
    int status = -1;
    pid_t done = 0;
    for (int i = 0; i < 300 && done == 0; ++i) {
        done = ::waitpid(pid, &status, WNOHANG);
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
        ::kill(pid, SIGKILL);   // our own child, by its id
        ::waitpid(pid, &status, 0);
        FAIL() << "veltrin-sim did not end when its input closed";
    }
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st {};
    EXPECT_NE(::lstat(linkPath.c_str(), &st), 0);   // the link is gone
    ::close(out[0]);
}

TEST(SimProgram, HelpAndBadOptions) {
    const std::string program = std::string(VELTRIN_BUILD_DIR) + "/veltrin-sim";
    EXPECT_EQ(std::system((program + " --help > /dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " --firmware 12 2> /dev/null < /dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " --bogus 2> /dev/null < /dev/null").c_str()), 0);
}
