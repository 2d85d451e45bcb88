// The counter-mode keystream of AesCTREngine and aes_crypt_ctr checked
// against OpenSSL's EVP aes-N-ctr at awkward offsets and lengths, and the
// carry out of the index half checked against single ECB blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "AesCTREngine.h"
#include "aes.h"
#include "aes_ctr.h"
#include "scoped_schedule.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

constexpr std::uint64_t kTwo63 = 1ull << 63;
constexpr std::uint64_t kMaxU64 = std::numeric_limits<std::uint64_t>::max();

const std::size_t kKeySizes[] = {16, 24, 32};
const std::uint64_t kLengths[] = {0, 1, 15, 16, 17, 63, 64, 65, 4096, 0x100000, 0x100001};

// Offsets every aes_crypt_ctr caller can pass (a non-negative int64).
std::vector<std::uint64_t> signed_range_offsets(std::mt19937_64 &rng) {
  std::vector<std::uint64_t> offsets = {0, 1, 15, 16, 37, 0x100000 - 3, kTwo63 - 1, kTwo63 - 16,
                                        kTwo63 - 0x100000 - 7};
  for (int k = 0; k < 3; ++k) offsets.push_back(rng() >> 1);
  return offsets;
}

// Offsets only the engine's unsigned interface can reach.
std::vector<std::uint64_t> unsigned_only_offsets(std::mt19937_64 &rng) {
  std::vector<std::uint64_t> offsets = {kTwo63, kTwo63 + 9, kMaxU64 - 15, kMaxU64 - 16 - 5,
                                        kMaxU64};
  offsets.push_back(rng() | kTwo63);
  return offsets;
}

TEST(CtrAgainstEvp, EngineAtAnyOffsetAndLength) {
  std::mt19937_64 rng(0x5eed0001);
  std::vector<std::uint64_t> offsets = signed_range_offsets(rng);
  for (std::uint64_t offset : unsigned_only_offsets(rng)) offsets.push_back(offset);

  for (std::size_t key_size : kKeySizes) {
    for (std::uint64_t offset : offsets) {
      for (std::uint64_t length : kLengths) {
        SCOPED_TRACE(testing::Message() << "key " << key_size << " offset " << offset
                                        << " length " << length);
        const Bytes key = random_bytes(rng, key_size);
        const Bytes nonce = random_bytes(rng, 8);
        const Bytes plaintext = random_bytes(rng, length);
        const Bytes expected = oracle::aes_ctr(key, nonce, offset, plaintext);

        const AesCTREngine engine(key.data(), static_cast<int>(key_size), nonce.data(), 8);
        ASSERT_TRUE(engine.has_key_schedule());

        Bytes data = plaintext;
        ASSERT_TRUE(engine.crypt(data.data(), offset, length));
        ASSERT_TRUE(data == expected) << "crypt";

        data = plaintext;
        ASSERT_EQ(engine.encrypt(data.data(), offset, length), 1);
        ASSERT_TRUE(data == expected) << "encrypt";

        // Deciphering is the same XOR: the ciphertext goes back to plaintext.
        data = expected;
        ASSERT_EQ(engine.decrypt(data.data(), offset, length), 1);
        ASSERT_TRUE(data == plaintext) << "decrypt";
      }
    }
  }
}

TEST(CtrAgainstEvp, AesCryptCtrInPlaceAndOutOfPlace) {
  std::mt19937_64 rng(0x5eed0002);
  for (std::size_t key_size : kKeySizes) {
    for (std::uint64_t offset : signed_range_offsets(rng)) {
      for (std::uint64_t length : kLengths) {
        if (length == 0) continue;  // covered by AesCryptCtrNonPositiveLength
        SCOPED_TRACE(testing::Message() << "key " << key_size << " offset " << offset
                                        << " length " << length);
        const Bytes key = random_bytes(rng, key_size);
        const Bytes nonce = random_bytes(rng, 8);
        const Bytes plaintext = random_bytes(rng, length);
        const Bytes expected = oracle::aes_ctr(key, nonce, offset, plaintext);

        ScopedSchedule schedule;
        ASSERT_EQ(schedule.set_key(key), 0);
        const auto signed_offset = static_cast<std::int64_t>(offset);
        const auto signed_length = static_cast<std::int32_t>(length);

        Bytes out(length);
        aes_crypt_ctr(schedule.get(), AES_ENCRYPT, signed_length, nonce.data(), signed_offset,
                      plaintext.data(), out.data());
        ASSERT_TRUE(out == expected) << "out of place";

        Bytes data = plaintext;
        aes_crypt_ctr(schedule.get(), AES_ENCRYPT, signed_length, nonce.data(), signed_offset,
                      data.data(), data.data());
        ASSERT_TRUE(data == expected) << "in place";
      }
    }
  }
}

// Expected keystream of n blocks starting at a counter whose index half is
// all ones: block 0 is that counter, block k > 0 has the nonce half plus one
// and index k - 1.
Bytes keystream_across_index_carry(const Bytes &key, const Bytes &nonce, std::size_t blocks) {
  std::uint64_t nonce_value = 0;
  for (unsigned char b : nonce) nonce_value = nonce_value << 8 | b;
  Bytes keystream;
  for (std::size_t k = 0; k < blocks; ++k) {
    const std::uint64_t high = k == 0 ? nonce_value : nonce_value + 1;
    const std::uint64_t low = k == 0 ? kMaxU64 : k - 1;
    unsigned char counter[16];
    for (int i = 0; i < 8; ++i) {
      counter[i] = static_cast<unsigned char>(high >> (56 - 8 * i));
      counter[8 + i] = static_cast<unsigned char>(low >> (56 - 8 * i));
    }
    const Bytes block = oracle::aes_block(key, counter);
    keystream.insert(keystream.end(), block.begin(), block.end());
  }
  return keystream;
}

TEST(CtrCounterCarry, IndexOverflowIncrementsTheNonceHalf) {
  std::mt19937_64 rng(0x5eed0003);
  const Bytes nonces[] = {from_hex("0011223344556677"), from_hex("00112233445566ff"),
                          from_hex("fffffffffffffffe"), random_bytes(rng, 8)};
  constexpr std::size_t kBlocks = 5;
  for (std::size_t key_size : kKeySizes) {
    for (const Bytes &nonce : nonces) {
      SCOPED_TRACE(testing::Message() << "key " << key_size << " nonce " << to_hex(nonce));
      const Bytes key = random_bytes(rng, key_size);
      ScopedSchedule schedule;
      ASSERT_EQ(schedule.set_key(key), 0);
      Bytes counter = nonce;
      counter.resize(16, 0xFF);
      const Bytes keystream = keystream_across_index_carry(key, nonce, kBlocks);

      for (unsigned skip : {0u, 7u, 15u}) {
        SCOPED_TRACE(testing::Message() << "skip " << skip);
        const Bytes zeros(kBlocks * 16 - skip, 0);
        Bytes out(zeros.size());
        ASSERT_EQ(aes_ctr_xor(schedule.get(), counter.data(), skip, zeros.data(), out.data(),
                              out.size()),
                  0);
        EXPECT_EQ(to_hex(out), to_hex(keystream.data() + skip, keystream.size() - skip));
      }
    }
  }
}

TEST(CtrCounterCarry, AllOnesCounterWrapsToZero) {
  std::mt19937_64 rng(0x5eed0004);
  const Bytes key = random_bytes(rng, 32);
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(key), 0);
  const Bytes all_ones(16, 0xFF);
  unsigned char zero_counter[16] = {};
  unsigned char one_counter[16] = {};
  one_counter[15] = 1;
  Bytes expected = oracle::aes_block(key, all_ones.data());
  for (const unsigned char *c : {zero_counter, one_counter}) {
    const Bytes block = oracle::aes_block(key, c);
    expected.insert(expected.end(), block.begin(), block.end());
  }

  const Bytes zeros(48, 0);
  Bytes out(48);
  ASSERT_EQ(aes_ctr_xor(schedule.get(), all_ones.data(), 0, zeros.data(), out.data(), 48), 0);
  EXPECT_EQ(to_hex(out), to_hex(expected));
}

}  // namespace
