// Independent answers to check folio-host against: OpenSSL for MD5, AES-CTR
// and Base64, a bit-by-bit CRC-32, and readers for the files it writes.
#ifndef FOLIO_TESTS_HOST_ORACLES_H
#define FOLIO_TESTS_HOST_ORACLES_H

#include <cstdint>
#include <map>
#include <string>

#include "scratch_directory.h"

namespace host_test {

std::string evp_md5_hex(const Bytes &data);
// AES-256 in counter mode with a 16-byte initial counter block; the same
// call enciphers and deciphers.
Bytes evp_aes256_ctr(const Bytes &key, const Bytes &counter_block, const Bytes &data);
Bytes evp_base64_decode(const std::string &text);
// CRC-32 as zlib computes it, one bit at a time.
std::uint32_t reference_crc32(const unsigned char *data, std::size_t size);
// Empty when text is not an even number of hexadecimal digits.
Bytes decode_hex(const std::string &text);

std::uint32_t le32_at(const Bytes &bytes, std::size_t offset);
std::int64_t le64_at(const Bytes &bytes, std::size_t offset);

// "name: value" lines of a key file, comments left out.
std::map<std::string, std::string> key_file_fields(const std::string &text);

}  // namespace host_test

#endif
