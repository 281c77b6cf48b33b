// Where the programs find their English texts and help: beside themselves in the build tree,
// <prefix>/share/veltrin in an installed tree, whatever the prefix.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "res/ProgramFolder.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {
class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("veltrin-data folder " + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_);
    }
    void TearDown() override { fs::remove_all(base_); }
    static void Touch(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "57656\tEncoder does not answer!\n";
    }
    fs::path base_;
};
}  // namespace

TEST_F(DataFolderTest, BesideTheProgramInTheBuildTree) {
    const fs::path build = base_ / "build";
    Touch(build / "veltrin.en.txt");
    // A share folder above does not win over the data beside the program.
    Touch(base_ / "share/veltrin/veltrin.en.txt");
    EXPECT_EQ(DataFolderFor(build.string()), build.string());

    const fs::path helpOnly = base_ / "help only";
    fs::create_directories(helpOnly / "help");
    EXPECT_EQ(DataFolderFor(helpOnly.string()), helpOnly.string());
}

TEST_F(DataFolderTest, InstalledUnderAnyPrefixWithBlanks) {
    const fs::path prefix = base_ / "opt/Veltrin Tools";
    fs::create_directories(prefix / "bin");
    Touch(prefix / "share/veltrin/veltrin.en.txt");
    // Compared as paths: on Windows the folder found has its own separators.
    EXPECT_EQ(fs::path(DataFolderFor((prefix / "bin").string())), prefix / "share/veltrin");

    // Help alone (no English texts) is found as well.
    const fs::path other = base_ / "usr";
    fs::create_directories(other / "bin");
    fs::create_directories(other / "share/veltrin/help");
    EXPECT_EQ(fs::path(DataFolderFor((other / "bin").string())), other / "share/veltrin");
}

TEST_F(DataFolderTest, WithoutDataTheProgramFolderStays) {
    const fs::path bare = base_ / "bare/bin";
    fs::create_directories(bare);
    EXPECT_EQ(DataFolderFor(bare.string()), bare.string());
    // The running test lies in the build tree, beside veltrin.en.txt.
    EXPECT_EQ(DataFolder(), ProgramFolder());
}
