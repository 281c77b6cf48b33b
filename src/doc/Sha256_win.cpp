// SHA-256 through the CryptoAPI (advapi32): a verify-only context of the AES provider, which
// has SHA-256 on every Windows since XP SP3.
#include <windows.h>
// Needs the types of windows.h.
#include <wincrypt.h>

#include <algorithm>

#include "doc/Sha256.h"

namespace veltrin {

std::string Sha256Hex(std::string_view bytes) {
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return {};
    std::string hex;
    HCRYPTHASH hash = 0;
    if (::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        bool ok = true;
        // CryptHashData takes a 32-bit length: longer data in pieces.
        for (std::size_t at = 0; ok && at < bytes.size();) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
            ok = ::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data() + at), piece, 0) != 0;
            at += piece;
        }
        BYTE digest[32];
        DWORD length = sizeof digest;
        if (ok && ::CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == sizeof digest) {
            static constexpr char kDigits[] = "0123456789abcdef";
            for (BYTE b : digest) {
                hex += kDigits[b >> 4];
                hex += kDigits[b & 0x0F];
            }
        }
        ::CryptDestroyHash(hash);
    }
    ::CryptReleaseContext(provider, 0);
    return hex;
}

}  // namespace veltrin
