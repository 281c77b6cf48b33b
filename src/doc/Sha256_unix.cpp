// SHA-256 through libmd.
#include <sha2.h>

#include <cstdint>

#include "doc/Sha256.h"

namespace veltrin {

std::string Sha256Hex(std::string_view bytes) {
    char hex[SHA256_DIGEST_STRING_LENGTH] = {};
    // Lowercase digits and a terminating NUL.
    ::SHA256Data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), hex);
    return hex;
}

}  // namespace veltrin
