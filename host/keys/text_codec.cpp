#include "keys/text_codec.h"

#include <vector>

#include "crypto/base64.h"

namespace folio_host {

namespace {

int hex_value(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

}  // namespace

std::string to_hex(const unsigned char *bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * size);
  for (std::size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 15]);
  }
  return text;
}

bool from_hex(const std::string &text, unsigned char *bytes, std::size_t size) {
  if (text.size() != 2 * size) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const int high = hex_value(text[2 * i]);
    const int low = hex_value(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high << 4 | low);
  }
  return true;
}

std::string to_base64(const unsigned char *bytes, std::size_t size) {
  if (size == 0) return {};
  const int length = static_cast<int>(size);
  int text_length = 0;
  if (base64_encode(bytes, length, nullptr, 0, &text_length) != B64_OK) return {};
  std::vector<char> text(static_cast<std::size_t>(text_length) + 1);
  if (base64_encode(bytes, length, text.data(), static_cast<int>(text.size()), &text_length) !=
      B64_OK)
    return {};
  return std::string(text.data(), static_cast<std::size_t>(text_length));
}

bool from_base64(const std::string &text, unsigned char *bytes, std::size_t size) {
  // The codec maps characters outside the alphabet to a value instead of
  // refusing them; a text that does not encode back to itself is not Base64.
  if (text.empty() || text.size() % 4 != 0 || text.size() > 4 * (size / 3 + 1)) return false;
  const int length = static_cast<int>(text.size());
  int needed = 0;
  if (base64_decode(text.data(), length, nullptr, 0, &needed) != B64_OK ||
      static_cast<std::size_t>(needed) != size)
    return false;
  std::vector<unsigned char> decoded(size);
  if (base64_decode(text.data(), length, decoded.data(), needed, &needed) != B64_OK) return false;
  if (to_base64(decoded.data(), size) != text) return false;
  for (std::size_t i = 0; i < size; ++i) bytes[i] = decoded[i];
  return true;
}

}  // namespace folio_host
