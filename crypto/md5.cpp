#include "md5.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/file_open.h"

namespace {

inline std::uint32_t load_le32(const unsigned char *p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline void store_le32(unsigned char *p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

inline std::uint32_t rotl(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

// The four auxiliary functions of RFC 1321 section 3.4, in the forms that
// need the fewest operations.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) \
  (a) += f((b), (c), (d)) + (x) + (t);   \
  (a) = rotl((a), (s)) + (b)

// Folds count whole 64-byte blocks into state.
void transform(std::uint32_t state[4], const unsigned char *blocks, std::size_t count) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; count; --count, blocks += 64) {
    std::uint32_t x[16];
    for (int k = 0; k < 16; ++k) x[k] = load_le32(blocks + 4 * k);
    const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

    MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_STEP
#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I

constexpr std::size_t kFileChunk = 0x100000;

}  // namespace

void MD5Init(MD5_CTX *context) {
  context->i[0] = context->i[1] = 0;
  context->buf[0] = 0x67452301;
  context->buf[1] = 0xefcdab89;
  context->buf[2] = 0x98badcfe;
  context->buf[3] = 0x10325476;
}

void MD5Update(MD5_CTX *context, const unsigned char *input, std::uint32_t length) {
  if (length == 0) return;
  const std::size_t pending = (context->i[0] >> 3) & 0x3F;

  const std::uint64_t bits = (std::uint64_t(context->i[1]) << 32 | context->i[0]) +
                             (std::uint64_t(length) << 3);
  context->i[0] = static_cast<std::uint32_t>(bits);
  context->i[1] = static_cast<std::uint32_t>(bits >> 32);

  std::size_t remaining = length;
  if (pending) {
    const std::size_t room = 64 - pending;
    if (remaining < room) {
      std::memcpy(context->in + pending, input, remaining);
      return;
    }
    std::memcpy(context->in + pending, input, room);
    transform(context->buf, context->in, 1);
    input += room;
    remaining -= room;
  }
  // Whole blocks straight from the caller's buffer, without copying.
  transform(context->buf, input, remaining / 64);
  input += remaining & ~std::size_t(63);
  std::memcpy(context->in, input, remaining & 63);
}

void MD5Final(MD5_CTX *context) {
  unsigned char length_le[8];
  store_le32(length_le, context->i[0]);
  store_le32(length_le + 4, context->i[1]);

  static const unsigned char kPadding[64] = {0x80};
  const std::uint32_t pending = (context->i[0] >> 3) & 0x3F;
  MD5Update(context, kPadding, pending < 56 ? 56 - pending : 120 - pending);
  MD5Update(context, length_le, 8);

  for (int k = 0; k < 4; ++k) store_le32(context->digest + 4 * k, context->buf[k]);
}

void MDPrint(const MD5_CTX *context, char text[kMd5TextBytes]) {
  static const char kHex[] = "0123456789abcdef";
  for (int k = 0; k < 16; ++k) {
    text[2 * k] = kHex[context->digest[k] >> 4];
    text[2 * k + 1] = kHex[context->digest[k] & 15];
  }
  text[32] = '\0';
}

Md5FileResult md5_file_digest(const char *path, char text[kMd5TextBytes]) {
  std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(open_utf8(path, "rb"), &std::fclose);
  if (!file) return Md5FileResult::open_failed;

  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kFileChunk]());
  if (!chunk) return Md5FileResult::no_memory;
  MD5_CTX context;
  MD5Init(&context);
  std::size_t got;
  while ((got = std::fread(chunk.get(), 1, kFileChunk, file.get())) > 0)
    MD5Update(&context, chunk.get(), static_cast<std::uint32_t>(got));
  if (std::ferror(file.get())) return Md5FileResult::read_failed;

  MD5Final(&context);
  MDPrint(&context, text);
  return Md5FileResult::ok;
}

Md5FileResult md5_file_reported(const char *path, char text[kMd5TextBytes]) {
  // A file whose bytes cannot be read gets the same message as one that
  // cannot be opened: either way there is no digest.
  const Md5FileResult result = md5_file_digest(path, text);
  if (result == Md5FileResult::ok)
    std::printf(" %s\n", path);
  else
    std::printf("%s can't be opened.\n", path);
  return result;
}

void MDFile(const char *path, char text[kMd5TextBytes]) { md5_file_reported(path, text); }
