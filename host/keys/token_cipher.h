// The one cipher behind everything this tool hands a viewer or the player
// under the built-in token key: AES-256 in counter mode at stream position
// 0, keyed with the built-in token key and the first 8 bytes of the
// built-in token nonce (the values the viewers and the player are built
// with). Document launch tokens, the player's launch token and header
// block, and the wrapped key in a video's header block all go through it.
// Counter mode is its own inverse, so the same call deciphers.
//
// Every call starts at stream position 0, so all of them share one
// keystream: whoever holds one buffer both clear and enciphered can
// decipher every other.
#ifndef FOLIO_HOST_TOKEN_CIPHER_H
#define FOLIO_HOST_TOKEN_CIPHER_H

#include <cstddef>
#include <string>

namespace folio_host {

// output[i] = input[i] XOR keystream(i) for i < size (input and output may
// be the same buffer). Throws Failure naming what when the token key
// schedule cannot be built, or when size is beyond what the cipher takes
// in one call (2^31 - 1 bytes).
void token_cipher(const unsigned char *input, std::size_t size, unsigned char *output,
                  const std::string &what);

}  // namespace folio_host

#endif
