#include "AesCTREngine.h"

#include <cstring>

void AesCTREngine::ScheduleDeleter::operator()(aes_key_schedule *schedule) const {
  aes_free(schedule);
  delete schedule;
}

AesCTREngine::AesCTREngine(const unsigned char *key, int keyLength, const unsigned char *iv,
                           int ivLength) {
  const bool key_length_ok = keyLength == 16 || keyLength == 24 || keyLength == 32;
  if (!key_length_ok || ivLength != kNonceBytes || !key || !iv) return;
  std::memcpy(nonce_, iv, kNonceBytes);
  std::unique_ptr<aes_key_schedule, ScheduleDeleter> schedule(new aes_key_schedule);
  aes_init(schedule.get());
  if (aes_setkey_enc(schedule.get(), key, static_cast<unsigned>(keyLength) * 8) == 0)
    schedule_ = std::move(schedule);
}

AesCTREngine::~AesCTREngine() = default;

void AesCTREngine::invcpy(unsigned char *dst, const unsigned char *src, int n) {
  for (int i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
}

void AesCTREngine::initcounter(unsigned char counter[kCounterBytes], std::uint64_t offset) const {
  ::initcounter(nonce_, counter, offset);
}

void AesCTREngine::increasecounter(unsigned char counter[kCounterBytes]) {
  ::increasecounter(counter);
}

bool AesCTREngine::crypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const {
  unsigned char counter[kCounterBytes];
  initcounter(counter, offset);
  return aes_ctr_xor(schedule_.get(), counter, static_cast<unsigned>(offset % 16), data, data, length) == 0;
}

int AesCTREngine::encrypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const {
  return schedule_ && crypt(data, offset, length) ? 1 : 0;
}

int AesCTREngine::decrypt(unsigned char *data, std::uint64_t offset, std::uint64_t length) const {
  return encrypt(data, offset, length);
}
