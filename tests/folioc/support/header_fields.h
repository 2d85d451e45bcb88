// Patching a little-endian field of a 512-byte document header and checking
// or restoring its CRC in tests, written out here rather than borrowed from
// the library.
#ifndef FOLIOC_TESTS_HEADER_FIELDS_H
#define FOLIOC_TESTS_HEADER_FIELDS_H

#include <cstddef>
#include <cstdint>

#include "support/oracle.h"
#include "support/test_bytes.h"

namespace folioc_test {

constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kCrcCovered = 508;

inline void put_le32_at(folio_test::Bytes &header, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    header.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

// Stores the CRC of bytes 0..507 at 508, as a well-formed writer would.
inline void reseal_with_reference_crc(folio_test::Bytes &header) {
  put_le32_at(header, kCrcCovered, folio_test::oracle::crc32(header.data(), kCrcCovered));
}

// Throws std::out_of_range for a header shorter than 512 bytes.
inline bool reference_crc_matches(const folio_test::Bytes &header) {
  return folio_test::le32_at(header, kCrcCovered) ==
         folio_test::oracle::crc32(header.data(), kCrcCovered);
}

}  // namespace folioc_test

#endif
