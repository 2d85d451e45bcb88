// FileDecrypt's header path and DocGetHeader on arbitrary files: whatever
// the length of the file and of the header asked for, the header buffer is
// filled only within its length and the rest deciphers to the right size.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "folioc.h"

namespace {

// The input as a file with a path, kept in memory.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t *data, std::size_t size) : fd_(memfd_create("fuzz-input", 0)) {
    if (fd_ < 0 || (size && write(fd_, data, size) != static_cast<ssize_t>(size))) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  const char *path() const { return path_.c_str(); }

 private:
  int fd_;
  std::string path_;
};

const int kHandle = [] {
  static const unsigned char key[32] = {1, 2, 3};
  static const unsigned char nonce[8] = {9, 8, 7};
  return FoliocInit(key, sizeof key, nonce);
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2 || size > 1 << 20) return 0;
  const int header_length = 1 + (data[0] | data[1] << 8) % 2048;
  const MemoryFile file(data + 2, size - 2);
  const std::size_t file_size = size - 2;

  std::vector<unsigned char> header(static_cast<std::size_t>(header_length));
  const int with_header = FileDecrypt(kHandle, file.path(), "/dev/null", header.data(), header_length);
  if ((file_size == 0) != (with_header == DOC_ERR_READ)) std::abort();
  if (file_size > 0 && with_header != DOC_OK) std::abort();

  // Skipping a header needs a file at least as long as the header.
  const int skipped = FileDecrypt(kHandle, file.path(), "/dev/null", nullptr, header_length);
  if (skipped != (file_size >= static_cast<std::size_t>(header_length) ? DOC_OK : DOC_ERR_SEEK))
    std::abort();

  unsigned char first[FOLIOC_HEADER_BYTES];
  int capacity = sizeof first;
  const int got = DocGetHeader(file.path(), first, &capacity);
  if (file_size == 0 ? got != DOC_ERR_READ
                     : got != DOC_OK || capacity != static_cast<int>(file_size < 512 ? file_size : 512))
    std::abort();
  return 0;
}
