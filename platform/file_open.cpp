#include "file_open.h"

#include <cerrno>

std::FILE *open_utf8(const char *path, const char *mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  return std::fopen(path, mode);
}
