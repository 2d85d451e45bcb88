#include "hex_digits.h"

namespace pageview {

namespace {

unsigned nibble(char digit) {
  if (digit >= '0' && digit <= '9') return unsigned(digit - '0');
  if (digit >= 'A' && digit <= 'F') return unsigned(digit - 'A' + 10);
  if (digit >= 'a' && digit <= 'f') return unsigned(digit - 'a' + 10);
  return 0;
}

}  // namespace

std::size_t hexToBytes(const char *text, std::size_t textLength, unsigned char *out,
                       std::size_t byteCount) {
  const std::size_t count = byteCount < textLength / 2 ? byteCount : textLength / 2;
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<unsigned char>(nibble(text[2 * i]) << 4 | nibble(text[2 * i + 1]));
  return count;
}

}  // namespace pageview
