#include "utf16_path.h"

#include <windows.h>

std::wstring utf16_path(const char *utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length) != length)
    return {};
  wide.resize(static_cast<std::size_t>(length - 1));  // the terminator is the string's own
  return wide;
}
