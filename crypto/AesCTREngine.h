// One AES key schedule and one 8-byte nonce, applying the counter-mode
// keystream to caller buffers at any stream offset. Ciphering and
// deciphering are the same operation.
#ifndef FOLIO_CRYPTO_AES_CTR_ENGINE_H
#define FOLIO_CRYPTO_AES_CTR_ENGINE_H

#include <cstdint>
#include <memory>

#include "aes.h"
#include "counter_block.h"

class AesCTREngine {
 public:
  // An engine that cannot cipher.
  AesCTREngine() = default;
  // keyLength must be 16, 24 or 32 and ivLength 8; otherwise (or when the
  // AES layer refuses the key) the engine has no key schedule and
  // encrypt/decrypt leave data alone. The nonce is copied whenever the
  // lengths are accepted.
  AesCTREngine(const unsigned char *key, int keyLength, const unsigned char *iv, int ivLength);
  ~AesCTREngine();

  AesCTREngine(const AesCTREngine &) = delete;
  AesCTREngine &operator=(const AesCTREngine &) = delete;

  bool has_key_schedule() const { return schedule_ != nullptr; }

  // dst[i] = src[n - 1 - i]; n <= 0 copies nothing. The areas must not overlap.
  static void invcpy(unsigned char *dst, const unsigned char *src, int n);
  void initcounter(unsigned char counter[kCounterBytes], std::uint64_t offset) const;
  static void increasecounter(unsigned char counter[kCounterBytes]);

  // XORs the keystream for stream positions offset .. offset + length - 1
  // into data. Requires a key schedule. false only if the AES backend failed
  // (out of memory), in which case data is not fully ciphered.
  [[nodiscard]] bool crypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const;
  // 1 after ciphering; 0, with data untouched, when there is no key schedule
  // (or data not fully ciphered when the AES backend failed).
  int encrypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const;
  int decrypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const;

 private:
  struct ScheduleDeleter {
    void operator()(aes_key_schedule *schedule) const;
  };
  std::unique_ptr<aes_key_schedule, ScheduleDeleter> schedule_;
  unsigned char nonce_[kNonceBytes] = {};
};

#endif
