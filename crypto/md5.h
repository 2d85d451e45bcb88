// MD5 (RFC 1321) with the classic context-based interface, the 33-byte
// lowercase text form, and whole-file digests streamed through 1 MiB.
#ifndef FOLIO_CRYPTO_MD5_H
#define FOLIO_CRYPTO_MD5_H

#include <cstdint>

struct MD5_CTX {
  std::uint32_t i[2];         // bit count modulo 2^64, low word first
  std::uint32_t buf[4];       // chaining state A, B, C, D
  unsigned char in[64];       // pending input block
  unsigned char digest[16];   // filled by MD5Final
};

constexpr int kMd5TextBytes = 33;  // 32 hex digits and a NUL

void MD5Init(MD5_CTX *context);
// Any number of calls with any lengths, 0 included.
void MD5Update(MD5_CTX *context, const unsigned char *input, std::uint32_t length);
void MD5Final(MD5_CTX *context);
// Writes the digest of a finished context as 32 lowercase hex digits and a NUL.
void MDPrint(const MD5_CTX *context, char text[kMd5TextBytes]);

enum class Md5FileResult { ok, open_failed, read_failed, no_memory };

// Digest of a whole file, streamed through one 1 MiB buffer. text is
// written only on ok. Prints nothing.
Md5FileResult md5_file_digest(const char *path, char text[kMd5TextBytes]);

// md5_file_digest with the traditional messages on standard output:
// "<path> can't be opened." when there is no digest, " <path>" after one.
Md5FileResult md5_file_reported(const char *path, char text[kMd5TextBytes]);
void MDFile(const char *path, char text[kMd5TextBytes]);

#endif
