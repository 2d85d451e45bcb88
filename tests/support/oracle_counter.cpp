// The counter blocks of the reference cipher, the same whatever AES
// implementation the oracle is built over.
#include <stdexcept>

#include "support/oracle.h"

namespace folio_test::oracle {

Bytes counter_block(const unsigned char nonce[8], std::uint64_t offset) {
  Bytes counter(nonce, nonce + 8);
  const std::uint64_t index = offset / 16;
  for (int shift = 56; shift >= 0; shift -= 8)
    counter.push_back(static_cast<unsigned char>(index >> shift));
  return counter;
}

Bytes counter_block(const Bytes &nonce, std::uint64_t offset) {
  if (nonce.size() != 8) throw std::invalid_argument("nonce must be 8 bytes");
  return counter_block(nonce.data(), offset);
}

}  // namespace folio_test::oracle
