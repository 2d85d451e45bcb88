// Cipher handles: how numbers are handed out and taken back, and that the
// keystream behind a handle is AES counter mode with the stream layout the
// library documents. Every test releases what it opens, so the table is
// empty again when the next test starts.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "folioc.h"
#include "support/open_handle.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

const unsigned char kNonce[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};

Bytes key_of(std::size_t size, std::uint32_t seed = 7) { return random_bytes(size, seed); }

int open_raw(const Bytes &key, const unsigned char *nonce = kNonce) {
  return FoliocInit(key.data(), static_cast<int>(key.size()), nonce);
}

// Ciphers a copy of data through handle; the library's result goes to *result.
Bytes cipher_copy(int handle, const Bytes &data, std::uint64_t offset, int *result) {
  Bytes copy(data);
  *result = Foliocrypt(handle, copy.data(), copy.size(), offset);
  return copy;
}

}  // namespace

TEST(HandleNumbering, FirstHandlesOfAnEmptyTableAreOneTwoThree) {
  const Bytes key = key_of(32);
  const int first = open_raw(key), second = open_raw(key), third = open_raw(key);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(third, 3);
  for (int handle : {first, second, third}) EXPECT_EQ(FoliocClean(handle), DOC_OK);
}

TEST(HandleNumbering, ReleasedNumberIsReusedLowestFirst) {
  const Bytes key = key_of(16);
  const int one = open_raw(key), two = open_raw(key), three = open_raw(key);
  ASSERT_EQ(two, one + 1);
  ASSERT_EQ(three, one + 2);
  ASSERT_EQ(FoliocClean(two), DOC_OK);
  const int reused = open_raw(key);
  const int next = open_raw(key);
  EXPECT_EQ(reused, two);
  EXPECT_EQ(next, three + 1);
  for (int handle : {one, reused, three, next}) EXPECT_EQ(FoliocClean(handle), DOC_OK);
}

TEST(HandleNumbering, RefusedOpenUsesNoNumber) {
  const Bytes key = key_of(48);
  const int before = open_raw(Bytes(key.begin(), key.begin() + 24));
  ASSERT_GE(before, 1);
  for (int length : {0, 20, 40, 15, 33, 64, -16}) {
    EXPECT_EQ(FoliocInit(key.data(), length, kNonce), DOC_ERR_FAIL) << "key length " << length;
  }
  EXPECT_EQ(FoliocInit(nullptr, 32, kNonce), DOC_ERR_FAIL);
  EXPECT_EQ(FoliocInit(key.data(), 32, nullptr), DOC_ERR_FAIL);
  const int after = open_raw(Bytes(key.begin(), key.begin() + 32));
  EXPECT_EQ(after, before + 1);
  EXPECT_EQ(FoliocClean(before), DOC_OK);
  EXPECT_EQ(FoliocClean(after), DOC_OK);
}

TEST(HandleRelease, SecondReleaseOfTheSameHandleFails) {
  const int handle = open_raw(key_of(32));
  ASSERT_GE(handle, 1);
  EXPECT_EQ(FoliocClean(handle), DOC_OK);
  EXPECT_EQ(FoliocClean(handle), DOC_ERR_FAIL);
}

TEST(HandleRelease, NumbersThatAreNotOpenAreRefusedWithDataUntouched) {
  const int released = open_raw(key_of(32));
  ASSERT_GE(released, 1);
  ASSERT_EQ(FoliocClean(released), DOC_OK);
  const Bytes original = random_bytes(100, 3);
  for (int handle : {released, 0, -1, 12345}) {
    Bytes data(original);
    EXPECT_EQ(Foliocrypt(handle, data.data(), data.size(), 0), DOC_ERR_FAIL) << handle;
    EXPECT_EQ(DocDecrypt(handle, data.data(), data.size(), 0), DOC_ERR_FAIL) << handle;
    EXPECT_EQ(data, original) << handle;
    EXPECT_EQ(FoliocClean(handle), DOC_ERR_FAIL) << handle;
  }
}

// Offsets inside a block, on block and chunk boundaries, and where a stored
// file's offsets go past 2 GiB (the sign-extended form).
class HandleKeystream : public ::testing::TestWithParam<int> {};

TEST_P(HandleKeystream, MatchesAesCounterModeAtAnyOffset) {
  const Bytes key = key_of(static_cast<std::size_t>(GetParam()), 11);
  OpenHandle handle(key, kNonce);
  ASSERT_GE(handle.get(), 1);
  const std::vector<std::uint64_t> offsets = {
      0, 1, 15, 16, 17, 4095, 0x100000 - 3, 0x7FFFFFF9, 0xFFFFFFFF80000000ull, 0xFFFFFFFFFFFF0000ull};
  for (std::uint64_t offset : offsets) {
    for (std::size_t length : {std::size_t{1}, std::size_t{16}, std::size_t{100}, std::size_t{4099}}) {
      const Bytes plain = random_bytes(length, static_cast<std::uint32_t>(offset + length));
      int result = -2;
      const Bytes cipher = cipher_copy(handle.get(), plain, offset, &result);
      ASSERT_EQ(result, DOC_OK);
      EXPECT_EQ(cipher, oracle::aes_ctr(key, kNonce, offset, plain))
          << "offset " << offset << " length " << length;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(KeyLengths, HandleKeystream, ::testing::Values(16, 24, 32));

TEST(HandleCipher, DocDecryptIsTheSameOperationAsFoliocrypt) {
  const Bytes key = key_of(24);
  OpenHandle handle(key, kNonce);
  const Bytes plain = random_bytes(777, 5);
  Bytes through_crypt(plain), through_decrypt(plain);
  ASSERT_EQ(Foliocrypt(handle.get(), through_crypt.data(), through_crypt.size(), 33), DOC_OK);
  ASSERT_EQ(DocDecrypt(handle.get(), through_decrypt.data(), through_decrypt.size(), 33), DOC_OK);
  EXPECT_NE(through_crypt, plain);
  EXPECT_EQ(through_crypt, through_decrypt);
  ASSERT_EQ(DocDecrypt(handle.get(), through_crypt.data(), through_crypt.size(), 33), DOC_OK);
  EXPECT_EQ(through_crypt, plain);
}

TEST(HandleCipher, OnlyTheFirstEightNonceBytesCount) {
  const Bytes key = key_of(32);
  unsigned char long_nonce_a[16], long_nonce_b[16];
  for (int i = 0; i < 16; ++i) {
    long_nonce_a[i] = static_cast<unsigned char>(i < 8 ? kNonce[i] : 0x00);
    long_nonce_b[i] = static_cast<unsigned char>(i < 8 ? kNonce[i] : 0xFF);
  }
  unsigned char other_nonce[8];
  for (int i = 0; i < 8; ++i) other_nonce[i] = kNonce[i];
  other_nonce[7] ^= 1;

  OpenHandle a(key, long_nonce_a), b(key, long_nonce_b), other(key, other_nonce);
  const Bytes plain(64, 0);
  int ra = -2, rb = -2, ro = -2;
  const Bytes from_a = cipher_copy(a.get(), plain, 0, &ra);
  const Bytes from_b = cipher_copy(b.get(), plain, 0, &rb);
  const Bytes from_other = cipher_copy(other.get(), plain, 0, &ro);
  ASSERT_EQ(ra, DOC_OK);
  ASSERT_EQ(rb, DOC_OK);
  ASSERT_EQ(ro, DOC_OK);
  EXPECT_EQ(from_a, oracle::aes_ctr(key, kNonce, 0, plain));
  EXPECT_EQ(from_a, from_b);
  EXPECT_NE(from_a, from_other);
}

TEST(HandleCipher, HandlesWithTheSameKeyAndNonceShareTheKeystream) {
  const Bytes key = key_of(16);
  OpenHandle first(key, kNonce), second(key, kNonce);
  ASSERT_NE(first.get(), second.get());
  const Bytes plain = random_bytes(300, 9);
  int r1 = -2, r2 = -2;
  EXPECT_EQ(cipher_copy(first.get(), plain, 1000, &r1), cipher_copy(second.get(), plain, 1000, &r2));
  EXPECT_EQ(r1, DOC_OK);
  EXPECT_EQ(r2, DOC_OK);
}

TEST(HandleCipher, SlicesCipheredSeparatelyMatchTheWholeStream) {
  const Bytes key = key_of(32);
  OpenHandle handle(key, kNonce);
  const Bytes plain = random_bytes(5000, 21);
  Bytes whole(plain), pieces(plain);
  ASSERT_EQ(Foliocrypt(handle.get(), whole.data(), whole.size(), 0), DOC_OK);
  // Uneven slices, ciphered back to front, each starting mid-block.
  const std::vector<std::size_t> cuts = {0, 3, 19, 20, 1111, 4096, 4097, 5000};
  for (std::size_t i = cuts.size() - 1; i > 0; --i) {
    const std::size_t from = cuts[i - 1], to = cuts[i];
    ASSERT_EQ(Foliocrypt(handle.get(), pieces.data() + from, to - from, from), DOC_OK);
  }
  EXPECT_EQ(pieces, whole);
}

TEST(HandleCipher, ZeroLengthSucceedsAndChangesNothing) {
  OpenHandle handle(key_of(32), kNonce);
  Bytes data = random_bytes(8, 1);
  const Bytes original(data);
  EXPECT_EQ(Foliocrypt(handle.get(), data.data(), 0, 5), DOC_OK);
  EXPECT_EQ(DocDecrypt(handle.get(), data.data(), 0, 5), DOC_OK);
  EXPECT_EQ(Foliocrypt(handle.get(), nullptr, 0, 0), DOC_OK);
  EXPECT_EQ(data, original);
}

TEST(HandleCipher, NullDataWithALengthIsRefused) {
  OpenHandle handle(key_of(32), kNonce);
  EXPECT_EQ(Foliocrypt(handle.get(), nullptr, 16, 0), DOC_ERR_FAIL);
  EXPECT_EQ(DocDecrypt(handle.get(), nullptr, 1, 0), DOC_ERR_FAIL);
}
