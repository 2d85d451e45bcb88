#include "aes_ctr.h"

#include "counter_block.h"

void aes_crypt_ctr(const aes_key_schedule *schedule, int /*mode*/, std::int32_t length,
                   const unsigned char nonce[8], std::int64_t offset,
                   const unsigned char *input, unsigned char *output) {
  if (length <= 0) return;
  const auto position = static_cast<std::uint64_t>(offset);
  unsigned char counter[kCounterBytes];
  initcounter(nonce, counter, position);
  aes_ctr_xor(schedule, counter, static_cast<unsigned>(position % 16), input, output,
              static_cast<std::uint64_t>(length));
}
