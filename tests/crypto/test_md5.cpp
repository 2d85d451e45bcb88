// MD5 of in-memory data: the RFC 1321 test suite, streaming in arbitrary
// pieces, the text form, and agreement with OpenSSL's MD5.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "md5.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

std::string md5_text_pieces(const unsigned char *data, std::size_t n,
                            const std::vector<std::size_t> &pieces) {
  MD5_CTX context;
  MD5Init(&context);
  std::size_t done = 0;
  for (std::size_t k = 0; done < n; ++k) {
    const std::size_t piece = std::min(pieces[k % pieces.size()], n - done);
    MD5Update(&context, data + done, static_cast<std::uint32_t>(piece));
    done += piece;
  }
  MD5Final(&context);
  char text[kMd5TextBytes];
  MDPrint(&context, text);
  return text;
}

std::string md5_text(const unsigned char *data, std::size_t n) {
  return md5_text_pieces(data, n, {n ? n : 1});
}

std::string md5_text(const std::string &s) {
  return md5_text(reinterpret_cast<const unsigned char *>(s.data()), s.size());
}

TEST(Md5KnownAnswer, Rfc1321TestSuite) {
  EXPECT_EQ(md5_text(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5_text("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(md5_text("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5_text("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(md5_text("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(md5_text("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(md5_text("1234567890123456789012345678901234567890"
                     "1234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Streaming, AnyPiecesGiveTheOneCallDigest) {
  std::mt19937_64 rng(0x5eed0401);
  const Bytes data = random_bytes(rng, 4133);
  const std::string whole = oracle::md5_hex(data);
  ASSERT_EQ(md5_text(data.data(), data.size()), whole);

  const std::vector<std::vector<std::size_t>> patterns = {
      {1}, {63}, {64}, {65}, {1, 63, 64, 65}, {0, 5, 0, 127, 0}, {55, 1, 8}, {3000, 1}};
  for (const auto &pattern : patterns)
    EXPECT_EQ(md5_text_pieces(data.data(), data.size(), pattern), whole)
        << "pieces starting " << pattern.front();

  for (int trial = 0; trial < 20; ++trial) {
    std::vector<std::size_t> random_pieces;
    for (int k = 0; k < 16; ++k) random_pieces.push_back(rng() % 200);
    random_pieces.push_back(1);  // guarantees progress
    EXPECT_EQ(md5_text_pieces(data.data(), data.size(), random_pieces), whole)
        << "trial " << trial;
  }
}

TEST(Md5AgainstEvp, RandomDataUpToSeveralMiB) {
  std::mt19937_64 rng(0x5eed0402);
  const std::size_t lengths[] = {1,    55,   56,   57,       63,       64,
                                 65,   119,  120,  121,      128,      1000,
                                 4096, 4097, 1 << 20, (3 << 20) + 17};
  for (std::size_t length : lengths) {
    const Bytes data = random_bytes(rng, length);
    EXPECT_EQ(md5_text(data.data(), data.size()), oracle::md5_hex(data)) << "length " << length;
  }
}

// The bit count is two 32-bit words; past 512 MiB the low word carries.
TEST(Md5AgainstEvp, InputBeyond512MiBCarriesTheBitCount) {
  std::mt19937_64 rng(0x5eed0403);
  const Bytes chunk = random_bytes(rng, 1 << 20);
  constexpr int kChunks = 513;

  MD5_CTX context;
  MD5Init(&context);
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> reference(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
  ASSERT_TRUE(reference);
  ASSERT_EQ(EVP_DigestInit_ex(reference.get(), EVP_md5(), nullptr), 1);
  for (int k = 0; k < kChunks; ++k) {
    MD5Update(&context, chunk.data(), static_cast<std::uint32_t>(chunk.size()));
    ASSERT_EQ(EVP_DigestUpdate(reference.get(), chunk.data(), chunk.size()), 1);
  }
  MD5Update(&context, chunk.data(), 3);
  ASSERT_EQ(EVP_DigestUpdate(reference.get(), chunk.data(), 3), 1);

  MD5Final(&context);
  char text[kMd5TextBytes];
  MDPrint(&context, text);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  ASSERT_EQ(EVP_DigestFinal_ex(reference.get(), digest, &digest_length), 1);
  EXPECT_EQ(std::string(text), to_hex(digest, digest_length));
}

TEST(Md5Text, ThirtyTwoLowercaseHexDigitsAndOneTerminator) {
  MD5_CTX context;
  MD5Init(&context);
  const unsigned char input[] = "message digest";
  MD5Update(&context, input, sizeof input - 1);
  MD5Final(&context);

  char buffer[kMd5TextBytes + 8];
  std::memset(buffer, 'Z', sizeof buffer);
  MDPrint(&context, buffer);
  EXPECT_EQ(to_hex(context.digest, 16), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(std::string(buffer), "f96b697d7cb7938d525a2f31aaf161d0");
  for (std::size_t k = kMd5TextBytes; k < sizeof buffer; ++k)
    EXPECT_EQ(buffer[k], 'Z') << "wrote past the 33-byte text at " << k;
}

}  // namespace
