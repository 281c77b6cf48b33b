// Configuration files on POSIX: a save that fails part way (a full disk), folders and files
// that may not be written, permissions kept, and a symbolic link replaced through.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "ConfigFileFixture.h"

namespace veltrin {
namespace {

using namespace configtest;

TEST_F(ConfigFileOnDisk, FailedSaveLeavesTheOldFileIntact) {
    const std::string path = PathOf("keep.ssi");
    EncoderParameters old = Defaults();
    old.internalPreset = 4711;
    ASSERT_TRUE(WriteConfigurationFile(path, old).ok());
    const Bytes before = Contents(path);
    EncoderParameters changed = Defaults();

    // The disk takes only 100 bytes: the write fails part way (as a full disk does).
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    ConfigFileResult r = WriteConfigurationFile(path, changed);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r.status, ConfigStatus::FileError);
    EXPECT_EQ(r.cause, kFileErrorDiskFull);
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), 1u);  // the partly written file is gone

    if (::geteuid() != 0) {          // root may write anywhere
        ::chmod(dir.c_str(), 0555);  // no new file in the folder
        r = WriteConfigurationFile(path, changed);
        ::chmod(dir.c_str(), 0755);
        EXPECT_EQ(r.cause, kFileErrorAccessDenied);
    }
    // A read-only file is not replaced behind its back, not even by the superuser.
    ::chmod(path.c_str(), 0444);
    r = WriteConfigurationFile(path, changed);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(r.status, ConfigStatus::FileError);
    EXPECT_EQ(r.cause, kFileErrorAccessDenied);
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), 1u);
    EXPECT_EQ(WriteConfigurationFile(PathOf("no/folder.ssi"), changed).cause, kFileErrorBadPath);
}

TEST_F(ConfigFileOnDisk, SaveKeepsPermissionsAndReplacesThroughALink) {
    const std::string real = PathOf("real.ssi"), link = PathOf("link.ssi");
    ASSERT_TRUE(WriteConfigurationFile(real, Defaults()).ok());
    ::chmod(real.c_str(), 0640);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    EncoderParameters p = Defaults();
    p.revolutions = 99;
    ASSERT_TRUE(WriteConfigurationFile(link, p).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EncoderParameters back = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(real, back).ok());
    EXPECT_EQ(back.revolutions, 99u);
}

}  // namespace
}  // namespace veltrin
