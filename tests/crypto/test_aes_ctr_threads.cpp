// One engine, and one key schedule through aes_crypt_ctr, serving sixteen
// threads at once. The schedule keeps eight reusable cipher contexts, so
// sixteen callers also exercise the path that works without a pooled one.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "AesCTREngine.h"
#include "aes.h"
#include "aes_ctr.h"
#include "scoped_schedule.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

constexpr int kThreads = 16;
constexpr int kRounds = 101;  // odd: see run_concurrently
constexpr std::size_t kRegionBytes = 0x40000;
constexpr std::size_t kMaxPiece = 0x10000;

struct Region {
  std::uint64_t offset;
  Bytes plaintext;
  Bytes expected;  // ciphered by the same primitive on one thread
};

// ciphers data in place over stream positions offset .. offset + length - 1
using Cipher = std::function<bool(unsigned char *data, std::uint64_t offset, std::size_t length)>;

std::vector<Region> make_regions(std::mt19937_64 &rng) {
  std::vector<Region> regions;
  for (int t = 0; t < kThreads; ++t) {
    // Disjoint ranges, none block aligned, of differing lengths.
    const std::uint64_t offset = std::uint64_t(t) * 2 * kRegionBytes + 7 * std::uint64_t(t) + 3;
    regions.push_back({offset, random_bytes(rng, kRegionBytes + 13 * std::size_t(t)), {}});
  }
  return regions;
}

// Every thread ciphers its region in place kRounds times, in pieces of
// varying size, so the threads keep borrowing and returning cipher contexts
// while the others do the same; threads preempted mid-call keep theirs,
// which pushes the rest past the pooled contexts. kRounds is odd, so the
// region must end up equal to the single-thread ciphertext; a wrong
// keystream in any round would survive the rounds after it. Returns, per
// thread, whether it got there.
std::vector<bool> run_concurrently(const std::vector<Region> &regions, const Cipher &cipher) {
  std::vector<char> ok(kThreads, 0);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const Region &region = regions[std::size_t(t)];
      std::mt19937_64 piece_rng(std::uint64_t(t) + 1);
      Bytes data = region.plaintext;
      bool calls_ok = true;
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t done = 0; done < data.size();) {
          const std::size_t piece =
              std::min<std::size_t>(1 + piece_rng() % kMaxPiece, data.size() - done);
          calls_ok = cipher(data.data() + done, region.offset + done, piece) && calls_ok;
          done += piece;
        }
      }
      ok[std::size_t(t)] = calls_ok && data == region.expected;
    });
  }
  for (std::thread &thread : threads) thread.join();
  return std::vector<bool>(ok.begin(), ok.end());
}

void expect_single_thread_result(std::vector<Region> &regions, const Cipher &cipher) {
  for (Region &region : regions) {
    region.expected = region.plaintext;
    ASSERT_TRUE(cipher(region.expected.data(), region.offset, region.expected.size()));
    ASSERT_NE(region.expected, region.plaintext);
  }
  const std::vector<bool> ok = run_concurrently(regions, cipher);
  for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(ok[std::size_t(t)]) << "thread " << t;
}

TEST(CtrConcurrentUse, OneEngineSharedBySixteenThreads) {
  std::mt19937_64 rng(0x5eed0201);
  const Bytes key = random_bytes(rng, 32);
  const Bytes nonce = random_bytes(rng, 8);
  const AesCTREngine engine(key.data(), 32, nonce.data(), 8);
  ASSERT_TRUE(engine.has_key_schedule());
  std::vector<Region> regions = make_regions(rng);
  expect_single_thread_result(regions, [&](unsigned char *data, std::uint64_t offset,
                                           std::size_t length) {
    return engine.encrypt(data, offset, length) == 1;
  });
}

TEST(CtrConcurrentUse, OneScheduleSharedBySixteenThreadsThroughAesCryptCtr) {
  std::mt19937_64 rng(0x5eed0202);
  const Bytes key = random_bytes(rng, 16);
  const Bytes nonce = random_bytes(rng, 8);
  ScopedSchedule schedule;
  ASSERT_EQ(schedule.set_key(key), 0);
  const aes_key_schedule *shared = schedule.get();
  std::vector<Region> regions = make_regions(rng);
  expect_single_thread_result(regions, [&](unsigned char *data, std::uint64_t offset,
                                           std::size_t length) {
    aes_crypt_ctr(shared, AES_ENCRYPT, static_cast<std::int32_t>(length), nonce.data(),
                  static_cast<std::int64_t>(offset), data, data);
    return true;
  });
}

}  // namespace
