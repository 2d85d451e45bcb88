#include "output/file_copy.h"

#include <unistd.h>

#include <cerrno>

#include "commands/messages.h"

namespace folio_host {

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

}  // namespace folio_host
