// Files for tests: a private directory removed with its contents, whole-file
// reads and writes, and reproducible test data.
#ifndef FOLIOC_TESTS_SCRATCH_DIR_H
#define FOLIOC_TESTS_SCRATCH_DIR_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace folioc_test {

using Bytes = std::vector<unsigned char>;

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  const std::string &root() const { return root_; }
  // The path of `name` inside the directory (nothing is created).
  std::string path(const std::string &name) const { return root_ + "/" + name; }

 private:
  std::string root_;
};

bool file_exists(const std::string &path);
// The whole file; throws std::runtime_error when it cannot be opened.
Bytes read_file(const std::string &path);
void write_file(const std::string &path, const Bytes &bytes);

// Bytes that look random but are the same for the same seed, so failures
// reproduce; different seeds give unrelated contents.
Bytes pattern_bytes(std::size_t size, std::uint32_t seed);

Bytes slice(const Bytes &bytes, std::size_t from, std::size_t length);
Bytes concat(const Bytes &a, const Bytes &b);

}  // namespace folioc_test

#endif
