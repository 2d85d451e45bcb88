// An aes_key_schedule that is released however a test leaves its scope.
#ifndef FOLIO_TESTS_CRYPTO_SCOPED_SCHEDULE_H
#define FOLIO_TESTS_CRYPTO_SCOPED_SCHEDULE_H

#include "aes.h"
#include "support/test_bytes.h"

class ScopedSchedule {
 public:
  ScopedSchedule() { aes_init(&schedule_); }
  ~ScopedSchedule() { aes_free(&schedule_); }
  ScopedSchedule(const ScopedSchedule &) = delete;
  ScopedSchedule &operator=(const ScopedSchedule &) = delete;

  int set_key(const folio_test::Bytes &key) {
    return aes_setkey_enc(&schedule_, key.data(), static_cast<unsigned>(key.size() * 8));
  }
  aes_key_schedule *get() { return &schedule_; }

 private:
  aes_key_schedule schedule_;
};

#endif
