// The protected documents the viewer benchmarks open: a clear PDF enciphered
// with the crypto core under a fixed benchmark key and nonce, in the
// ciphertext-only container (document byte p is file byte p).
#ifndef FOLIO_BENCH_PROTECTED_COPY_H
#define FOLIO_BENCH_PROTECTED_COPY_H

#include <string>

namespace folio_bench {

// Any container variant but "v1" means ciphertext alone.
inline constexpr const char *kBenchVariant = "bare";

const unsigned char *bench_content_key();    // 32 bytes
const unsigned char *bench_content_nonce();  // 8 bytes

// Writes clear_path enciphered to protected_path; false on any read or
// write failure.
bool write_protected_copy(const std::string &clear_path, const std::string &protected_path);

}  // namespace folio_bench

#endif
