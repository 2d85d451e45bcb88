// Windows: the UTF-8 path and mode are converted to UTF-16 and opened with
// the runtime's wide open, other processes' reads and writes allowed; a
// path that is not valid UTF-8 counts as a failed open.
#include "file_open.h"

#include <windows.h>
#include <share.h>

#include <cerrno>
#include <string>

#include "utf16_path.h"

std::FILE *open_utf8(const char *path, const char *mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  const std::wstring wide_path = utf16_path(path);
  const std::wstring wide_mode = utf16_path(mode);
  if (wide_path.empty() || wide_mode.empty()) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfsopen(wide_path.c_str(), wide_mode.c_str(), _SH_DENYNO);
}
