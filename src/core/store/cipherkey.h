#pragma once

// The draw database's key and cipher settings, in a header of their own so that a reader
// without Qt (the benchmarks' plain C reader) opens the file exactly as the program does.

namespace pirumoa {

// The password is made from this number at run time so that it never sits in the program
// as text. The shipped database is keyed with it: changing it locks every existing file out.
inline constexpr int kPasswordNumber = 582913;
static_assert(kPasswordNumber >= 100000 && kPasswordNumber <= 999999, "six decimal digits");

}  // namespace pirumoa

// SQLCipher 4 changed its defaults and reads a 3.x file only when told, so every setting is
// named here: the same file then opens under either version. Settings a version does not know
// are ignored by it. The key derivation runs 4,000 rounds rather than SQLCipher 3's 64,000:
// those cost 30 ms of every start-up, and the key is a six-digit number the program carries
// with it, so more rounds would buy no real protection.
#define PIRUMOA_CIPHER_SETTINGS                 \
    "PRAGMA cipher_compatibility = 3;"          \
    "PRAGMA cipher_page_size = 1024;"           \
    "PRAGMA kdf_iter = 4000;"                   \
    "PRAGMA cipher_hmac_algorithm = HMAC_SHA1;" \
    "PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1;"
