// Out-of-place counter-mode ciphering with a key schedule the caller holds;
// the keystream is the one AesCTREngine produces for the same key, nonce
// and offset.
#ifndef FOLIO_CRYPTO_AES_CTR_H
#define FOLIO_CRYPTO_AES_CTR_H

#include <cstdint>

#include "aes.h"

// output[i] = input[i] XOR keystream(offset + i) for i < length. length <= 0
// does nothing. mode is not examined (callers pass AES_ENCRYPT). input and
// output may be the same buffer. schedule must be built with aes_setkey_enc.
void aes_crypt_ctr(const aes_key_schedule *schedule, int mode, std::int32_t length,
                   const unsigned char nonce[8], std::int64_t offset,
                   const unsigned char *input, unsigned char *output);

#endif
