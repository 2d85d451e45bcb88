// What each AES backend (OpenSSL, CNG) provides to the code they share.
#ifndef FOLIO_CRYPTO_AES_POOL_H
#define FOLIO_CRYPTO_AES_POOL_H

#include "aes.h"

// Frees a schedule's pool of keyed contexts and cleanses their key
// material; null does nothing.
void aes_pool_release(aes_context_pool *pool);

#endif
