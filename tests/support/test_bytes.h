// Byte strings in tests: hexadecimal, text, little-endian fields and
// reproducible pseudo-random contents.
#ifndef FOLIO_TESTS_SUPPORT_TEST_BYTES_H
#define FOLIO_TESTS_SUPPORT_TEST_BYTES_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace folio_test {

using Bytes = std::vector<unsigned char>;

// Throws std::invalid_argument for an odd length or a character that is not
// a hexadecimal digit (either case).
inline Bytes from_hex(std::string_view hex) {
  const auto nibble = [](char c) -> unsigned {
    if (c >= '0' && c <= '9') return unsigned(c - '0');
    if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10);
    throw std::invalid_argument("not a hex digit");
  };
  if (hex.size() % 2) throw std::invalid_argument("odd hex length");
  Bytes out(hex.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<unsigned char>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
  return out;
}

// Lowercase, two digits a byte.
inline std::string to_hex(const unsigned char *data, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * size);
  for (std::size_t i = 0; i < size; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

inline std::string to_hex(const Bytes &bytes) { return to_hex(bytes.data(), bytes.size()); }

inline Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Throws std::out_of_range when the range runs past the end, so that a
// short result from the code under test fails the test instead of reading
// beyond the vector.
inline Bytes slice(const Bytes &bytes, std::size_t from, std::size_t length) {
  if (from > bytes.size() || length > bytes.size() - from)
    throw std::out_of_range("slice past the end");
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
}

inline Bytes concat(const Bytes &a, const Bytes &b) {
  Bytes joined(a);
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

// Little-endian fields, read byte by byte rather than with the code under
// test; std::out_of_range past the end.
inline std::uint32_t le32_at(const Bytes &bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | bytes.at(at + i);
  return value;
}

inline std::uint64_t le64_at(const Bytes &bytes, std::size_t at) {
  return std::uint64_t(le32_at(bytes, at)) | std::uint64_t(le32_at(bytes, at + 4)) << 32;
}

// The next size bytes of generator's output, each 64-bit word least
// significant byte first (the unused bytes of a last, partial word are
// dropped). For tests that draw lengths and contents from one sequence.
inline Bytes random_bytes(std::mt19937_64 &generator, std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size;) {
    std::uint64_t word = generator();
    for (int k = 0; k < 8 && i < size; ++k, ++i, word >>= 8)
      bytes[i] = static_cast<unsigned char>(word);
  }
  return bytes;
}

// Contents that look random yet are the same for the same seed, so that a
// failure reproduces; different seeds give unrelated contents.
inline Bytes random_bytes(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 generator(seed);
  return random_bytes(generator, size);
}

}  // namespace folio_test

#endif
