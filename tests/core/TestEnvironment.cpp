// Every core test runs in the same surroundings whatever the machine: no settings of the user
// (the settings folder is an empty folder of the test's own) and no language from the
// environment. The command-line tool would otherwise take its language from both.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class NeutralSurroundings : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("veltrin-config-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

private:
    std::filesystem::path folder_;
};

[[maybe_unused]] ::testing::Environment* const kSurroundings =
    ::testing::AddGlobalTestEnvironment(new NeutralSurroundings);

}  // namespace
