// Configuration files on POSIX: a save that fails part way (a full disk), folders and files
// that may not be written, permissions kept, a symbolic link replaced through, and nothing but
// a regular file read or replaced (no FIFO waited on, no device node turned into a file).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <vector>

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

/// Runs a file call that must not wait for a FIFO's other end. Should it wait all the same,
/// the FIFO is opened from here after a while so that the call (and the test) can end.
ConfigFileResult WithoutWaitingOn(const std::string& fifo, std::function<ConfigFileResult()> call) {
    auto result = std::async(std::launch::async, std::move(call));
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "waited on the FIFO " << fifo;
        for (int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
            int fd = ::open(fifo.c_str(), flags);
            if (fd >= 0) ::close(fd);
        }
    }
    return result.get();
}

TEST_F(ConfigFileOnDisk, OnlyARegularFileIsReadOrReplaced) {
    const std::string fifo = PathOf("fifo.ssi"), socketPath = PathOf("socket.ssi");
    const std::string fifoLink = PathOf("to-fifo.ssi"), nodeLink = PathOf("to-node.ssi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::symlink(fifo.c_str(), fifoLink.c_str()), 0);
    std::vector<std::string> targets = {fifo, fifoLink, socketPath, dir.string()};
    // A device node of our own (the null device), where we may make one: saving over it
    // through a link must leave it a device.
    const std::string node = PathOf("null-device");
    const bool haveNode = ::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (haveNode) {
        ASSERT_EQ(::symlink(node.c_str(), nodeLink.c_str()), 0);
        targets.insert(targets.end(), {node, nodeLink});
    }
    const std::size_t entries = Entries();
    const EncoderParameters p = Defaults();
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        ConfigFileResult r = WithoutWaitingOn(fifo, [&] { return WriteConfigurationFile(target, p); });
        EXPECT_EQ(r.status, ConfigStatus::FileError);
        EXPECT_EQ(r.cause, kFileErrorAccessDenied);
        // A folder is named as one on a second line; the rest are refused as they are.
        const bool folder = target == dir.string();
        EXPECT_EQ(ConfigFileErrorText(r, target),
                  "Zugriff auf " + target + " wurde verweigert." +
                      (folder ? "\n" + target + " ist ein Ordner, keine Datei." : std::string()));
        EXPECT_EQ(Entries(), entries);  // nothing created beside it
        EncoderParameters read = Defaults();
        read.revolutions = 5;
        r = WithoutWaitingOn(fifo, [&] { return ReadConfigurationFile(target, read); });
        EXPECT_EQ(r.status, ConfigStatus::FileError);
        EXPECT_EQ(read.revolutions, 5u);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_socket(socketPath));
    if (haveNode) {
        EXPECT_TRUE(std::filesystem::is_character_file(node));
    }
    EncoderParameters q = Defaults();
    EXPECT_EQ(ReadConfigurationFile("/dev/null", q).cause,
              kFileErrorAccessDenied);  // a device, not an empty file
    ::close(sock);
}

TEST_F(ConfigFileOnDisk, LinksAreWrittenThroughEvenToANewFile) {
    EncoderParameters p = Defaults();
    p.limit4Value = -4;
    // A dangling link (relative), a chain of two links, and a loop.
    const std::string dangling = PathOf("dangling.ssi"), chain = PathOf("chain.ssi");
    ASSERT_EQ(::symlink("new.ssi", dangling.c_str()), 0);
    ASSERT_EQ(::symlink(dangling.c_str(), chain.c_str()), 0);
    ASSERT_TRUE(WriteConfigurationFile(chain, p).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(chain));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EncoderParameters back = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(PathOf("new.ssi"), back).ok());
    EXPECT_EQ(back.limit4Value, -4);
    EXPECT_EQ(Entries(), 3u);

    const std::string a = PathOf("loop-a.ssi"), b = PathOf("loop-b.ssi");
    ASSERT_EQ(::symlink(b.c_str(), a.c_str()), 0);
    ASSERT_EQ(::symlink(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(WriteConfigurationFile(a, p).cause, kFileErrorBadPath);
    EXPECT_TRUE(std::filesystem::is_symlink(a));
    EXPECT_EQ(Entries(), 5u);
}

TEST_F(ConfigFileOnDisk, NamesAsLongAsTheFileSystemAllowsAreSaved) {
    const EncoderParameters p = Defaults();
    for (std::size_t length : {245u, 250u, 255u}) {
        const std::string path = (dir / (std::string(length - 4, 'n') + ".ssi")).string();
        ConfigFileResult r = WriteConfigurationFile(path, p);
        EXPECT_TRUE(r.ok()) << length << ": cause " << r.cause;
        EXPECT_TRUE(WriteConfigurationFile(path, p).ok()) << length;  // and replaced
        EXPECT_EQ(Contents(path).size(), 204u);
    }
    EXPECT_EQ(Entries(), 3u);
}

}  // namespace
}  // namespace veltrin
