#include "output/file_copy.h"

#include <unistd.h>

#include <cerrno>
#include <memory>

#include "commands/messages.h"

namespace folio_host {

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;

bool copy_range_unsupported(int error) {
  return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP ||
         error == EBADF;
}

void copy_by_reading(int from_fd, int to_fd, std::uint64_t length, const std::string &name) {
  const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kCopyChunk]);
  while (length > 0) {
    const std::size_t want = length < kCopyChunk ? static_cast<std::size_t>(length) : kCopyChunk;
    const ssize_t got = ::read(from_fd, buffer.get(), want);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Failure(name, error_text(errno));
    }
    if (got == 0) throw Failure(name, "the data to copy ended early");
    write_all(to_fd, buffer.get(), static_cast<std::size_t>(got), name);
    length -= static_cast<std::uint64_t>(got);
  }
}

}  // namespace

void write_all(int fd, const void *data, std::size_t size, const std::string &name) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw Failure(name, error_text(errno));
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

void copy_file_bytes(int from_fd, int to_fd, std::uint64_t length,
                     const std::string &destination_name) {
  while (length > 0) {
    const std::size_t want =
        length < kCopyChunk * 64 ? static_cast<std::size_t>(length) : kCopyChunk * 64;
    const ssize_t copied = ::copy_file_range(from_fd, nullptr, to_fd, nullptr, want, 0);
    if (copied < 0) {
      if (errno == EINTR) continue;
      if (copy_range_unsupported(errno))
        return copy_by_reading(from_fd, to_fd, length, destination_name);
      throw Failure(destination_name, error_text(errno));
    }
    if (copied == 0) throw Failure(destination_name, "the data to copy ended early");
    length -= static_cast<std::uint64_t>(copied);
  }
}

}  // namespace folio_host
