// What a host hands the player, made here with OpenSSL under the built-in
// token key and nonce rather than with the player's own code: launch
// tokens, and 512-byte header blocks built field by field, sealed with the
// reference CRC-32, enciphered and Base64-encoded.
#ifndef FOLIO_TESTS_MORLAN_LAUNCH_MATERIAL_H
#define FOLIO_TESTS_MORLAN_LAUNCH_MATERIAL_H

#include <string>

#include "support/test_bytes.h"

namespace morlan_test {

using folio_test::Bytes;

Bytes tokenKey();    // the 32 key characters' bytes
Bytes tokenNonce();  // the first 8 of the 16 nonce characters

// The token text enciphered at stream position 0, as hexadecimal digits;
// upper case unless lower is set.
std::string tokenFor(const std::string &text, bool lower = false);

// "<field> <64 digits of key>" with the digits alternating in case, which
// the player must read alike.
std::string tokenTextFor(const Bytes &key, const std::string &field = "host-7");

// A fresh intact header block: magic, version, marker, nonce at byte 96,
// no key cipher, CRC-32 of bytes 0..507 at byte 508.
Bytes headerBlockWithNonce(const Bytes &nonce);

// The first 508 bytes of an intact header block whose CRC-32 is 0, so
// that the block padded with four zero bytes is intact: four bytes at
// freeAt (in the reserved area, past the nonce) are chosen to make it so.
Bytes headerPrefixWithZeroCrc(const Bytes &nonce, std::size_t freeAt = 200);

// Any bytes (at most 512 once decoded by the player) enciphered and Base64-encoded.
std::string headerArgumentFor(const Bytes &block);

}  // namespace morlan_test

#endif
