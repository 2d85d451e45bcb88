// The key schedule's life, the same over every AES backend.
#include "aes.h"
#include "aes_pool.h"

void aes_init(aes_key_schedule *schedule) {
  schedule->rounds = 0;
  schedule->pool = nullptr;
}

void aes_free(aes_key_schedule *schedule) {
  if (!schedule) return;
  aes_pool_release(schedule->pool);
  aes_init(schedule);
}
