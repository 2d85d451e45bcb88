#include "launch_token.h"

#include <cstdio>
#include <cstring>

#include "crypto/aes.h"
#include "crypto/aes_ctr.h"
#include "launch_token_keys.h"
#include "messages.h"

namespace folio_host {

namespace {

constexpr std::size_t kTokenTextBytes = kLaunchTokenDigits / 2;
constexpr std::size_t kLeadingFieldBytes = 11;
constexpr char kTokenLayout = '1';
constexpr std::int64_t kTimeModulus = 10000000000;  // 10 decimal digits
static_assert(kLeadingFieldBytes + 2 * kContentKeyBytes == kTokenTextBytes,
              "the token text is the leading field and the key digits");
static_assert(sizeof FOLIO_TOKEN_KEY - 1 == 32, "the token key is an AES-256 key");
static_assert(sizeof FOLIO_TOKEN_NONCE - 1 >= 8, "the token nonce gives 8 counter bytes");

// Writes the leading field into the first kLeadingFieldBytes of text.
void put_leading_field(unsigned char *text, std::int64_t unix_time) {
  const std::int64_t seconds = ((unix_time % kTimeModulus) + kTimeModulus) % kTimeModulus;
  char field[kLeadingFieldBytes + 1];
  std::snprintf(field, sizeof field, "%c%010lld", kTokenLayout, static_cast<long long>(seconds));
  std::memcpy(text, field, kLeadingFieldBytes);
}

void put_hex(unsigned char *text, const unsigned char *bytes, std::size_t size, const char *digits) {
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = static_cast<unsigned char>(digits[bytes[i] >> 4]);
    text[2 * i + 1] = static_cast<unsigned char>(digits[bytes[i] & 15]);
  }
}

// The token key schedule, released on every path out.
class TokenKeySchedule {
 public:
  TokenKeySchedule() {
    aes_init(&schedule_);
    if (aes_setkey_enc(&schedule_, reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_KEY),
                       256) != 0)
      throw Failure("launch token", "the token key could not be set up");
  }
  ~TokenKeySchedule() { aes_free(&schedule_); }
  TokenKeySchedule(const TokenKeySchedule &) = delete;
  TokenKeySchedule &operator=(const TokenKeySchedule &) = delete;
  const aes_key_schedule *get() const { return &schedule_; }

 private:
  aes_key_schedule schedule_;
};

// The token text, wiped when it goes out of scope.
struct TokenText {
  unsigned char bytes[kTokenTextBytes];
  ~TokenText() { ::explicit_bzero(bytes, sizeof bytes); }
};

}  // namespace

std::string make_launch_token(const std::array<unsigned char, kContentKeyBytes> &content_key,
                              std::int64_t unix_time) {
  const TokenKeySchedule schedule;
  TokenText text;
  put_leading_field(text.bytes, unix_time);
  put_hex(text.bytes + kLeadingFieldBytes, content_key.data(), content_key.size(),
          "0123456789abcdef");
  unsigned char enciphered[kTokenTextBytes];
  aes_crypt_ctr(schedule.get(), AES_ENCRYPT, static_cast<std::int32_t>(kTokenTextBytes),
                reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_NONCE), 0, text.bytes,
                enciphered);
  std::string token(kLaunchTokenDigits, '0');
  put_hex(reinterpret_cast<unsigned char *>(token.data()), enciphered, sizeof enciphered,
          "0123456789ABCDEF");
  return token;
}

}  // namespace folio_host
