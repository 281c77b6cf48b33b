// The configuration file: byte format, every length-prefix form of the marker, failures that
// leave the parameter set alone, and saving that never loses the old file.
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
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <vector>

#include "doc/ConfigFile.h"
#include "doc/ParameterFields.h"
#include "params/Operations.h"

namespace veltrin {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Serialize(const EncoderParameters& p) {
    std::ostringstream out;
    EXPECT_TRUE(WriteConfiguration(out, p));
    std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

ConfigStatus Parse(const Bytes& bytes, EncoderParameters& p) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return ReadConfiguration(in, p);
}

EncoderParameters Defaults() {
    EncoderParameters p;
    Link link;
    InitEncoderParameters(p, link);
    return p;
}

// A recognisable record: every byte its offset plus one.
Bytes PatternRecord(std::size_t n = 196) {
    Bytes r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::uint8_t>(i + 1);
    return r;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Ascii(const char* s) { return Bytes(s, s + std::strlen(s)); }

Bytes Utf16(const char* s) {
    Bytes b;
    for (; *s; ++s) { b.push_back(static_cast<std::uint8_t>(*s)); b.push_back(0); }
    return b;
}

bool SameRecord(const EncoderParameters& a, const EncoderParameters& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ConfigFormat, DefaultFileIsExactly204KnownBytes) {
    Bytes file = Serialize(Defaults());
    ASSERT_EQ(file.size(), 204u);
    Bytes expected = Cat({{0x07}, Ascii("SSI-CFG"), Bytes(196, 0)});
    auto set = [&](std::size_t recordOffset, Bytes bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<long>(8 + recordOffset));
    };
    set(22, {0x01, 0x00});
    set(24, {0x01, 0x00});
    set(36, {0xFF});
    set(42, Ascii("1.0000000"));
    set(56, {0x01});
    set(64, {0x01});
    for (std::size_t o : {72, 84, 96, 108, 152, 160, 168, 176, 184}) set(o, {0x08});
    set(122, {0x03});
    set(132, {0x0C});
    set(136, {0x0C});
    set(140, {0x18});
    set(148, {0x64});
    EXPECT_EQ(file, expected);
}

TEST(ConfigFormat, MultiByteMembersAreLittleEndian) {
    EncoderParameters p = Defaults();
    p.internalPreset = -2;                 // record offset 4
    p.positionShift = 0x0105;              // 192
    p.limit1Value = 0x12345678;            // 116
    Bytes file = Serialize(p);
    EXPECT_EQ(Bytes(file.begin() + 12, file.begin() + 16), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(file.begin() + 200, file.begin() + 202), (Bytes{0x05, 0x01}));
    EXPECT_EQ(Bytes(file.begin() + 124, file.begin() + 128), (Bytes{0x78, 0x56, 0x34, 0x12}));
}

TEST(ConfigFormat, RecordIsTakenUnalteredReservedBytesIncluded) {
    Bytes record = PatternRecord();
    EncoderParameters p = Defaults();
    ASSERT_EQ(Parse(Cat({{0x07}, Ascii("SSI-CFG"), record}), p), ConfigStatus::Ok);
    // Writing it back gives the same 196 bytes: nothing validated, nothing dropped.
    Bytes again = Serialize(p);
    EXPECT_EQ(Bytes(again.begin() + 8, again.end()), record);
    EXPECT_EQ(p.reserved0, 0x04030201u);
    // A factor text of 10 characters has no terminator: at most 10 bytes are taken.
    EXPECT_EQ(FieldText(p, *FindParameterField("scalingFactorText")), std::string("+,-./01234"));
}

TEST(ConfigFormat, ExtraBytesBehindTheRecordAreIgnored) {
    Bytes data = Cat({{0x07}, Ascii("SSI-CFG"), PatternRecord(250)});
    EncoderParameters p = Defaults();
    std::istringstream in(std::string(data.begin(), data.end()));
    ASSERT_EQ(ReadConfiguration(in, p), ConfigStatus::Ok);
    EXPECT_EQ(in.tellg(), 204);   // read the marker and 196 bytes, no more
    EXPECT_EQ(p.reservedC2, 0xC4C3);   // record bytes 194 and 195
}

TEST(ConfigFormat, FailuresLeaveTheParameterSetUntouched) {
    struct Case {
        const char* what;
        Bytes data;
        ConfigStatus expected;
    };
    const Bytes good = Cat({{0x07}, Ascii("SSI-CFG")});
    const std::vector<Case> cases = {
        {"lower-case marker", Cat({{0x07}, Ascii("ssi-cfg"), PatternRecord()}), ConfigStatus::WrongMarker},
        {"short record", Cat({good, PatternRecord(195)}), ConfigStatus::EndOfFile},
        {"ends in the marker", Cat({{0x07}, Ascii("SSI")}), ConfigStatus::EndOfFile},
        {"ends in the length", {0xFF, 0x07}, ConfigStatus::EndOfFile},
        {"marker of another length", Cat({{0x08}, Ascii("SSI-CFG!"), PatternRecord()}), ConfigStatus::WrongMarker},
        {"empty marker", Cat({{0x00}, PatternRecord()}), ConfigStatus::WrongMarker},
        {"64-bit length above 2^31-1",
         Cat({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0}}),
         ConfigStatus::ArchiveError},
        {"64-bit length near 2^63",
         Cat({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}),
         ConfigStatus::ArchiveError},
        {"64-bit length of 2^31-1", Cat({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}}),
         ConfigStatus::WrongMarker},
        {"32-bit length 0xFFFFFFFE", {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}, ConfigStatus::WrongMarker},
        {"16-bit marker text that is not SSI-CFG", Cat({{0xFF, 0xFE, 0xFF, 0x07}, Utf16("SSI-CFX"), PatternRecord()}),
         ConfigStatus::WrongMarker},
        {"16-bit marker with a character above 0x7F",
         Cat({{0xFF, 0xFE, 0xFF, 0x07}, {'S', 0, 'S', 0, 'I', 0, '-', 0x01, 'C', 0, 'F', 0, 'G', 0}, PatternRecord()}),
         ConfigStatus::WrongMarker},
        {"empty stream", {}, ConfigStatus::EndOfFile},
    };
    const EncoderParameters before = Defaults();
    for (const auto& c : cases) {
        EncoderParameters p = before;
        EXPECT_EQ(Parse(c.data, p), c.expected) << c.what;
        EXPECT_TRUE(SameRecord(p, before)) << c.what;
    }
}

TEST(ConfigFormat, EveryLengthPrefixFormOfTheMarkerIsAccepted) {
    const Bytes record = PatternRecord();
    const std::vector<std::pair<const char*, Bytes>> forms = {
        {"one byte", Cat({{0x07}, Ascii("SSI-CFG")})},
        {"16-bit", Cat({{0xFF, 0x07, 0x00}, Ascii("SSI-CFG")})},
        {"32-bit", Cat({{0xFF, 0xFF, 0xFF, 0x07, 0, 0, 0}, Ascii("SSI-CFG")})},
        {"64-bit", Cat({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0, 0, 0, 0, 0, 0, 0}, Ascii("SSI-CFG")})},
        {"16-bit characters", Cat({{0xFF, 0xFE, 0xFF, 0x07}, Utf16("SSI-CFG")})},
        {"16-bit characters, 16-bit length", Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0x07, 0x00}, Utf16("SSI-CFG")})},
    };
    for (const auto& [what, marker] : forms) {
        EncoderParameters p = Defaults();
        EXPECT_EQ(Parse(Cat({marker, record}), p), ConfigStatus::Ok) << what;
        EXPECT_EQ(p.reserved0, 0x04030201u) << what;
    }
}

// Files on disk, in a folder of their own.
class ConfigFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("veltrin-config-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }
    std::string PathOf(const char* name) const { return (dir / name).string(); }
    static Bytes Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
    std::filesystem::path dir;
};

TEST_F(ConfigFileOnDisk, SaveOpenSaveIsByteIdentical) {
    EncoderParameters p = Defaults();
    p.limit3Value = -12345;
    std::memcpy(p.scalingFactorText, "0.5\0garbage", 10);   // bytes behind the zero travel along
    const std::string a = PathOf("a.ssi"), b = PathOf("b.ssi");
    ASSERT_TRUE(WriteConfigurationFile(a, p).ok());
    EncoderParameters loaded = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(a, loaded).ok());
    EXPECT_TRUE(SameRecord(loaded, p));
    ASSERT_TRUE(WriteConfigurationFile(b, loaded).ok());
    EXPECT_EQ(Contents(a), Contents(b));
    EXPECT_EQ(Contents(a).size(), 204u);
    EXPECT_EQ(Entries(), 2u);   // no temporary file left behind
}

TEST_F(ConfigFileOnDisk, EmptyFileOpensAndChangesNothing) {
    const std::string path = PathOf("empty.ssi");
    Put(path, {});
    EncoderParameters p = Defaults();
    p.internalPreset = 77;
    const EncoderParameters before = p;
    ConfigFileResult r = ReadConfigurationFile(path, p);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.emptyFile);
    EXPECT_TRUE(SameRecord(p, before));
}

TEST_F(ConfigFileOnDisk, OpenFailuresNameTheirCause) {
    EncoderParameters p = Defaults();
    EXPECT_EQ(ReadConfigurationFile(PathOf("missing.ssi"), p).cause, kFileErrorNotFound);
    EXPECT_EQ(ReadConfigurationFile(PathOf("no/such/folder.ssi"), p).cause, kFileErrorBadPath);
    EXPECT_EQ(ReadConfigurationFile(dir.string(), p).cause, kFileErrorAccessDenied);
    ConfigFileResult r = ReadConfigurationFile(PathOf("missing.ssi"), p);
    EXPECT_EQ(r.status, ConfigStatus::FileError);
    EXPECT_EQ(ConfigFileErrorText(r, "x.ssi"), "x.ssi wurde nicht gefunden.");
}

TEST_F(ConfigFileOnDisk, FormatFailuresFromAFileKeepTheParameterSet) {
    const std::string path = PathOf("short.ssi");
    Put(path, Cat({{0x07}, Ascii("SSI-CFG"), PatternRecord(100)}));
    EncoderParameters p = Defaults();
    ConfigFileResult r = ReadConfigurationFile(path, p);
    EXPECT_EQ(r.status, ConfigStatus::EndOfFile);
    EXPECT_TRUE(SameRecord(p, Defaults()));
    EXPECT_EQ(ConfigFileErrorText(r, path), "Unerwartetes Dateiformat.");
    r.status = ConfigStatus::ArchiveError;
    EXPECT_EQ(ConfigFileErrorText(r, path), "Fehler beim Öffnen des Dokuments.");
}

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
    EXPECT_EQ(Entries(), 1u);   // the partly written file is gone

    if (::geteuid() != 0) {   // root may write anywhere
        ::chmod(dir.c_str(), 0555);   // no new file in the folder
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
        EXPECT_EQ(ConfigFileErrorText(r, target), "Zugriff auf " + target + " wurde verweigert.");
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

TEST_F(ConfigFileOnDisk, EmptyPathIsNamedInItsMessage) {
    EncoderParameters p = Defaults();
    ConfigFileResult r = WriteConfigurationFile("", p);
    EXPECT_EQ(r.cause, kFileErrorBadPath);
    EXPECT_EQ(ConfigFileErrorText(r, ""), "\"\" enthält einen ungültigen Pfad.");
    r = ReadConfigurationFile("", p);
    EXPECT_EQ(ConfigFileErrorText(r, ""), "\"\" enthält einen ungültigen Pfad.");
}

}  // namespace
}  // namespace veltrin
