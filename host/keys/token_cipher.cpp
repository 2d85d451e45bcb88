#include "keys/token_cipher.h"

#include <cstdint>

#include "crypto/aes.h"
#include "crypto/aes_ctr.h"
#include "launch_token_keys.h"
#include "commands/messages.h"

namespace folio_host {

namespace {

static_assert(sizeof FOLIO_TOKEN_KEY - 1 == 32, "the token key is an AES-256 key");
static_assert(sizeof FOLIO_TOKEN_NONCE - 1 >= 8, "the token nonce gives 8 counter bytes");

// The token key schedule, released on every path out.
class TokenKeySchedule {
 public:
  explicit TokenKeySchedule(const std::string &what) {
    aes_init(&schedule_);
    if (aes_setkey_enc(&schedule_, reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_KEY),
                       256) != 0) {
      aes_free(&schedule_);
      throw Failure(what, "the token key could not be set up");
    }
  }
  ~TokenKeySchedule() { aes_free(&schedule_); }
  TokenKeySchedule(const TokenKeySchedule &) = delete;
  TokenKeySchedule &operator=(const TokenKeySchedule &) = delete;
  const aes_key_schedule *get() const { return &schedule_; }

 private:
  aes_key_schedule schedule_;
};

}  // namespace

void token_cipher(const unsigned char *input, std::size_t size, unsigned char *output,
                  const std::string &what) {
  if (size > static_cast<std::size_t>(INT32_MAX))
    throw Failure(what, "too long for the token cipher");
  const TokenKeySchedule schedule(what);
  aes_crypt_ctr(schedule.get(), AES_ENCRYPT, static_cast<std::int32_t>(size),
                reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_NONCE), 0, input, output);
}

}  // namespace folio_host
