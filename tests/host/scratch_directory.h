// A fresh directory per test, removed with everything in it afterwards.
#ifndef FOLIO_TESTS_HOST_SCRATCH_DIRECTORY_H
#define FOLIO_TESTS_HOST_SCRATCH_DIRECTORY_H

#include <sys/types.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace host_test {

using Bytes = std::vector<unsigned char>;

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory &) = delete;
  ScratchDirectory &operator=(const ScratchDirectory &) = delete;

  const std::string &path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + "/" + name; }

  // Every name in the directory, hidden ones included.
  std::set<std::string> names() const;

  std::string make_directory(const std::string &name, mode_t mode);

 private:
  std::string path_;
};

void write_file(const std::string &path, const Bytes &bytes);
void write_text(const std::string &path, const std::string &text);
Bytes read_file(const std::string &path);
std::string read_text(const std::string &path);
// A file of size bytes that reads as zeros and takes no disk space.
void make_sparse_file(const std::string &path, std::uint64_t size);
bool file_exists(const std::string &path);
mode_t file_mode(const std::string &path);

// Reproducible pseudo-random bytes.
Bytes random_bytes(std::size_t size, std::uint64_t seed);

}  // namespace host_test

#endif
