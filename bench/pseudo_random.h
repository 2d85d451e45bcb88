// Fast reproducible filler bytes and offsets (splitmix64). Benchmark inputs
// only need to be incompressible and the same for ours and the peer, not
// secret, and the operating system's source would dominate generating a
// gigabyte.
#ifndef FOLIO_BENCH_PSEUDO_RANDOM_H
#define FOLIO_BENCH_PSEUDO_RANDOM_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace folio_bench {

class PseudoRandom {
 public:
  explicit PseudoRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }

  void fill(unsigned char *out, std::size_t length) {
    while (length >= 8) {
      const std::uint64_t word = next();
      std::memcpy(out, &word, 8);
      out += 8;
      length -= 8;
    }
    if (length) {
      const std::uint64_t word = next();
      std::memcpy(out, &word, length);
    }
  }

 private:
  std::uint64_t state_;
};

}  // namespace folio_bench

#endif
