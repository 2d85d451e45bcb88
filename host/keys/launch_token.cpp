#include "keys/launch_token.h"

#include <string.h>

#include <cstdio>
#include <vector>

#include "keys/token_cipher.h"

namespace folio_host {

namespace {

constexpr std::size_t kLeadingFieldBytes = 11;
constexpr std::size_t kKeyDigits = 2 * kContentKeyBytes;
constexpr char kTokenLayout = '1';
constexpr char kPlayerKeySeparator = ' ';
constexpr std::int64_t kTimeModulus = 10000000000;  // 10 decimal digits
static_assert(2 * (kLeadingFieldBytes + kKeyDigits) == kLaunchTokenDigits,
              "the viewer's token text is the leading field and the key digits");
static_assert(2 * (kLeadingFieldBytes + 1 + kKeyDigits) == kPlayerLaunchTokenDigits,
              "the player's token text is the leading field, a space and the key digits");
// The player's token buffer holds 127 bytes of text and a final NUL.
static_assert(kPlayerLaunchTokenDigits <= 254, "the player's token must fit its buffer");

// Token text, wiped when it goes out of scope: it holds the key digits.
class TokenText {
 public:
  TokenText() { bytes_.reserve(kPlayerLaunchTokenDigits / 2); }
  ~TokenText() { ::explicit_bzero(bytes_.data(), bytes_.size()); }
  TokenText(const TokenText &) = delete;
  TokenText &operator=(const TokenText &) = delete;

  void append_leading_field(std::int64_t unix_time) {
    const std::int64_t seconds = ((unix_time % kTimeModulus) + kTimeModulus) % kTimeModulus;
    char field[kLeadingFieldBytes + 1];
    std::snprintf(field, sizeof field, "%c%010lld", kTokenLayout, static_cast<long long>(seconds));
    bytes_.insert(bytes_.end(), field, field + kLeadingFieldBytes);
  }
  void append(char character) { bytes_.push_back(static_cast<unsigned char>(character)); }
  void append_key_digits(const std::array<unsigned char, kContentKeyBytes> &key) {
    static const char kDigits[] = "0123456789abcdef";
    for (const unsigned char byte : key) {
      append(kDigits[byte >> 4]);
      append(kDigits[byte & 15]);
    }
  }
  const std::vector<unsigned char> &bytes() const { return bytes_; }

 private:
  // Reserved up front so that no reallocation leaves key digits behind.
  std::vector<unsigned char> bytes_;
};

// The text enciphered with the token cipher, in uppercase hexadecimal.
std::string enciphered_hex(const TokenText &text) {
  std::vector<unsigned char> enciphered(text.bytes().size());
  token_cipher(text.bytes().data(), text.bytes().size(), enciphered.data(), "launch token");
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * enciphered.size());
  for (const unsigned char byte : enciphered) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 15]);
  }
  return hex;
}

}  // namespace

std::string make_launch_token(const std::array<unsigned char, kContentKeyBytes> &content_key,
                              std::int64_t unix_time) {
  TokenText text;
  text.append_leading_field(unix_time);
  text.append_key_digits(content_key);
  return enciphered_hex(text);
}

std::string make_player_launch_token(
    const std::array<unsigned char, kContentKeyBytes> &content_key, std::int64_t unix_time) {
  TokenText text;
  text.append_leading_field(unix_time);
  text.append(kPlayerKeySeparator);
  text.append_key_digits(content_key);
  return enciphered_hex(text);
}

}  // namespace folio_host
