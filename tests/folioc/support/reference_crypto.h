// Independent answers for what the library computes, taken from OpenSSL's
// EVP interface and from a plain bitwise CRC, never from the library.
#ifndef FOLIOC_TESTS_REFERENCE_CRYPTO_H
#define FOLIOC_TESTS_REFERENCE_CRYPTO_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/scratch_dir.h"

namespace folioc_test {

// AES in counter mode with the library's stream layout: the counter block
// for stream offset p is the 8 nonce bytes followed by p / 16 as a
// big-endian 64-bit integer, and byte p uses keystream byte p % 16 of that
// block. Returns input XOR keystream(offset .. offset + size - 1); the key
// is 16, 24 or 32 bytes.
Bytes reference_ctr(const Bytes &key, const unsigned char nonce[8], std::uint64_t offset,
                    const Bytes &input);

// The MD5 of data in lowercase hex (32 characters).
std::string reference_md5_hex(const Bytes &data);

// CRC-32 as zlib computes it (reflected polynomial 0xEDB88320, initial
// value and final XOR all ones), bit by bit.
constexpr std::uint32_t reference_crc32(const unsigned char *data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

// The check value every CRC-32/ISO-HDLC implementation must give.
constexpr unsigned char kCrcCheckInput[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
static_assert(reference_crc32(kCrcCheckInput, sizeof kCrcCheckInput) == 0xCBF43926u,
              "the reference CRC itself is wrong");

}  // namespace folioc_test

#endif
