#include "file_pass.h"

#include <sys/stat.h>

#include <new>
#include <system_error>

#include "chunk_worker.h"
#include "cipher_handles.h"
#include "folioc.h"
#include "platform/file_open.h"
#include "platform/same_file.h"

namespace folioc {

FilePair::FilePair(const char *source_path, const char *destination_path)
    : same_file_(same_existing_file(source_path, destination_path)),
      source_(same_file_ ? nullptr : open_utf8(source_path, "rb")),
      destination_(same_file_ ? nullptr : open_utf8(destination_path, "wb")) {
  // Whole chunks go straight between the file and the working buffer; a
  // stdio buffer would only split each of them into two system calls.
  if (source_) std::setvbuf(source_, nullptr, _IONBF, 0);
  if (destination_) std::setvbuf(destination_, nullptr, _IONBF, 0);
}

FilePair::~FilePair() {
  if (source_) std::fclose(source_);
  if (destination_) std::fclose(destination_);
}

bool FilePair::close_destination() {
  std::FILE *destination = destination_;
  destination_ = nullptr;
  return destination && std::fclose(destination) == 0;
}

int open_code(const FilePair &files) {
  if (files.same_file()) return DOC_ERR_SAME_FILE;
  return files.ok() ? DOC_OK : DOC_ERR_OPEN;
}

std::unique_ptr<unsigned char[]> make_chunk_buffer() {
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[kChunkBytes]());
}

namespace {

// A ciphered chunk goes into the digest, then out to the destination.
bool deliver(PassResult &result, const unsigned char *chunk, std::size_t length,
             std::FILE *destination, MD5_CTX *digest) {
  ++result.chunks;
  if (digest) MD5Update(digest, chunk, static_cast<std::uint32_t>(length));
  if (std::fwrite(chunk, 1, length, destination) != length) {
    result.status = PassStatus::write_failed;
    return false;
  }
  result.bytes += length;
  return true;
}

PassResult finish(PassResult result, std::FILE *source) {
  if (result.status == PassStatus::completed && std::ferror(source))
    result.status = PassStatus::read_failed;
  return result;
}

PassResult run_in_turn(std::FILE *source, std::FILE *destination, unsigned char *buffer,
                       const ChunkCipher &cipher, MD5_CTX *digest, std::uint32_t count) {
  PassResult result{PassStatus::completed, 0, 0};
  std::size_t got;
  while ((got = std::fread(buffer, 1, kChunkBytes, source)) > 0) {
    if (!cipher(buffer, got, pass_offset(count))) {
      result.status = PassStatus::cipher_failed;
      return result;
    }
    if (!deliver(result, buffer, got, destination, digest)) return result;
    count += static_cast<std::uint32_t>(got);  // wraps modulo 2^32, as stored files expect
  }
  return finish(result, source);
}

// Two buffers in turn: while the worker ciphers one chunk, this thread
// writes the chunk before it and reads the chunk after it. The chunks reach
// the cipher, the digest and the destination in the same order, with the
// same offsets, as in run_in_turn.
PassResult run_overlapped(std::FILE *source, std::FILE *destination,
                          unsigned char *const buffers[2], ChunkWorker &worker, MD5_CTX *digest,
                          std::uint32_t count) {
  PassResult result{PassStatus::completed, 0, 0};
  int hand = 0;
  std::size_t in_hand = std::fread(buffers[hand], 1, kChunkBytes, source);
  if (in_hand == 0) return finish(result, source);
  worker.start(buffers[hand], in_hand, pass_offset(count));
  count += static_cast<std::uint32_t>(in_hand);
  for (;;) {
    const int next = hand ^ 1;
    const std::size_t got = std::fread(buffers[next], 1, kChunkBytes, source);
    if (!worker.finish()) {
      result.status = PassStatus::cipher_failed;
      return result;
    }
    if (got > 0) {
      worker.start(buffers[next], got, pass_offset(count));
      count += static_cast<std::uint32_t>(got);
    }
    if (!deliver(result, buffers[hand], in_hand, destination, digest)) return result;
    if (got == 0) return finish(result, source);
    hand = next;
    in_hand = got;
  }
}

// Overlapping pays off only for a source of more than one chunk.
bool worth_overlapping(std::FILE *source) {
  struct stat status;
  return fstat(fileno(source), &status) == 0 && S_ISREG(status.st_mode) &&
         status.st_size > static_cast<off_t>(kChunkBytes);
}

}  // namespace

PassResult run_pass(std::FILE *source, std::FILE *destination, unsigned char *buffer,
                    const ChunkCipher &cipher, MD5_CTX *digest, std::uint32_t start_count) {
  if (worth_overlapping(source)) {
    // Without memory or a thread for it, the pass simply runs in turn.
    if (const auto second = make_chunk_buffer()) {
      try {
        ChunkWorker worker(cipher);
        unsigned char *const buffers[2] = {buffer, second.get()};
        return run_overlapped(source, destination, buffers, worker, digest, start_count);
      } catch (const std::system_error &) {
      }
    }
  }
  return run_in_turn(source, destination, buffer, cipher, digest, start_count);
}

ChunkCipher through_handle(int handle) {
  return [handle](unsigned char *chunk, std::size_t length, std::uint64_t offset) {
    return cipher_through(handle, chunk, length, offset);
  };
}

}  // namespace folioc
