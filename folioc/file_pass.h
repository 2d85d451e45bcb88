// The chunked file pass shared by the whole-file exports: a source streamed
// through one 1 MiB buffer, each chunk ciphered in place and written out.
//
// Stream offsets follow the stored-file convention: a running byte count
// kept as a signed 32-bit integer and sign-extended to 64 bits. Below 2 GiB
// that is the true position; from 2 GiB on it is not, but files already
// protected depend on it, so it never changes.
#ifndef FOLIOC_FILE_PASS_H
#define FOLIOC_FILE_PASS_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "md5.h"

namespace folioc {

constexpr std::size_t kChunkBytes = 0x100000;

// The stream offset of the chunk that follows `count` bytes.
constexpr std::uint64_t pass_offset(std::uint32_t count) {
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(count)));
}

// Opens a source ("rb") and a destination ("wb") the library's way: both
// opens are attempted before either is checked, so the destination is
// created or truncated even when the source cannot be opened. A
// destination that is the source itself (under any name) is refused before
// anything is opened: truncating it would destroy the input. Whatever is
// open is closed on destruction.
class FilePair {
 public:
  FilePair(const char *source_path, const char *destination_path);
  ~FilePair();
  FilePair(const FilePair &) = delete;
  FilePair &operator=(const FilePair &) = delete;

  // True when nothing was opened because both paths name one file.
  bool same_file() const { return same_file_; }
  bool ok() const { return source_ && destination_; }
  std::FILE *source() const { return source_; }
  std::FILE *destination() const { return destination_; }
  // Closes the destination; false when its last bytes could not be written.
  bool close_destination();

 private:
  bool same_file_;
  std::FILE *source_;
  std::FILE *destination_;
};

// DOC_ERR_SAME_FILE or DOC_ERR_OPEN when the pair is not open, else DOC_OK.
int open_code(const FilePair &files);

// The zero-filled 1 MiB working buffer; empty when it cannot be allocated.
std::unique_ptr<unsigned char[]> make_chunk_buffer();

enum class PassStatus { completed, cipher_failed, read_failed, write_failed };

struct PassResult {
  PassStatus status;
  std::uint64_t bytes;   // plaintext bytes passed through, as a true 64-bit count
  std::uint64_t chunks;  // chunks ciphered
};

// Ciphers a chunk in place at a stream offset; false when the cipher
// handle is not open.
using ChunkCipher = std::function<bool(unsigned char *chunk, std::size_t length, std::uint64_t offset)>;

// Runs the pass from the source's current position to its end. Each
// ciphered chunk goes to digest (if given) before it is written. A regular
// file of more than one chunk is ciphered on a second thread while this
// one reads and writes (with a second 1 MiB buffer): the results are the
// same, chunk for chunk. cipher must be safe to call from another thread.
// start_count is the running count before the first chunk: 0 for every
// export; tests set it to reach the 2 GiB and 4 GiB turns of the offset
// convention without gigabytes of input.
PassResult run_pass(std::FILE *source, std::FILE *destination, unsigned char *buffer,
                    const ChunkCipher &cipher, MD5_CTX *digest = nullptr,
                    std::uint32_t start_count = 0);

// A ChunkCipher that ciphers through a handle of the table.
ChunkCipher through_handle(int handle);

}  // namespace folioc

#endif
