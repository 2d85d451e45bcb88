// The child process through which bench_files runs our library, so that our
// side pays the same process start-up as the command-line peers and its
// peak memory can be read from its own ru_maxrss.
//
//   bench_doc_child idle                      load the library, do nothing
//   bench_doc_child encrypt SRC DST KEYHEX    DocFileEncrypt with the
//                                             64-hex-digit AES-256 key
//   bench_doc_child md5 PATH                  MD5File
//
// Prints key=value lines: nonce= (the header's nonce, hex), digest=,
// call_seconds= (the library call alone, without process start-up), and
// vm_hwm_kib=, the peak resident size of this program since exec, before
// the exit-time clean-up that ru_maxrss also covers.
// Exit status 0 on success, 1 on a failed call, 2 on bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "folioc.h"
#include "peak_memory.h"
#include "ratio_report.h"

namespace {

using folio_bench::monotonic_seconds;

void print_call_seconds(double start) {
  std::printf("call_seconds=%.6f\n", monotonic_seconds() - start);
}

bool parse_hex(const char *text, unsigned char *out, std::size_t bytes) {
  if (std::strlen(text) != 2 * bytes) return false;
  for (std::size_t i = 0; i < bytes; ++i) {
    unsigned value = 0;
    if (std::sscanf(text + 2 * i, "%2x", &value) != 1) return false;
    out[i] = static_cast<unsigned char>(value);
  }
  return true;
}

void print_hex(const char *name, const unsigned char *bytes, std::size_t length) {
  std::printf("%s=", name);
  for (std::size_t i = 0; i < length; ++i) std::printf("%02x", bytes[i]);
  std::printf("\n");
}

int encrypt(const char *source, const char *destination, const char *key_hex) {
  unsigned char key_block[FOLIOC_KEY_BLOCK_BYTES] = {};
  if (!parse_hex(key_hex, key_block + FOLIOC_KEY_BLOCK_KEY, 32)) return 2;
  unsigned char header[FOLIOC_HEADER_BYTES];
  int capacity = sizeof header;
  const double start = monotonic_seconds();
  const int result = DocFileEncrypt(source, destination, key_block, header, &capacity);
  print_call_seconds(start);
  if (result != DOC_OK) {
    std::fprintf(stderr, "DocFileEncrypt: %s\n", FoliocResultText(result));
    return 1;
  }
  print_hex("nonce", header + FOLIOC_HEADER_NONCE_AT, FOLIOC_NONCE_BYTES);
  return 0;
}

int digest(const char *path) {
  char text[FOLIOC_DIGEST_TEXT_BYTES] = {};
  const double start = monotonic_seconds();
  const int result = MD5File(path, text);
  print_call_seconds(start);
  if (result != DOC_OK) {
    std::fprintf(stderr, "MD5File: %s\n", FoliocResultText(result));
    return 1;
  }
  std::printf("digest=%s\n", text);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  int code = 2;
  if (mode == "idle" && argc == 2)
    code = 0;
  else if (mode == "encrypt" && argc == 5)
    code = encrypt(argv[2], argv[3], argv[4]);
  else if (mode == "md5" && argc == 3)
    code = digest(argv[2]);
  if (code == 2) {
    std::fprintf(stderr, "usage: %s idle | encrypt SRC DST KEYHEX | md5 PATH\n", argv[0]);
    return 2;
  }
  print_peak_resident_size();
  return code;
}
