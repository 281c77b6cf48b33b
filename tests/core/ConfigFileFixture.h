#pragma once
// What the configuration-file tests share: byte helpers, the start-up record, and a folder of
// their own on the disk. Paths are UTF-8, as the program hands them to the file functions.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "doc/ConfigFile.h"
#include "params/Operations.h"
#include "res/Utf8Path.h"

namespace veltrin::configtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Serialize(const EncoderParameters& p) {
    std::ostringstream out;
    EXPECT_TRUE(WriteConfiguration(out, p));
    std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

inline EncoderParameters Defaults() {
    EncoderParameters p;
    Link link;
    p = DefaultEncoderParameters();
    return p;
}

// A recognisable record: every byte its offset plus one.
inline Bytes PatternRecord(std::size_t n = 196) {
    Bytes r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::uint8_t>(i + 1);
    return r;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Ascii(const char* s) { return Bytes(s, s + std::strlen(s)); }

inline bool SameRecord(const EncoderParameters& a, const EncoderParameters& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Files on disk, in a folder of their own.
class ConfigFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("veltrin-config-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }
    std::string PathOf(const char* name) const { return Utf8FromPath(dir / PathFromUtf8(name)); }
    static Bytes Contents(const std::string& path) {
        std::ifstream in(PathFromUtf8(path), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const Bytes& bytes) {
        std::ofstream(PathFromUtf8(path), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
    std::filesystem::path dir;
};

}  // namespace veltrin::configtest
