#include "base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every byte value has an entry, so no input can index outside the table.
// Characters outside the alphabet decode as 63, "=" as 0, which keeps
// decoding bit-compatible with the codec other builds carry.
constexpr std::array<unsigned char, 256> make_decode_table() {
  std::array<unsigned char, 256> table{};
  for (auto &value : table) value = 63;
  for (int v = 0; v < 64; ++v) table[static_cast<unsigned char>(kAlphabet[v])] = static_cast<unsigned char>(v);
  table['='] = 0;
  return table;
}

constexpr std::array<unsigned char, 256> kDecode = make_decode_table();

inline void set(int *out, int value) {
  if (out) *out = value;
}

}  // namespace

int base64_encode(const unsigned char *input, int length, char *output, int capacity,
                  int *outLength) {
  if (length == 0) {
    set(outLength, 0);
    return B64_OK;
  }
  if (length < 0) return B64_ERR_LENGTH;
  const std::int64_t text_length = 4 * ((std::int64_t(length) + 2) / 3);
  if (text_length + 1 > INT32_MAX) return B64_ERR_LENGTH;
  if (!output) {
    set(outLength, static_cast<int>(text_length));
    return B64_OK;
  }
  if (capacity < text_length + 1) return B64_ERR_CAPACITY;

  char *out = output;
  int k = 0;
  for (; k + 3 <= length; k += 3) {
    const unsigned b0 = input[k], b1 = input[k + 1], b2 = input[k + 2];
    *out++ = kAlphabet[b0 >> 2];
    *out++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
    *out++ = kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
    *out++ = kAlphabet[b2 & 63];
  }
  if (length - k == 1) {
    const unsigned b0 = input[k];
    *out++ = kAlphabet[b0 >> 2];
    *out++ = kAlphabet[(b0 & 3) << 4];
    *out++ = '=';
    *out++ = '=';
  } else if (length - k == 2) {
    const unsigned b0 = input[k], b1 = input[k + 1];
    *out++ = kAlphabet[b0 >> 2];
    *out++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
    *out++ = kAlphabet[(b1 & 15) << 2];
    *out++ = '=';
  }
  *out = '\0';
  set(outLength, static_cast<int>(text_length));
  return B64_OK;
}

int base64_decode(const char *text, int length, unsigned char *output, int capacity,
                  int *outLength) {
  if (length == 0) {
    set(outLength, 0);
    return B64_OK;
  }
  if (!text) return B64_ERR_NULL;
  if (length < 0 || length % 4 != 0) return B64_ERR_LENGTH;

  const int padding = (text[length - 1] == '=') + (text[length - 2] == '=');
  const int needed = (length / 4) * 3 - padding;
  if (!output) {
    set(outLength, needed);
    return B64_OK;
  }
  if (capacity < needed) return B64_ERR_CAPACITY;

  const auto value = [text](int k) { return unsigned(kDecode[static_cast<unsigned char>(text[k])]); };
  unsigned char *out = output;
  for (int k = 0; k < length; k += 4) {
    const unsigned v0 = value(k), v1 = value(k + 1), v2 = value(k + 2), v3 = value(k + 3);
    const unsigned char bytes[3] = {
        static_cast<unsigned char>((v0 << 2) | (v1 >> 4)),
        static_cast<unsigned char>(((v1 & 15) << 4) | (v2 >> 2)),
        static_cast<unsigned char>(((v2 & 3) << 6) | v3),
    };
    const int count = k + 4 < length ? 3 : 3 - padding;
    for (int b = 0; b < count; ++b) *out++ = bytes[b];
  }
  set(outLength, needed);
  return B64_OK;
}
