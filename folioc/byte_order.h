// Little-endian field access for the on-disk header.
#ifndef FOLIOC_BYTE_ORDER_H
#define FOLIOC_BYTE_ORDER_H

#include <cstdint>

namespace folioc {

inline std::uint32_t get_le32(const unsigned char *p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline std::uint64_t get_le64(const unsigned char *p) {
  return std::uint64_t(get_le32(p)) | std::uint64_t(get_le32(p + 4)) << 32;
}

inline void put_le32(unsigned char *p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void put_le64(unsigned char *p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace folioc

#endif
