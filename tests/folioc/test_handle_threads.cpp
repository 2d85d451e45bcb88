// The handle table under concurrent use: opening, ciphering and releasing
// from many threads at once, and releasing a handle that another thread is
// still ciphering through. Expected ciphertexts are computed before any
// thread starts, so the threads only exercise the library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "folioc.h"
#include "support/open_handle.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

// Collects what went wrong in worker threads for the main thread to report.
class FailureLog {
 public:
  void add(const std::string &what) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.size() < 20) entries_.push_back(what);
    ++count_;
  }
  int count() const { return count_; }
  std::string summary() const {
    std::string text;
    for (const auto &entry : entries_) text += entry + "\n";
    return text;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
  int count_ = 0;
};

// Lets every worker start its loop at the same moment.
class StartLine {
 public:
  explicit StartLine(int parties) : waiting_(parties) {}
  void arrive_and_wait() {
    waiting_.fetch_sub(1);
    while (waiting_.load() > 0) std::this_thread::yield();
  }

 private:
  std::atomic<int> waiting_;
};

struct ThreadCase {
  Bytes key;
  unsigned char nonce[8];
  std::uint64_t offset;
  Bytes plain;
  Bytes expected;
};

bool handle_is_open(int handle) { return Foliocrypt(handle, nullptr, 0, 0) == DOC_OK; }

}  // namespace

TEST(HandleTableConcurrency, OpenCipherReleaseFromManyThreads) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 150;
  std::vector<ThreadCase> cases(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    ThreadCase &c = cases[static_cast<std::size_t>(t)];
    c.key =
        random_bytes(static_cast<std::size_t>(16 + 8 * (t % 3)), 100u + static_cast<unsigned>(t));
    for (int i = 0; i < 8; ++i) c.nonce[i] = static_cast<unsigned char>(t * 16 + i);
    c.offset = static_cast<std::uint64_t>(t) * 1000 + 3;
    c.plain = random_bytes(512, 200u + static_cast<unsigned>(t));
    c.expected = oracle::aes_ctr(c.key, c.nonce, c.offset, c.plain);
  }

  std::mutex numbers_mutex;
  std::set<int> numbers_in_use;
  FailureLog failures;
  StartLine start(kThreads);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      const ThreadCase &c = cases[static_cast<std::size_t>(t)];
      start.arrive_and_wait();
      for (int round = 0; round < kRounds; ++round) {
        const int handle = FoliocInit(c.key.data(), static_cast<int>(c.key.size()), c.nonce);
        if (handle < 1) {
          failures.add("FoliocInit returned " + std::to_string(handle));
          continue;
        }
        {
          std::lock_guard<std::mutex> lock(numbers_mutex);
          if (!numbers_in_use.insert(handle).second)
            failures.add("handle " + std::to_string(handle) + " handed out twice");
        }
        Bytes data(c.plain);
        if (Foliocrypt(handle, data.data(), data.size(), c.offset) != DOC_OK)
          failures.add("Foliocrypt failed on open handle " + std::to_string(handle));
        else if (data != c.expected)
          failures.add("wrong ciphertext through handle " + std::to_string(handle));
        {
          // Forgotten before the release: once released, another thread may
          // rightly be given the same number.
          std::lock_guard<std::mutex> lock(numbers_mutex);
          numbers_in_use.erase(handle);
        }
        if (FoliocClean(handle) != DOC_OK)
          failures.add("FoliocClean failed for handle " + std::to_string(handle));
      }
    });
  }
  for (auto &worker : workers) worker.join();

  EXPECT_EQ(failures.count(), 0) << failures.summary();
  for (int handle = 1; handle <= kThreads * 2; ++handle)
    EXPECT_FALSE(handle_is_open(handle)) << "handle " << handle << " left open";
}

TEST(HandleTableConcurrency, ManyThreadsCipherThroughOneHandle) {
  // More threads than the engine keeps ready-made cipher contexts for.
  constexpr int kThreads = 12;
  constexpr int kRepeats = 40;
  const Bytes key = random_bytes(32, 300);
  const unsigned char nonce[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  OpenHandle handle(key, nonce);
  ASSERT_GE(handle.get(), 1);

  std::vector<ThreadCase> cases(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    ThreadCase &c = cases[static_cast<std::size_t>(t)];
    c.offset = static_cast<std::uint64_t>(t) * 70001;
    c.plain = random_bytes(20000 + static_cast<std::size_t>(t), 400u + static_cast<unsigned>(t));
    c.expected = oracle::aes_ctr(key, nonce, c.offset, c.plain);
  }
  FailureLog failures;
  StartLine start(kThreads);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      const ThreadCase &c = cases[static_cast<std::size_t>(t)];
      start.arrive_and_wait();
      for (int repeat = 0; repeat < kRepeats; ++repeat) {
        Bytes data(c.plain);
        if (Foliocrypt(handle.get(), data.data(), data.size(), c.offset) != DOC_OK)
          failures.add("Foliocrypt failed in thread " + std::to_string(t));
        else if (data != c.expected)
          failures.add("wrong ciphertext in thread " + std::to_string(t));
      }
    });
  }
  for (auto &worker : workers) worker.join();
  EXPECT_EQ(failures.count(), 0) << failures.summary();
}

TEST(HandleTableConcurrency, ReleaseWhileAnotherThreadCiphersIsSafe) {
  const Bytes key = random_bytes(32, 500);
  const unsigned char nonce[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  const Bytes zeros(4 << 20, 0);
  const Bytes keystream = oracle::aes_ctr(key, nonce, 0, zeros);

  for (int attempt = 0; attempt < 4; ++attempt) {
    const int handle = FoliocInit(key.data(), static_cast<int>(key.size()), nonce);
    ASSERT_GE(handle, 1);
    Bytes buffer(zeros);
    std::atomic<bool> ciphered_once{false};
    long successes = 0;
    int last_result = DOC_OK;
    std::thread worker([&] {
      for (;;) {
        last_result = Foliocrypt(handle, buffer.data(), buffer.size(), 0);
        if (last_result != DOC_OK) break;
        ++successes;
        ciphered_once.store(true);
      }
    });
    while (!ciphered_once.load()) std::this_thread::yield();
    EXPECT_EQ(FoliocClean(handle), DOC_OK);
    worker.join();

    EXPECT_EQ(last_result, DOC_ERR_FAIL);
    // Each successful call XORs the whole keystream in; a refused call must
    // leave the buffer alone, and none may stop halfway.
    const Bytes &expected = successes % 2 ? keystream : zeros;
    EXPECT_TRUE(buffer == expected) << "after " << successes << " whole passes";
    const Bytes before(buffer);
    EXPECT_EQ(Foliocrypt(handle, buffer.data(), buffer.size(), 0), DOC_ERR_FAIL);
    EXPECT_TRUE(buffer == before);
  }
}
