#include "same_file.h"

#include <sys/stat.h>

bool same_existing_file(const char *first, const char *second) {
  if (!first || !second) return false;
  struct stat a {}, b{};
  return ::stat(first, &a) == 0 && ::stat(second, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}
