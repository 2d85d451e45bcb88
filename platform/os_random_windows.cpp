// Windows: the system's preferred random generator through CNG.
#include "os_random.h"

#include <windows.h>
#include <bcrypt.h>

#include <cerrno>
#include <climits>

bool os_random(void *buffer, std::size_t size) {
  auto *out = static_cast<unsigned char *>(buffer);
  while (size > 0) {
    const ULONG step = size < ULONG_MAX ? static_cast<ULONG>(size) : ULONG_MAX;
    if (BCryptGenRandom(nullptr, out, step, BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0) {
      errno = EIO;
      return false;
    }
    out += step;
    size -= step;
  }
  return true;
}
