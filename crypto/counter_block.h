// The counter-mode block layout shared by every protected stream: eight
// nonce bytes, then the block index (stream offset / 16) as a big-endian
// 64-bit integer. A keystream byte depends only on its stream offset.
#ifndef FOLIO_CRYPTO_COUNTER_BLOCK_H
#define FOLIO_CRYPTO_COUNTER_BLOCK_H

#include <cstdint>

constexpr int kNonceBytes = 8;
constexpr int kCounterBytes = 16;

// Fills counter with the block that covers stream offset.
void initcounter(const unsigned char nonce[kNonceBytes], unsigned char counter[kCounterBytes],
                 std::uint64_t offset);

// Adds one to the whole block as a 128-bit big-endian integer; the carry
// runs on into the nonce half, and sixteen 0xFF bytes wrap to zero.
void increasecounter(unsigned char counter[kCounterBytes]);

#endif
