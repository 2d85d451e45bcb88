// The stream engine's contract: position-only keystream, symmetry, refused
// construction, and the byte-level examples; plus aes_crypt_ctr's
// do-nothing cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "AesCTREngine.h"
#include "aes.h"
#include "aes_ctr.h"
#include "scoped_schedule.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

struct Keyed {
  Bytes key;
  Bytes nonce;
};

Keyed random_keyed(std::mt19937_64 &rng, std::size_t key_size) {
  return {random_bytes(rng, key_size), random_bytes(rng, 8)};
}

// AES of the counter block nonce ‖ big-endian index.
Bytes keystream_block(const Keyed &k, std::uint64_t index) {
  const Bytes counter = oracle::counter_block(k.nonce, index * 16);
  return oracle::aes_block(k.key, counter.data());
}

TEST(EngineSplitting, TwoCallsEqualOneCall) {
  std::mt19937_64 rng(0x5eed0101);
  for (std::size_t key_size : {16u, 24u, 32u}) {
    const Keyed k = random_keyed(rng, key_size);
    const AesCTREngine engine(k.key.data(), int(key_size), k.nonce.data(), 8);
    const Bytes plaintext = random_bytes(rng, 32);

    Bytes whole = plaintext;
    ASSERT_TRUE(engine.crypt(whole.data(), 0, 32));
    Bytes split = plaintext;
    ASSERT_TRUE(engine.crypt(split.data(), 0, 10));
    ASSERT_TRUE(engine.crypt(split.data() + 10, 10, 22));
    EXPECT_EQ(to_hex(split), to_hex(whole)) << "key " << key_size;
  }
}

TEST(EngineRandomAccess, AnySliceDeciphersOnItsOwn) {
  std::mt19937_64 rng(0x5eed0102);
  constexpr std::uint64_t kBase = 0x7000000000000005ull;  // not block aligned
  for (std::size_t key_size : {16u, 24u, 32u}) {
    const Keyed k = random_keyed(rng, key_size);
    const AesCTREngine engine(k.key.data(), int(key_size), k.nonce.data(), 8);
    const Bytes plaintext = random_bytes(rng, 700);
    Bytes ciphertext = plaintext;
    ASSERT_TRUE(engine.crypt(ciphertext.data(), kBase, ciphertext.size()));

    for (int trial = 0; trial < 300; ++trial) {
      const std::size_t start = rng() % plaintext.size();
      const std::size_t max_length = plaintext.size() - start;
      const std::size_t length = trial % 2 ? rng() % std::min<std::size_t>(16, max_length + 1)
                                           : rng() % (max_length + 1);
      SCOPED_TRACE(testing::Message() << "key " << key_size << " slice " << start << "+"
                                      << length);
      Bytes slice(ciphertext.begin() + start, ciphertext.begin() + start + length);
      ASSERT_EQ(engine.decrypt(slice.data(), kBase + start, length), 1);
      ASSERT_TRUE(std::equal(slice.begin(), slice.end(), plaintext.begin() + start));
    }
  }
}

TEST(EngineSymmetry, CipheringTwiceRestoresAndEncryptEqualsDecrypt) {
  std::mt19937_64 rng(0x5eed0103);
  const Keyed k = random_keyed(rng, 24);
  const AesCTREngine engine(k.key.data(), 24, k.nonce.data(), 8);
  const Bytes plaintext = random_bytes(rng, 1000);
  constexpr std::uint64_t kOffset = 12345;

  Bytes encrypted = plaintext;
  ASSERT_EQ(engine.encrypt(encrypted.data(), kOffset, encrypted.size()), 1);
  EXPECT_NE(encrypted, plaintext);
  Bytes decrypted_direction = plaintext;
  ASSERT_EQ(engine.decrypt(decrypted_direction.data(), kOffset, decrypted_direction.size()), 1);
  EXPECT_EQ(decrypted_direction, encrypted);

  ASSERT_EQ(engine.encrypt(encrypted.data(), kOffset, encrypted.size()), 1);
  EXPECT_EQ(encrypted, plaintext);
}

TEST(EngineEmptyRange, LengthZeroLeavesTheBufferAlone) {
  std::mt19937_64 rng(0x5eed0104);
  const Keyed k = random_keyed(rng, 16);
  const AesCTREngine engine(k.key.data(), 16, k.nonce.data(), 8);
  const Bytes original = random_bytes(rng, 32);
  for (std::uint64_t offset : {0ull, 7ull, 0xFFFFFFFFFFFFFFFFull}) {
    Bytes data = original;
    EXPECT_TRUE(engine.crypt(data.data(), offset, 0));
    EXPECT_EQ(engine.encrypt(data.data(), offset, 0), 1);
    EXPECT_EQ(engine.decrypt(data.data(), offset, 0), 1);
    EXPECT_EQ(data, original) << "offset " << offset;
  }
}

TEST(EngineBlockBoundary, Offset15Length2TouchesTwoKeystreamBlocks) {
  std::mt19937_64 rng(0x5eed0105);
  const Keyed k = random_keyed(rng, 32);
  const AesCTREngine engine(k.key.data(), 32, k.nonce.data(), 8);
  unsigned char data[3] = {0, 0, 0x5C};
  ASSERT_EQ(engine.encrypt(data, 15, 2), 1);
  EXPECT_EQ(data[0], keystream_block(k, 0)[15]);
  EXPECT_EQ(data[1], keystream_block(k, 1)[0]);
  EXPECT_EQ(data[2], 0x5C) << "wrote past the range";
}

TEST(EngineWorkedExample, Offset37UsesBlocksTwoAndThree) {
  std::mt19937_64 rng(0x5eed0106);
  const Keyed k = random_keyed(rng, 16);
  const AesCTREngine engine(k.key.data(), 16, k.nonce.data(), 8);
  const Bytes plaintext = random_bytes(rng, 12);
  Bytes data = plaintext;
  ASSERT_EQ(engine.encrypt(data.data(), 37, data.size()), 1);

  const Bytes block2 = keystream_block(k, 2);
  const Bytes block3 = keystream_block(k, 3);
  for (std::size_t i = 0; i < 11; ++i)
    EXPECT_EQ(data[i], plaintext[i] ^ block2[5 + i]) << "byte " << i;
  EXPECT_EQ(data[11], plaintext[11] ^ block3[0]);
}

TEST(EngineConstruction, KeyAndNonceAreCopied) {
  std::mt19937_64 rng(0x5eed0107);
  const Keyed k = random_keyed(rng, 16);
  Bytes key = k.key;
  Bytes nonce = k.nonce;
  const AesCTREngine engine(key.data(), 16, nonce.data(), 8);
  std::fill(key.begin(), key.end(), 0);
  std::fill(nonce.begin(), nonce.end(), 0);

  const Bytes plaintext = random_bytes(rng, 100);
  Bytes data = plaintext;
  ASSERT_EQ(engine.encrypt(data.data(), 21, data.size()), 1);
  EXPECT_EQ(to_hex(data), to_hex(oracle::aes_ctr(k.key, k.nonce, 21, plaintext)));
}

TEST(EngineConstruction, RefusedLengthsLeaveAnEngineThatCannotCipher) {
  std::mt19937_64 rng(0x5eed0108);
  const Bytes key = random_bytes(rng, 64);
  const Bytes nonce = random_bytes(rng, 16);
  const Bytes original = random_bytes(rng, 40);
  struct Lengths {
    int key;
    int nonce;
  };
  const Lengths refused[] = {{0, 8},  {20, 8}, {40, 8}, {15, 8}, {17, 8},
                             {33, 8}, {-16, 8}, {16, 0}, {16, 7}, {24, 9},
                             {32, 16}, {16, -8}};
  for (const Lengths &l : refused) {
    SCOPED_TRACE(testing::Message() << "key " << l.key << " nonce " << l.nonce);
    const AesCTREngine engine(key.data(), l.key, nonce.data(), l.nonce);
    EXPECT_FALSE(engine.has_key_schedule());
    Bytes data = original;
    EXPECT_EQ(engine.encrypt(data.data(), 3, data.size()), 0);
    EXPECT_EQ(engine.decrypt(data.data(), 3, data.size()), 0);
    EXPECT_EQ(data, original);
  }

  const AesCTREngine unkeyed;
  Bytes data = original;
  EXPECT_EQ(unkeyed.encrypt(data.data(), 0, data.size()), 0);
  EXPECT_EQ(unkeyed.decrypt(data.data(), 0, data.size()), 0);
  EXPECT_EQ(data, original);
}

TEST(EngineInvcpy, CopiesInReverseOrder) {
  const unsigned char src[3] = {1, 2, 3};
  unsigned char dst[4] = {0, 0, 0, 0xEE};
  AesCTREngine::invcpy(dst, src, 3);
  EXPECT_EQ(dst[0], 3);
  EXPECT_EQ(dst[1], 2);
  EXPECT_EQ(dst[2], 1);
  EXPECT_EQ(dst[3], 0xEE);

  std::mt19937_64 rng(0x5eed0109);
  const Bytes longer = random_bytes(rng, 33);
  Bytes reversed(33);
  AesCTREngine::invcpy(reversed.data(), longer.data(), 33);
  EXPECT_TRUE(std::equal(reversed.begin(), reversed.end(), longer.rbegin()));
}

TEST(EngineInvcpy, NonPositiveCountCopiesNothing) {
  const unsigned char src[3] = {1, 2, 3};
  for (int n : {0, -1, -100}) {
    unsigned char dst[3] = {9, 9, 9};
    AesCTREngine::invcpy(dst, src, n);
    EXPECT_EQ(dst[0], 9) << n;
    EXPECT_EQ(dst[1], 9) << n;
    EXPECT_EQ(dst[2], 9) << n;
  }
}

TEST(AesCryptCtrNonPositiveLength, WritesNothing) {
  std::mt19937_64 rng(0x5eed010a);
  const Keyed k = random_keyed(rng, 16);
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(k.key), 0);
  const Bytes input = random_bytes(rng, 32);
  for (std::int32_t length : {0, -1, -16, INT32_MIN}) {
    Bytes output(32, 0xA5);
    aes_crypt_ctr(schedule.get(), AES_ENCRYPT, length, k.nonce.data(), 5, input.data(),
                  output.data());
    EXPECT_EQ(output, Bytes(32, 0xA5)) << "length " << length;
  }
}

TEST(AesCryptCtrMatchesEngine, SameKeyNonceAndOffsetGiveTheSameKeystream) {
  std::mt19937_64 rng(0x5eed010b);
  for (std::size_t key_size : {16u, 24u, 32u}) {
    const Keyed k = random_keyed(rng, key_size);
    const AesCTREngine engine(k.key.data(), int(key_size), k.nonce.data(), 8);
    ScopedSchedule schedule;
    ASSERT_EQ(schedule.set_key(k.key), 0);
    for (std::uint64_t offset : {0ull, 3ull, 4096ull + 11, 0x7FFFFFFFFFFFFFF0ull}) {
      const Bytes plaintext = random_bytes(rng, 333);
      Bytes by_engine = plaintext;
      ASSERT_TRUE(engine.crypt(by_engine.data(), offset, by_engine.size()));
      Bytes by_function = plaintext;
      aes_crypt_ctr(schedule.get(), AES_ENCRYPT, int(by_function.size()), k.nonce.data(),
                    std::int64_t(offset), by_function.data(), by_function.data());
      EXPECT_EQ(to_hex(by_function), to_hex(by_engine)) << "key " << key_size << " offset "
                                                        << offset;
    }
  }
}

}  // namespace
