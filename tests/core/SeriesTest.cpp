// What the record of a programmed encoder is made of: the SHA-256 of the program file (on the
// platform's own implementation), the time with its offset, the file read for programming.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>

#include "doc/Series.h"
#include "doc/Sha256.h"
#include "params/Operations.h"
#include "res/Utf8Path.h"

using namespace veltrin;

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks, and the padding falling into a block of its own.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // Bytes, not text: NUL and bytes above 0x7F count as they are.
    EXPECT_EQ(Sha256Hex(std::string("\x00\xff", 2)),
              "06eb7d6a69ee19e5fbdf749018d3d2abfa04bcbd1365db312eb86dc7169389b8");
}

TEST(Series, LocalTimeWithOffset) {
    const std::string t = IsoLocalTime(std::time(nullptr));
    EXPECT_TRUE(std::regex_match(t, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)"))) << t;
    // The epoch's date shows in every zone of the world.
    const std::string epoch = IsoLocalTime(0);
    EXPECT_TRUE(epoch.rfind("1970-01-01T", 0) == 0 || epoch.rfind("1969-12-31T", 0) == 0) << epoch;
}

TEST(Series, ProgramFileIsHashedAsItIsOnDisk) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("veltrin-series-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    const std::string path = Utf8FromPath(dir / PathFromUtf8("Ωmega.ssi"));
    EncoderParameters written{};
    written = DefaultEncoderParameters();
    written.limit1Value = -500;
    ASSERT_TRUE(WriteConfigurationFile(path, written).ok());
    std::string bytes;
    {
        std::ifstream in(PathFromUtf8(path), std::ios::binary);  // closed before the folder goes (Windows)
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(bytes.size(), kConfigFileSize);

    EncoderParameters p{};
    p = DefaultEncoderParameters();
    std::string sha;
    ASSERT_TRUE(ReadProgramFile(path, p, sha).ok());
    EXPECT_EQ(sha, Sha256Hex(bytes));
    EXPECT_EQ(p.limit1Value, -500);

    // A file that cannot be read changes nothing and names its cause.
    std::string untouched = "before";
    const ConfigFileResult missing = ReadProgramFile(Utf8FromPath(dir / "missing.ssi"), p, untouched);
    EXPECT_EQ(missing.status, ConfigStatus::FileError);
    EXPECT_EQ(missing.cause, kFileErrorNotFound);
    EXPECT_EQ(untouched, "before");
    std::ofstream(PathFromUtf8(Utf8FromPath(dir / "wrong.ssi")), std::ios::binary) << "\x07NOT-CFG";
    EXPECT_EQ(ReadProgramFile(Utf8FromPath(dir / "wrong.ssi"), p, untouched).status,
              ConfigStatus::WrongMarker);
    EXPECT_EQ(p.limit1Value, -500);
    std::filesystem::remove_all(dir);
}
