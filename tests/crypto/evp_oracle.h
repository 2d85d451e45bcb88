// Reference results computed with OpenSSL's EVP interface, used as an
// oracle that shares no code with the crypto core.
#ifndef FOLIO_TESTS_CRYPTO_EVP_ORACLE_H
#define FOLIO_TESTS_CRYPTO_EVP_ORACLE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "test_bytes.h"

namespace oracle {

// AES (key of 16, 24 or 32 bytes) of one 16-byte block, in ECB mode.
Bytes aes_block(const Bytes &key, const unsigned char block[16]);

// The counter block for a stream position: the nonce, then the block index
// (offset / 16) as a big-endian 64-bit integer.
Bytes counter_block(const Bytes &nonce, std::uint64_t offset);

// data XOR the counter-mode keystream from stream position offset on: EVP
// aes-N-ctr started at counter_block(nonce, offset), with the first
// offset % 16 keystream bytes skipped.
Bytes aes_ctr(const Bytes &key, const Bytes &nonce, std::uint64_t offset, const Bytes &data);

// MD5 as 32 lowercase hex digits.
std::string md5_hex(const unsigned char *data, std::size_t n);

// Base64 text of data, without line breaks.
std::string base64(const Bytes &data);

}  // namespace oracle

#endif
