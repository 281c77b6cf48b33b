// The configuration file: byte format, every length-prefix form of the marker, failures that
// leave the parameter set alone, and saving that never loses the old file. The platform's own
// cases are in ConfigFileTest_unix.cpp and ConfigFileTest_win.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "ConfigFileFixture.h"
#include "doc/ParameterFields.h"

namespace veltrin {
namespace {

using namespace configtest;

ConfigStatus Parse(const Bytes& bytes, EncoderParameters& p) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return ReadConfiguration(in, p);
}

Bytes Utf16(const char* s) {
    Bytes b;
    for (; *s; ++s) { b.push_back(static_cast<std::uint8_t>(*s)); b.push_back(0); }
    return b;
}

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
    EXPECT_EQ(ReadConfigurationFile(Utf8FromPath(dir), p).cause, kFileErrorAccessDenied);
    // What the cause alone would hide comes on a second line: a folder is no file, and the
    // folder a file should be in is not there (reading and saving alike).
    const std::string folder = Utf8FromPath(dir), missing = PathOf("no/such");
    EXPECT_EQ(ConfigFileErrorText(ReadConfigurationFile(folder, p), folder),
              "Zugriff auf " + folder + " wurde verweigert.\n" + folder + " ist ein Ordner, keine Datei.");
    EXPECT_EQ(ConfigFileErrorText(WriteConfigurationFile(folder, p), folder),
              "Zugriff auf " + folder + " wurde verweigert.\n" + folder + " ist ein Ordner, keine Datei.");
    const std::string inMissing = missing + "/folder.ssi";
    const std::string expected =
        inMissing + " enthält einen ungültigen Pfad.\nDen Ordner " + missing + " gibt es nicht.";
    EXPECT_EQ(ConfigFileErrorText(ReadConfigurationFile(inMissing, p), inMissing), expected);
    EXPECT_EQ(ConfigFileErrorText(WriteConfigurationFile(inMissing, p), inMissing), expected);
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

// Bytes that a text mode would turn into something else on the way to or from the disk: line
// feed, carriage return, the two together, and the old end-of-file mark 0x1A.
TEST_F(ConfigFileOnDisk, RecordBytesThatLookLikeTextTravelUnchanged) {
    EncoderParameters p = Defaults();
    p.internalPreset = 0x0A0D0A1A;             // record offset 4: 1A 0A 0D 0A
    p.limit2Value = 0x1A0D0A0D;                // 0D 0A 0D 1A
    std::memcpy(p.scalingFactorText, "1\r\n2\n\x1a\r", 7);
    const std::string path = PathOf("text-like.ssi");
    ASSERT_TRUE(WriteConfigurationFile(path, p).ok());
    EXPECT_EQ(Contents(path), Serialize(p));   // 204 bytes, each as written
    EncoderParameters back = Defaults();
    ConfigFileResult r = ReadConfigurationFile(path, back);
    ASSERT_TRUE(r.ok()) << r.cause;
    EXPECT_TRUE(SameRecord(back, p));
}

// The second and third save replace the file of the first (a rename that refuses an existing
// target fails here).
TEST_F(ConfigFileOnDisk, SavingOverAnExistingFileAgainAndAgain) {
    const std::string path = PathOf("again.ssi");
    for (std::int32_t round = 1; round <= 3; ++round) {
        EncoderParameters p = Defaults();
        p.internalPreset = round;
        ConfigFileResult r = WriteConfigurationFile(path, p);
        ASSERT_TRUE(r.ok()) << "save " << round << ", cause " << r.cause;
        EncoderParameters back = Defaults();
        ASSERT_TRUE(ReadConfigurationFile(path, back).ok());
        EXPECT_EQ(back.internalPreset, round);
    }
    EXPECT_EQ(Entries(), 1u);
}

// A name beyond ASCII is the same name on the disk, not a look-alike in a narrower code page.
TEST_F(ConfigFileOnDisk, NamesBeyondAsciiAreKept) {
    const std::string name = "Ωmega-ß測.ssi";
    const std::string path = PathOf(name.c_str());
    EncoderParameters p = Defaults();
    p.revolutions = 4096;
    ASSERT_TRUE(WriteConfigurationFile(path, p).ok());
    ASSERT_TRUE(WriteConfigurationFile(path, p).ok());   // and replaced under that name
    ASSERT_EQ(Entries(), 1u);
    EXPECT_EQ(Utf8FromPath(std::filesystem::directory_iterator(dir)->path().filename()), name);
    EncoderParameters back = Defaults();
    ASSERT_TRUE(ReadConfigurationFile(path, back).ok());
    EXPECT_EQ(back.revolutions, 4096u);
    EXPECT_EQ(ConfigFileErrorText({ConfigStatus::FileError, kFileErrorNotFound, false}, path),
              path + " wurde nicht gefunden.");
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
