#include "counter_block.h"

#include <cstring>

void initcounter(const unsigned char nonce[kNonceBytes], unsigned char counter[kCounterBytes],
                 std::uint64_t offset) {
  std::memcpy(counter, nonce, kNonceBytes);
  std::uint64_t index = offset / 16;
  for (int i = kCounterBytes - 1; i >= kNonceBytes; --i, index >>= 8)
    counter[i] = static_cast<unsigned char>(index);
}

void increasecounter(unsigned char counter[kCounterBytes]) {
  for (int i = kCounterBytes - 1; i >= 0; --i)
    if (++counter[i] != 0) return;
}
