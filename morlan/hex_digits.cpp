#include "hex_digits.h"

#include <cstring>

namespace morlan {

namespace {

int nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool hexToBytes(const char *digits, std::size_t byteCount, unsigned char *out) {
  std::memset(out, 0, byteCount);
  for (std::size_t i = 0; i < byteCount; ++i) {
    const int high = nibble(digits[2 * i]);
    if (high < 0) return false;
    const int low = nibble(digits[2 * i + 1]);
    if (low < 0) return false;
    out[i] = static_cast<unsigned char>(high << 4 | low);
  }
  return true;
}

}  // namespace morlan
