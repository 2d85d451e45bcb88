// Reading and patching little-endian fields of a 512-byte document header
// in tests, written out here rather than borrowed from the library.
#ifndef FOLIOC_TESTS_HEADER_FIELDS_H
#define FOLIOC_TESTS_HEADER_FIELDS_H

#include <cstddef>
#include <cstdint>

#include "support/reference_crypto.h"

namespace folioc_test {

constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kCrcCovered = 508;

inline std::uint32_t le32_at(const unsigned char *header, std::size_t at) {
  return std::uint32_t(header[at]) | std::uint32_t(header[at + 1]) << 8 |
         std::uint32_t(header[at + 2]) << 16 | std::uint32_t(header[at + 3]) << 24;
}

inline std::uint64_t le64_at(const unsigned char *header, std::size_t at) {
  return std::uint64_t(le32_at(header, at)) | std::uint64_t(le32_at(header, at + 4)) << 32;
}

inline void put_le32_at(unsigned char *header, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Stores the CRC of bytes 0..507 at 508, as a well-formed writer would.
inline void reseal_with_reference_crc(unsigned char *header) {
  put_le32_at(header, kCrcCovered, reference_crc32(header, kCrcCovered));
}

inline bool reference_crc_matches(const unsigned char *header) {
  return le32_at(header, kCrcCovered) == reference_crc32(header, kCrcCovered);
}

}  // namespace folioc_test

#endif
