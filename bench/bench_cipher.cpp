// Cipher throughput of Foliocrypt against OpenSSL's EVP aes-256-ctr, on the
// same buffers in the same thread:
//   - whole 1 MiB buffers, the chunk size of the file pass, where the
//     per-call set-up should vanish next to the keystream work;
//   - 4 KiB ranges at random byte offsets in a 1 GiB stream, the viewer's
//     access pattern, where the per-call set-up (handle look-up, counter
//     block, skip into the first block) is a visible share of the cost.
// The peer does everything a call of ours has to do and nothing more: one
// context keyed up front, then per call a new IV (the counter block of the
// call's first byte) and, inside a block, a skip of offset % 16 bytes.
//
// Exit status: 0 with every goal reported, met or MISSED; 1 when the run
// itself failed (a refused key, a failed call, or ciphertext that differs
// between the two sides, which would make the comparison meaningless).
#include <openssl/evp.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "folioc.h"
#include "pseudo_random.h"
#include "ratio_report.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kChunkBytes = kMiB;
constexpr std::size_t kChunkCount = 64;  // 64 MiB a round: well past the caches, as files are
constexpr std::size_t kRangeBytes = 4096;
constexpr std::size_t kRangeCount = 8192;
constexpr std::size_t kRangeSlots = 256;  // 1 MiB of landing buffers, cycled
constexpr std::uint64_t kStreamBytes = std::uint64_t{1} << 30;
constexpr int kRounds = 31;

constexpr int kKeyBytes = 32;
constexpr int kCounterBytes = 16;

struct Work {
  unsigned char *data;
  std::size_t length;
  std::uint64_t offset;
};

// OpenSSL's counter mode driven the way a careful caller would drive it.
class EvpCtr {
 public:
  EvpCtr(const unsigned char key[kKeyBytes], const unsigned char nonce[FOLIOC_NONCE_BYTES])
      : cipher_(EVP_CIPHER_fetch(nullptr, "AES-256-CTR", nullptr)), context_(EVP_CIPHER_CTX_new()) {
    std::memcpy(nonce_, nonce, FOLIOC_NONCE_BYTES);
    ready_ = cipher_ && context_ &&
             EVP_EncryptInit_ex2(context_, cipher_, key, nullptr, nullptr) == 1;
  }
  ~EvpCtr() {
    EVP_CIPHER_CTX_free(context_);
    EVP_CIPHER_free(cipher_);
  }
  EvpCtr(const EvpCtr &) = delete;
  EvpCtr &operator=(const EvpCtr &) = delete;

  bool ready() const { return ready_; }

  bool crypt(const Work &work) {
    // The counter block of the protected stream: nonce, then the block
    // index big-endian.
    unsigned char counter[kCounterBytes];
    std::memcpy(counter, nonce_, FOLIOC_NONCE_BYTES);
    std::uint64_t index = work.offset / 16;
    for (int i = kCounterBytes - 1; i >= FOLIOC_NONCE_BYTES; --i, index >>= 8)
      counter[i] = static_cast<unsigned char>(index);
    if (EVP_EncryptInit_ex2(context_, nullptr, nullptr, counter, nullptr) != 1) return false;

    int produced = 0;
    if (const int skip = static_cast<int>(work.offset % 16)) {
      unsigned char discard[16];
      if (EVP_EncryptUpdate(context_, discard, &produced, discard, skip) != 1) return false;
    }
    return EVP_EncryptUpdate(context_, work.data, &produced, work.data,
                             static_cast<int>(work.length)) == 1;
  }

 private:
  EVP_CIPHER *cipher_;
  EVP_CIPHER_CTX *context_;
  unsigned char nonce_[FOLIOC_NONCE_BYTES];
  bool ready_ = false;
};

class Foliocrypter {
 public:
  Foliocrypter(const unsigned char key[kKeyBytes], const unsigned char nonce[FOLIOC_NONCE_BYTES])
      : handle_(FoliocInit(key, kKeyBytes, nonce)) {}
  ~Foliocrypter() {
    if (ready()) (void)FoliocClean(handle_);
  }
  Foliocrypter(const Foliocrypter &) = delete;
  Foliocrypter &operator=(const Foliocrypter &) = delete;

  bool ready() const { return handle_ > 0; }
  bool crypt(const Work &work) {
    return Foliocrypt(handle_, work.data, work.length, work.offset) == DOC_OK;
  }

 private:
  int handle_;
};

// Seconds for one pass over the list; negative when a call failed.
template <class Cipher>
double timed_pass(Cipher &cipher, const std::vector<Work> &list) {
  const double start = folio_bench::monotonic_seconds();
  for (const Work &work : list)
    if (!cipher.crypt(work)) return -1.0;
  return folio_bench::monotonic_seconds() - start;
}

// The list moved onto a copy of its buffers, so both sides can cipher the
// same input separately.
std::vector<Work> rebased(const std::vector<Work> &list, const unsigned char *from,
                          unsigned char *to) {
  std::vector<Work> moved = list;
  for (Work &work : moved) work.data = to + (work.data - from);
  return moved;
}

// Both sides cipher copies of the arena; their outputs must be identical,
// and different from the input.
bool same_ciphertext(Foliocrypter &ours, EvpCtr &peer, const std::vector<Work> &list,
                     const unsigned char *arena, std::size_t arena_bytes) {
  std::vector<unsigned char> by_ours(arena, arena + arena_bytes);
  std::vector<unsigned char> by_peer(arena, arena + arena_bytes);
  // Ranges may share a landing buffer; ciphering a copy in list order keeps
  // both sides' inputs equal call by call.
  if (timed_pass(ours, rebased(list, arena, by_ours.data())) < 0) return false;
  if (timed_pass(peer, rebased(list, arena, by_peer.data())) < 0) return false;
  return by_ours == by_peer && std::memcmp(by_ours.data(), arena, arena_bytes) != 0;
}

struct Throughputs {
  Samples ours;  // MiB/s
  Samples peer;
  bool ok = true;
};

// Interleaved rounds, alternating which side goes first, so drift in the
// machine's speed (other tenants, frequency) lands on both alike.
Throughputs measure(Foliocrypter &ours, EvpCtr &peer, const std::vector<Work> &list) {
  std::uint64_t bytes = 0;
  for (const Work &work : list) bytes += work.length;
  const double mebibytes = static_cast<double>(bytes) / kMiB;

  Throughputs result;
  for (int round = 0; round < kRounds && result.ok; ++round) {
    double ours_seconds, peer_seconds;
    if (round % 2 == 0) {
      ours_seconds = timed_pass(ours, list);
      peer_seconds = timed_pass(peer, list);
    } else {
      peer_seconds = timed_pass(peer, list);
      ours_seconds = timed_pass(ours, list);
    }
    result.ok = ours_seconds > 0 && peer_seconds > 0;
    result.ours.add(mebibytes / ours_seconds);
    result.peer.add(mebibytes / peer_seconds);
  }
  return result;
}

// Runs one workload and reports it; false when the run itself failed.
bool compare(RatioReport &report, const char *title, const char *peer_label, Goal goal,
             Foliocrypter &ours, EvpCtr &peer, const std::vector<Work> &list,
             unsigned char *arena, std::size_t arena_bytes) {
  if (!same_ciphertext(ours, peer, list, arena, arena_bytes)) {
    std::fprintf(stderr, "%s: Foliocrypt and EVP disagree (or a call failed)\n", title);
    return false;
  }
  const Throughputs measured = measure(ours, peer, list);
  if (!measured.ok) {
    std::fprintf(stderr, "%s: a cipher call failed while timing\n", title);
    return false;
  }
  report.ratio(title, Figure::of("Foliocrypt", measured.ours, "MiB/s", 1),
               Figure::of(peer_label, measured.peer, "MiB/s", 1), goal);

  // Median throughput turned back into the time of one call.
  const double call_mib = static_cast<double>(list.front().length) / kMiB;
  char per_call[128];
  std::snprintf(per_call, sizeof per_call,
                "per call: ours %.2f us, peer %.2f us; outputs identical",
                1e6 * call_mib / measured.ours.median(), 1e6 * call_mib / measured.peer.median());
  RatioReport::note(per_call);
  return true;
}

}  // namespace

int main() {
  folio_bench::PseudoRandom random(0x5eedf011c0ffeeULL);
  unsigned char key[kKeyBytes];
  unsigned char nonce[FOLIOC_NONCE_BYTES];
  random.fill(key, sizeof key);
  random.fill(nonce, sizeof nonce);

  Foliocrypter ours(key, nonce);
  EvpCtr peer(key, nonce);
  if (!ours.ready() || !peer.ready()) {
    std::fprintf(stderr, "bench_cipher: could not key %s\n", ours.ready() ? "EVP" : "Foliocrypt");
    return 1;
  }

  RatioReport report;
  RatioReport::section("Cipher throughput, single thread, AES-256-CTR, in place");

  const std::size_t chunk_arena_bytes = kChunkBytes * kChunkCount;
  std::unique_ptr<unsigned char[]> chunk_arena(new unsigned char[chunk_arena_bytes]);
  random.fill(chunk_arena.get(), chunk_arena_bytes);
  std::vector<Work> chunks;
  for (std::size_t i = 0; i < kChunkCount; ++i)
    chunks.push_back(Work{chunk_arena.get() + i * kChunkBytes, kChunkBytes, i * kChunkBytes});

  const std::size_t range_arena_bytes = kRangeBytes * kRangeSlots;
  std::unique_ptr<unsigned char[]> range_arena(new unsigned char[range_arena_bytes]);
  random.fill(range_arena.get(), range_arena_bytes);
  std::vector<Work> ranges;
  std::size_t unaligned = 0;
  for (std::size_t i = 0; i < kRangeCount; ++i) {
    const std::uint64_t offset = random.next() % (kStreamBytes - kRangeBytes + 1);
    unaligned += offset % 16 != 0;
    unsigned char *slot = range_arena.get() + (i % kRangeSlots) * kRangeBytes;
    ranges.push_back(Work{slot, kRangeBytes, offset});
  }

  if (!compare(report, "1 MiB buffers (64 MiB a round, re-IV per buffer)",
               "EVP aes-256-ctr, pre-keyed", Goal{Goal::at_least, 0.9}, ours, peer, chunks,
               chunk_arena.get(), chunk_arena_bytes))
    return 1;
  if (!compare(report, "4 KiB ranges at random offsets in a 1 GiB stream",
               "EVP aes-256-ctr, re-IV + skip", Goal{Goal::at_least, 0.5}, ours, peer, ranges,
               range_arena.get(), range_arena_bytes))
    return 1;
  RatioReport::note(std::to_string(kRangeCount) + " ranges a round, " + std::to_string(unaligned) +
                    " of them not on a 16-byte boundary");

  report.summary("bench_cipher");
  return 0;
}
