// The configuration file format on streams: the counted marker and the record. No file system
// here; opening, locking and safe replacement are in the platform files (ConfigFile_unix.cpp,
// ConfigFile_win.cpp).
#include "doc/ConfigFile.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "doc/ParameterFields.h"

namespace veltrin {

namespace {

constexpr std::size_t kRecordSize = sizeof(EncoderParameters);

// Reads exactly n bytes; false when the stream ends first.
bool ReadBytes(std::istream& in, void* dst, std::size_t n) {
    in.read(static_cast<char*>(dst), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(in.gcount()) == n;
}

template <typename T>
bool ReadLittle(std::istream& in, T& value) {
    std::uint8_t bytes[sizeof(T)];
    if (!ReadBytes(in, bytes, sizeof(T))) return false;
    value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
    return true;
}

enum class LengthRead { Ok, EndOfFile, ArchiveError };

// The counted string's length prefix: one byte below 0xFF; else a 16-bit value, where 0xFFFE
// (only as the first 16-bit value) marks 16-bit characters and the length follows again; 0xFFFF
// announces a 32-bit length, whose all-ones value announces a 64-bit one.
LengthRead ReadMarkerLength(std::istream& in, std::uint64_t& length, bool& wide) {
    wide = false;
    for (int pass = 0; pass < 2; ++pass) {
        std::uint8_t b = 0;
        if (!ReadLittle(in, b)) return LengthRead::EndOfFile;
        if (b < 0xFF) { length = b; return LengthRead::Ok; }
        std::uint16_t w = 0;
        if (!ReadLittle(in, w)) return LengthRead::EndOfFile;
        if (w == 0xFFFE && pass == 0) { wide = true; continue; }
        if (w < 0xFFFF) { length = w; return LengthRead::Ok; }
        std::uint32_t d = 0;
        if (!ReadLittle(in, d)) return LengthRead::EndOfFile;
        if (d < 0xFFFFFFFFu) { length = d; return LengthRead::Ok; }
        std::uint64_t q = 0;
        if (!ReadLittle(in, q)) return LengthRead::EndOfFile;
        if (q > static_cast<std::uint64_t>(INT_MAX)) return LengthRead::ArchiveError;
        length = q;
        return LengthRead::Ok;
    }
    return LengthRead::EndOfFile;   // not reached: the second pass always returns
}

}  // namespace

bool WriteConfiguration(std::ostream& out, const EncoderParameters& p) {
    std::uint8_t image[kRecordSize];
    EncodeRecord(p, image);
    out.put(static_cast<char>(kConfigMarkerLength));
    out.write(kConfigMarker, static_cast<std::streamsize>(kConfigMarkerLength));
    out.write(reinterpret_cast<const char*>(image), static_cast<std::streamsize>(kRecordSize));
    return static_cast<bool>(out);
}

ConfigStatus ReadConfiguration(std::istream& in, EncoderParameters& p) {
    std::uint64_t length = 0;
    bool wide = false;
    switch (ReadMarkerLength(in, length, wide)) {
    case LengthRead::EndOfFile: return ConfigStatus::EndOfFile;
    case LengthRead::ArchiveError: return ConfigStatus::ArchiveError;
    case LengthRead::Ok: break;
    }
    // Only a marker of seven characters can be "SSI-CFG": any other length is a wrong marker,
    // decided before a single character is read, so a length of 2^31 costs nothing.
    if (length != kConfigMarkerLength) return ConfigStatus::WrongMarker;

    char marker[kConfigMarkerLength];
    if (wide) {
        std::uint8_t units[2 * kConfigMarkerLength];
        if (!ReadBytes(in, units, sizeof units)) return ConfigStatus::EndOfFile;
        // UTF-16LE to the 8-bit code page; a character it cannot hold becomes '?'.
        for (std::size_t i = 0; i < kConfigMarkerLength; ++i) {
            unsigned unit = units[2 * i] | (static_cast<unsigned>(units[2 * i + 1]) << 8);
            marker[i] = unit < 0x80 ? static_cast<char>(unit) : '?';
        }
    } else if (!ReadBytes(in, marker, sizeof marker)) {
        return ConfigStatus::EndOfFile;
    }
    if (std::memcmp(marker, kConfigMarker, kConfigMarkerLength) != 0) return ConfigStatus::WrongMarker;

    std::uint8_t image[kRecordSize];
    if (!ReadBytes(in, image, kRecordSize)) return ConfigStatus::EndOfFile;
    DecodeRecord(image, p);
    return ConfigStatus::Ok;
}

ConfigFileResult ReadConfigurationHead(const std::string& head, EncoderParameters& p) {
    ConfigFileResult r;
    if (head.empty()) {
        r.emptyFile = true;   // the open succeeds and the parameter set stays as it was
        return r;
    }
    std::istringstream in(head);
    r.status = ReadConfiguration(in, p);
    return r;
}

}  // namespace veltrin
