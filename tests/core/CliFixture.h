#pragma once
// veltrin-cli run in process, in a folder of its own, with the tests' link time-outs. Encoder
// commands go to `device` when a test has set one.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "doc/ConfigFile.h"
#include "doc/ParameterFields.h"
#include "res/Utf8Path.h"
#include "tests/TestLinkTiming.h"

namespace veltrin::cli::test {

struct CliRun {
    int status;
    std::string out, err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("veltrin-cli-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        LinkTiming fast;
        veltrin::test::UseTestTimeouts(fast);
        hooks.timing = fast;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    CliRun Cli(std::vector<std::string> args) {
        if (!device.empty()) args.insert(args.begin(), {"--device", device});
        std::ostringstream out, err;
        int status = RunCli(args, out, err, hooks);
        return {status, out.str(), err.str()};
    }
    std::string PathOf(const char* name) const { return Utf8FromPath(dir / PathFromUtf8(name)); }
    /// Puts a value into a file's member as a file from elsewhere may hold it (set refuses
    /// what the encoder would refuse).
    void Force(const std::string& path, const char* member, std::uint32_t value) {
        EncoderParameters p = Load(path);
        SetFieldNumber(p, *FindParameterField(member), value);
        EXPECT_TRUE(WriteConfigurationFile(path, p).ok());
    }
    EncoderParameters Load(const std::string& path) {
        EncoderParameters p{};
        EXPECT_TRUE(ReadConfigurationFile(path, p).ok());
        return p;
    }

    std::filesystem::path dir;
    CliHooks hooks;
    std::string device;
};

}  // namespace veltrin::cli::test
