#include "file_pass.h"

#include <new>

#include "cipher_handles.h"
#include "platform/file_open.h"

namespace folioc {

FilePair::FilePair(const char *source_path, const char *destination_path)
    : source_(open_utf8(source_path, "rb")), destination_(open_utf8(destination_path, "wb")) {}

FilePair::~FilePair() {
  if (source_) std::fclose(source_);
  if (destination_) std::fclose(destination_);
}

bool FilePair::close_destination() {
  std::FILE *destination = destination_;
  destination_ = nullptr;
  return destination && std::fclose(destination) == 0;
}

std::unique_ptr<unsigned char[]> make_chunk_buffer() {
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[kChunkBytes]());
}

PassResult run_pass(std::FILE *source, std::FILE *destination, unsigned char *buffer,
                    const ChunkCipher &cipher, MD5_CTX *digest, std::uint32_t start_count) {
  PassResult result{PassStatus::completed, 0, 0};
  std::uint32_t count = start_count;  // wraps modulo 2^32, as stored files expect
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, kChunkBytes, source);
    if (got == 0) break;
    if (!cipher(buffer, got, pass_offset(count))) {
      result.status = PassStatus::cipher_failed;
      return result;
    }
    ++result.chunks;
    if (digest) MD5Update(digest, buffer, static_cast<std::uint32_t>(got));
    if (std::fwrite(buffer, 1, got, destination) != got) {
      result.status = PassStatus::write_failed;
      return result;
    }
    count += static_cast<std::uint32_t>(got);
    result.bytes += got;
  }
  if (std::ferror(source)) result.status = PassStatus::read_failed;
  return result;
}

ChunkCipher through_handle(int handle) {
  return [handle](unsigned char *chunk, std::size_t length, std::uint64_t offset) {
    return cipher_through(handle, chunk, length, offset);
  };
}

}  // namespace folioc
