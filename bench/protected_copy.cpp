#include "protected_copy.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "aes.h"
#include "aes_ctr.h"

namespace folio_bench {
namespace {

constexpr unsigned char kKey[32] = {
    0x60, 0x3d, 0xeb, 0x10, 0x15, 0xca, 0x71, 0xbe, 0x2b, 0x73, 0xae, 0xf0, 0x85, 0x7d, 0x77, 0x81,
    0x1f, 0x35, 0x2c, 0x07, 0x3b, 0x61, 0x08, 0xd7, 0x2d, 0x98, 0x10, 0xa3, 0x09, 0x14, 0xdf, 0xf4};
constexpr unsigned char kNonce[8] = {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7};
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

struct FileCloser {
  void operator()(std::FILE *file) const {
    if (file) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

const unsigned char *bench_content_key() { return kKey; }
const unsigned char *bench_content_nonce() { return kNonce; }

bool write_protected_copy(const std::string &clear_path, const std::string &protected_path) {
  File in(std::fopen(clear_path.c_str(), "rb"));
  File out(std::fopen(protected_path.c_str(), "wb"));
  if (!in || !out) return false;

  aes_key_schedule schedule;
  aes_init(&schedule);
  if (aes_setkey_enc(&schedule, kKey, 256) != 0) return false;

  std::vector<unsigned char> chunk(kChunkBytes);
  std::int64_t offset = 0;
  bool ok = true;
  while (ok) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), in.get());
    if (got == 0) {
      ok = !std::ferror(in.get());
      break;
    }
    aes_crypt_ctr(&schedule, AES_ENCRYPT, static_cast<std::int32_t>(got), kNonce, offset,
                  chunk.data(), chunk.data());
    ok = std::fwrite(chunk.data(), 1, got, out.get()) == got;
    offset += static_cast<std::int64_t>(got);
  }
  aes_free(&schedule);
  return ok && std::fclose(out.release()) == 0;
}

}  // namespace folio_bench
