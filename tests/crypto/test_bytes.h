// Byte-vector helpers shared by the crypto tests: hex literals and
// reproducible random data.
#ifndef FOLIO_TESTS_CRYPTO_TEST_BYTES_H
#define FOLIO_TESTS_CRYPTO_TEST_BYTES_H

#include <cstddef>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<unsigned char>;

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

inline std::string to_hex(const unsigned char *data, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

inline std::string to_hex(const Bytes &bytes) { return to_hex(bytes.data(), bytes.size()); }

inline Bytes random_bytes(std::mt19937_64 &rng, std::size_t n) {
  Bytes out(n);
  for (auto &b : out) b = static_cast<unsigned char>(rng());
  return out;
}

#endif
