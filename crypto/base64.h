// Base64 with the RFC 4648 standard alphabet and "=" padding, as one line
// of text. Both directions answer a size query when output is null.
#ifndef FOLIO_CRYPTO_BASE64_H
#define FOLIO_CRYPTO_BASE64_H

// The same values under the same names as the document library's public
// header, so the two may be included together.
#ifndef B64_ERR_CAPACITY
#define B64_ERR_CAPACITY 4  /* output capacity too small; nothing written */
#endif
#ifndef B64_ERR_NULL
#define B64_ERR_NULL 6      /* text pointer null */
#endif
#ifndef B64_ERR_LENGTH
#define B64_ERR_LENGTH 7    /* decode: text length not a multiple of 4; either
                               direction: a negative length, or a result too
                               long for an int */
#endif
constexpr int B64_OK = 0;

// Encodes length bytes as 4 * ceil(length / 3) characters plus a NUL.
// output null: *outLength = text length (without the NUL), result 0.
// capacity must be at least text length + 1. length 0: *outLength = 0 and
// nothing is written. outLength may be null only when length is nonzero and
// output is given.
int base64_encode(const unsigned char *input, int length, char *output, int capacity,
                  int *outLength);

// Decodes length characters (a multiple of 4); a trailing "=" and one in
// the position before it each shorten the result by a byte. Characters
// outside the alphabet are not rejected. output null: *outLength = needed
// size, result 0. No terminator is written. outLength may be null only when
// length is nonzero and output is given.
int base64_decode(const char *text, int length, unsigned char *output, int capacity,
                  int *outLength);

#endif
