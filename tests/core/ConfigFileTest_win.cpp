// Configuration files on Windows: backslashes and drive letters, names no Windows file can
// have, reserved device names, read-only files, files another program holds, and a replace
// that fails with the old file kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "ConfigFileFixture.h"

namespace veltrin {
namespace {

using namespace configtest;

std::wstring Wide(const std::string& utf8) { return PathFromUtf8(utf8).wstring(); }

// Another program's handle on a file, with the access and sharing it asked for.
struct Holder {
    Holder(const std::string& path, DWORD access, DWORD share) {
        h = ::CreateFileW(Wide(path).c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    }
    ~Holder() {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    HANDLE h;
};

TEST_F(ConfigFileOnDisk, BackslashesAndDriveLettersAreAccepted) {
    std::string path = PathOf("back.ssi");
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_EQ(path[1], ':');  // a full path with its drive letter
    EncoderParameters p = Defaults();
    p.revolutions = 17;
    ConfigFileResult r = WriteConfigurationFile(path, p);
    ASSERT_TRUE(r.ok()) << r.cause;
    ASSERT_TRUE(WriteConfigurationFile(path, p).ok());
    EncoderParameters back = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(path, back).ok());
    EXPECT_EQ(back.revolutions, 17u);
    // Forward slashes name the same file.
    std::string forward = path;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    back = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(forward, back).ok());
    EXPECT_EQ(back.revolutions, 17u);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ConfigFileOnDisk, NamesNoWindowsFileCanHaveAreABadPathAndWriteNothing) {
    for (const char* name : {"a?b.ssi", "a*b.ssi", "a<b.ssi", "a>b.ssi", "a|b.ssi", "a\"b.ssi", "a:b.ssi",
                             "a\x01"
                             "b.ssi"}) {
        const std::string path = Utf8FromPath(dir) + "\\" + name;  // "a:b.ssi" alone is b.ssi on drive A
        ConfigFileResult r = WriteConfigurationFile(path, Defaults());
        EXPECT_EQ(r.status, ConfigStatus::FileError) << name;
        EXPECT_EQ(r.cause, kFileErrorBadPath) << name;
        EncoderParameters p = Defaults();
        EXPECT_EQ(ReadConfigurationFile(path, p).cause, kFileErrorBadPath) << name;
        EXPECT_EQ(ConfigFileErrorText(r, path), path + " enthält einen ungültigen Pfad.");
    }
    EXPECT_EQ(Entries(), 0u);
    EXPECT_EQ(WriteConfigurationFile("", Defaults()).cause, kFileErrorBadPath);
}

TEST_F(ConfigFileOnDisk, ReservedDeviceNamesAreNoConfigurationFiles) {
    for (const char* name : {"NUL", "nul.ssi", "CON", "COM1"}) {
        const std::string path = PathOf(name);
        EXPECT_FALSE(WriteConfigurationFile(path, Defaults()).ok()) << name;
        EncoderParameters p = Defaults();
        EXPECT_FALSE(ReadConfigurationFile(path, p).ok()) << name;  // and no wait for a console
    }
    EXPECT_EQ(Entries(), 0u);
}

TEST_F(ConfigFileOnDisk, ReadOnlyFileIsNotReplaced) {
    const std::string path = PathOf("read-only.ssi");
    ASSERT_TRUE(WriteConfigurationFile(path, Defaults()).ok());
    const Bytes before = Contents(path);
    ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EncoderParameters p = Defaults();
    p.revolutions = 2;
    ConfigFileResult r = WriteConfigurationFile(path, p);
    ::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(r.cause, kFileErrorAccessDenied);
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ConfigFileOnDisk, FileAnotherProgramWritesIsRefused) {
    const std::string path = PathOf("held.ssi");
    ASSERT_TRUE(WriteConfigurationFile(path, Defaults()).ok());
    const Bytes before = Contents(path);
    EncoderParameters p = Defaults();
    p.revolutions = 3;
    {
        Holder writer(path, GENERIC_WRITE, FILE_SHARE_READ);
        ASSERT_NE(writer.h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(WriteConfigurationFile(path, p).cause, kFileErrorSharingViolation);
        EncoderParameters back = Defaults();
        EXPECT_EQ(ReadConfigurationFile(path, back).cause, kFileErrorSharingViolation);
    }
    {
        // A lock of the whole file, as this program holds it while it replaces the file.
        Holder locker(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE);
        OVERLAPPED at{};
        ASSERT_TRUE(::LockFileEx(locker.h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                                 MAXDWORD, &at));
        EncoderParameters back = Defaults();
        EXPECT_EQ(ReadConfigurationFile(path, back).cause, kFileErrorSharingViolation);
        EXPECT_EQ(WriteConfigurationFile(path, p).cause, kFileErrorSharingViolation);
    }
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), 1u);
    EXPECT_TRUE(WriteConfigurationFile(path, p).ok());  // let go: saved
}

// The new file is complete when the move fails (a reader that does not let the file be
// replaced): the old file stays as it was and the new one is removed.
TEST_F(ConfigFileOnDisk, FailedReplaceKeepsTheOldFile) {
    const std::string path = PathOf("keep.ssi");
    ASSERT_TRUE(WriteConfigurationFile(path, Defaults()).ok());
    const Bytes before = Contents(path);
    EncoderParameters changed = Defaults();
    changed.revolutions = 5;
    {
        Holder reader(path, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_NE(reader.h, INVALID_HANDLE_VALUE);
        ConfigFileResult r = WriteConfigurationFile(path, changed);
        EXPECT_EQ(r.status, ConfigStatus::FileError);
        EXPECT_TRUE(r.cause == kFileErrorSharingViolation || r.cause == kFileErrorAccessDenied) << r.cause;
    }
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Entries(), 1u);
    EXPECT_EQ(WriteConfigurationFile(PathOf("no\\folder.ssi"), changed).cause, kFileErrorBadPath);
}

}  // namespace
}  // namespace veltrin
