// Reference answers for what the code under test computes, taken from
// OpenSSL's EVP interface or written out bit by bit here, never from the
// code under test itself.
#ifndef FOLIO_TESTS_SUPPORT_ORACLE_H
#define FOLIO_TESTS_SUPPORT_ORACLE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/test_bytes.h"

namespace folio_test::oracle {

// AES of one 16-byte block (ECB, no padding); the key is 16, 24 or 32
// bytes, anything else throws std::invalid_argument.
Bytes aes_block(const Bytes &key, const unsigned char block[16]);

// The counter block for stream position offset: the 8 nonce bytes, then
// offset / 16 as a big-endian 64-bit integer.
Bytes counter_block(const unsigned char nonce[8], std::uint64_t offset);
// The same for a nonce held in a vector; std::invalid_argument unless it
// has 8 bytes.
Bytes counter_block(const Bytes &nonce, std::uint64_t offset);

// data XOR the counter-mode keystream from stream position offset on: byte
// p uses keystream byte p % 16 of AES(counter_block(nonce, p)). The same
// call enciphers and deciphers.
Bytes aes_ctr(const Bytes &key, const unsigned char nonce[8], std::uint64_t offset,
              const Bytes &data);
Bytes aes_ctr(const Bytes &key, const Bytes &nonce, std::uint64_t offset, const Bytes &data);

// 32 lowercase hexadecimal digits.
std::string md5_hex(const Bytes &data);

// Standard Base64 with padding and without line breaks.
std::string base64(const Bytes &data);
// Empty when text is not Base64.
Bytes base64_decode(const std::string &text);

// CRC-32/ISO-HDLC as zlib computes it (reflected polynomial 0xEDB88320,
// initial value and final XOR all ones), one bit at a time.
constexpr std::uint32_t crc32(const unsigned char *data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

// The check value every CRC-32/ISO-HDLC implementation must give.
constexpr unsigned char kCrcCheckInput[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
static_assert(crc32(kCrcCheckInput, sizeof kCrcCheckInput) == 0xCBF43926u,
              "the reference CRC itself is wrong");

}  // namespace folio_test::oracle

#endif
