// Windows: the UTF-8 path and mode are converted to UTF-16 and opened with
// the runtime's wide open, other processes' reads and writes allowed; a
// path that is not valid UTF-8 counts as a failed open.
#include "file_open.h"

#include <windows.h>
#include <share.h>

#include <cerrno>
#include <string>

namespace {

// Empty for text that is not valid UTF-8 (or is empty).
std::wstring utf16_of(const char *utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length) != length)
    return {};
  wide.resize(static_cast<std::size_t>(length - 1));  // the terminator is the string's own
  return wide;
}

}  // namespace

std::FILE *open_utf8(const char *path, const char *mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  const std::wstring wide_path = utf16_of(path);
  const std::wstring wide_mode = utf16_of(mode);
  if (wide_path.empty() || wide_mode.empty()) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfsopen(wide_path.c_str(), wide_mode.c_str(), _SH_DENYNO);
}
