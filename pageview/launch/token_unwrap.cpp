#include "token_unwrap.h"

#include <cstring>

#include "crypto/aes.h"
#include "crypto/aes_ctr.h"
#include "hex_digits.h"
#include "launch_token_keys.h"
#include "secure_wipe.h"

namespace pageview {

namespace {

constexpr std::size_t kTokenKeyBytes = 32;
static_assert(sizeof FOLIO_TOKEN_KEY - 1 == kTokenKeyBytes, "the token key is 32 characters");
static_assert(sizeof FOLIO_TOKEN_NONCE - 1 == 16, "the token nonce is 16 characters");

// The token key schedule, released on every path out.
class TokenKeySchedule {
 public:
  TokenKeySchedule() {
    aes_init(&schedule_);
    // The key's 32 characters as they stand, without the terminator.
    built_ = aes_setkey_enc(&schedule_, reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_KEY),
                            kTokenKeyBytes * 8) == 0;
  }
  ~TokenKeySchedule() { aes_free(&schedule_); }
  TokenKeySchedule(const TokenKeySchedule &) = delete;
  TokenKeySchedule &operator=(const TokenKeySchedule &) = delete;

  bool built() const { return built_; }
  const aes_key_schedule *get() const { return &schedule_; }

 private:
  aes_key_schedule schedule_;
  bool built_;
};

}  // namespace

bool unwrapLaunchToken(const char *token, std::array<unsigned char, kContentKeyBytes> &contentKey) {
  std::array<char, kTokenLeadingFieldBytes> leadingField;
  return unwrapLaunchToken(token, contentKey, leadingField);
}

bool unwrapLaunchToken(const char *token, std::array<unsigned char, kContentKeyBytes> &contentKey,
                       std::array<char, kTokenLeadingFieldBytes> &leadingField) {
  contentKey.fill(0);
  leadingField.fill(0);
  const TokenKeySchedule schedule;
  if (!schedule.built()) return false;

  WipedBuffer<kTokenTextBytes> enciphered;
  hexToBytes(token, kTokenDigits, enciphered.data(), enciphered.size());
  WipedBuffer<kTokenTextBytes> text;
  // Only the first 8 nonce bytes form the counter block; the rest are unused.
  aes_crypt_ctr(schedule.get(), AES_ENCRYPT, static_cast<std::int32_t>(kTokenTextBytes),
                reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_NONCE), 0, enciphered.data(),
                text.data());

  std::memcpy(leadingField.data(), text.data(), kTokenLeadingFieldBytes);
  const char *keyText = reinterpret_cast<const char *>(text.data()) + kTokenLeadingFieldBytes;
  const std::size_t available = kTokenTextBytes - kTokenLeadingFieldBytes;
  const void *terminator = std::memchr(keyText, '\0', available);
  const std::size_t keyTextLength =
      terminator ? static_cast<std::size_t>(static_cast<const char *>(terminator) - keyText)
                 : available;
  hexToBytes(keyText, keyTextLength, contentKey.data(), contentKey.size());
  return true;
}

}  // namespace pageview
