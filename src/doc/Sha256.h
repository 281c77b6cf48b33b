#pragma once
// SHA-256 of a run of bytes, for the record a production line keeps of the file each encoder was
// programmed from. One file per platform computes it with what the system has: Sha256_unix.cpp
// with libmd (the message-digest library dpkg itself uses), Sha256_win.cpp with the CryptoAPI
// of advapi32.
#include <string>
#include <string_view>

namespace veltrin {

/// The digest as 64 lowercase hexadecimal digits. Never fails for data in memory; an empty
/// text only where the system has no SHA-256 at all.
std::string Sha256Hex(std::string_view bytes);

}  // namespace veltrin
