// Published AES answers: single blocks (FIPS-197 appendix C) and the
// counter-mode examples of NIST SP 800-38A (F.5.1, F.5.3, F.5.5).
#include <gtest/gtest.h>

#include <cstring>

#include "aes.h"
#include "counter_block.h"
#include "scoped_schedule.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

struct BlockVector {
  const char *key;
  const char *plaintext;
  const char *ciphertext;
};

const BlockVector kFips197[] = {
    {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
     "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
};

struct CtrVector {
  const char *key;
  const char *ciphertext;  // four blocks
};

const char kCtrInitialCounter[] = "f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff";
const char kCtrPlaintext[] =
    "6bc1bee22e409f96e93d7e117393172a"
    "ae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52ef"
    "f69f2445df4f9b17ad2b417be66c3710";

const CtrVector kSp800_38a[] = {
    {"2b7e151628aed2a6abf7158809cf4f3c",
     "874d6191b620e3261bef6864990db6ce"
     "9806f66b7970fdff8617187bb9fffdff"
     "5ae4df3edbd5d35e5b4f09020db03eab"
     "1e031dda2fbe03d1792170a0f3009cee"},
    {"8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b",
     "1abc932417521ca24f2b0459fe7e6e0b"
     "090339ec0aa6faefd5ccc2c6f4ce8e94"
     "1e36b26bd1ebc670d1bd1d665620abf7"
     "4f78a7f6d29809585a97daec58c6b050"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
     "601ec313775789a5b7a7f504bbf3d228"
     "f443e3ca4d62b59aca84e990cacaf5c5"
     "2b0930daa23de94ce87017ba2d84988d"
     "dfc9c58db67aada613c2dd08457941a6"},
};

TEST(AesBlockKnownAnswer, Fips197AppendixC) {
  for (const BlockVector &v : kFips197) {
    SCOPED_TRACE(v.key);
    ScopedSchedule schedule;
    ASSERT_EQ(schedule.set_key(from_hex(v.key)), 0);
    const Bytes plaintext = from_hex(v.plaintext);
    unsigned char out[16] = {};
    ASSERT_EQ(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, plaintext.data(), out), 0);
    EXPECT_EQ(to_hex(out, 16), v.ciphertext);

    // The layer promises that input and output may coincide.
    unsigned char block[16];
    std::memcpy(block, plaintext.data(), 16);
    ASSERT_EQ(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, block, block), 0);
    EXPECT_EQ(to_hex(block, 16), v.ciphertext);
  }
}

TEST(AesBlockKnownAnswer, SameScheduleGivesSameAnswerOnRepeatedUse) {
  // The schedule lends out reusable cipher contexts; a context must carry
  // nothing from one call to the next.
  const BlockVector &v = kFips197[0];
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(from_hex(v.key)), 0);
  const Bytes plaintext = from_hex(v.plaintext);
  for (int round = 0; round < 5; ++round) {
    unsigned char out[16] = {};
    ASSERT_EQ(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, plaintext.data(), out), 0);
    EXPECT_EQ(to_hex(out, 16), v.ciphertext) << "round " << round;
  }
}

TEST(AesKeySchedule, RekeyingReplacesTheKey) {
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(from_hex(kFips197[2].key)), 0);
  ASSERT_EQ(schedule.set_key(from_hex(kFips197[0].key)), 0);
  const Bytes plaintext = from_hex(kFips197[0].plaintext);
  unsigned char out[16] = {};
  ASSERT_EQ(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, plaintext.data(), out), 0);
  EXPECT_EQ(to_hex(out, 16), kFips197[0].ciphertext);
}

TEST(AesKeySchedule, RefusesKeySizesOtherThan128_192_256) {
  const Bytes key(64, 0x5A);
  for (unsigned bits : {0u, 8u, 64u, 127u, 129u, 160u, 191u, 255u, 257u, 320u, 512u}) {
    SCOPED_TRACE(bits);
    ScopedSchedule schedule;
    EXPECT_EQ(aes_setkey_enc(schedule.get(), key.data(), bits), AES_ERR_KEY_LENGTH);
    unsigned char block[16] = {};
    unsigned char out[16];
    std::memset(out, 0xA5, sizeof out);
    EXPECT_NE(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, block, out), 0);
    for (unsigned char b : out) ASSERT_EQ(b, 0xA5) << "unbuilt schedule wrote output";
  }
}

TEST(AesKeySchedule, RefusedRekeyLeavesNoUsableSchedule) {
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(from_hex(kFips197[0].key)), 0);
  const Bytes bad_key(20, 1);
  EXPECT_EQ(aes_setkey_enc(schedule.get(), bad_key.data(), 160), AES_ERR_KEY_LENGTH);
  unsigned char block[16] = {};
  EXPECT_NE(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, block, block), 0);
}

TEST(AesKeySchedule, OnlyTheEncryptDirectionIsOffered) {
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(from_hex(kFips197[0].key)), 0);
  unsigned char block[16] = {};
  EXPECT_EQ(aes_crypt_ecb(schedule.get(), 0, block, block), AES_ERR_MODE);
}

// The initial counter's index half is above 2^60, which no 64-bit stream
// offset produces, so the vectors are driven through the counter block
// directly.
TEST(CtrKnownAnswer, Sp800_38aThroughBlockCipherAndIncrement) {
  const Bytes plaintext = from_hex(kCtrPlaintext);
  for (const CtrVector &v : kSp800_38a) {
    SCOPED_TRACE(v.key);
    ScopedSchedule schedule;
    ASSERT_EQ(schedule.set_key(from_hex(v.key)), 0);
    Bytes counter = from_hex(kCtrInitialCounter);
    Bytes ciphertext(plaintext.size());
    for (std::size_t block = 0; block < 4; ++block) {
      unsigned char keystream[16];
      ASSERT_EQ(aes_crypt_ecb(schedule.get(), AES_ENCRYPT, counter.data(), keystream), 0);
      for (std::size_t j = 0; j < 16; ++j)
        ciphertext[16 * block + j] = plaintext[16 * block + j] ^ keystream[j];
      increasecounter(counter.data());
    }
    EXPECT_EQ(to_hex(ciphertext), v.ciphertext);
  }
}

TEST(CtrKnownAnswer, Sp800_38aThroughBulkPrimitive) {
  const Bytes plaintext = from_hex(kCtrPlaintext);
  const Bytes initial = from_hex(kCtrInitialCounter);
  for (const CtrVector &v : kSp800_38a) {
    SCOPED_TRACE(v.key);
    ScopedSchedule schedule;
    ASSERT_EQ(schedule.set_key(from_hex(v.key)), 0);
    const Bytes expected = from_hex(v.ciphertext);

    Bytes out(plaintext.size());
    ASSERT_EQ(aes_ctr_xor(schedule.get(), initial.data(), 0, plaintext.data(), out.data(),
                          out.size()),
              0);
    EXPECT_EQ(to_hex(out), v.ciphertext) << "out of place";

    Bytes in_place = plaintext;
    ASSERT_EQ(aes_ctr_xor(schedule.get(), initial.data(), 0, in_place.data(), in_place.data(),
                          in_place.size()),
              0);
    EXPECT_EQ(to_hex(in_place), v.ciphertext) << "in place";

    // Entered in the middle of the first block: byte 5 onwards.
    Bytes tail(plaintext.size() - 5);
    ASSERT_EQ(aes_ctr_xor(schedule.get(), initial.data(), 5, plaintext.data() + 5, tail.data(),
                          tail.size()),
              0);
    EXPECT_EQ(to_hex(tail), to_hex(expected.data() + 5, expected.size() - 5)) << "skip 5";

    // Started at the third block, ending inside the fourth.
    Bytes third = initial;
    increasecounter(third.data());
    increasecounter(third.data());
    Bytes middle(20);
    ASSERT_EQ(aes_ctr_xor(schedule.get(), third.data(), 0, plaintext.data() + 32, middle.data(),
                          middle.size()),
              0);
    EXPECT_EQ(to_hex(middle), to_hex(expected.data() + 32, 20)) << "from block 3";
  }
}

TEST(CtrBulkPrimitive, RefusesUnbuiltScheduleAndOversizedSkip) {
  const Bytes counter(16, 0);
  const Bytes input(32, 0x11);
  Bytes output(32, 0xA5);

  ScopedSchedule unbuilt;
  EXPECT_EQ(aes_ctr_xor(unbuilt.get(), counter.data(), 0, input.data(), output.data(), 32),
            AES_ERR_NOT_READY);
  EXPECT_EQ(output, Bytes(32, 0xA5));

  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(from_hex(kFips197[0].key)), 0);
  EXPECT_EQ(aes_ctr_xor(schedule.get(), counter.data(), 16, input.data(), output.data(), 32),
            AES_ERR_NOT_READY);
  EXPECT_EQ(output, Bytes(32, 0xA5));
}

}  // namespace
