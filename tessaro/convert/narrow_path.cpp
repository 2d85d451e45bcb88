#include "convert/narrow_path.h"

#include <cstdio>

#include "platform/same_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tessaro {

#ifdef _WIN32

bool narrow_path_to_utf16(const char *path, std::u16string &out) {
  const int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], units) != units) return false;
  wide.resize(static_cast<std::size_t>(units) - 1);
  out.assign(wide.begin(), wide.end());
  return true;
}

bool readable_document(const char *path) {
  std::u16string wide;
  if (!narrow_path_to_utf16(path, wide)) return false;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(reinterpret_cast<const wchar_t *>(wide.c_str()), GetFileExInfoStandard,
                            &data))
    return false;
  return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

bool same_document(const char *first, const char *second) {
  std::u16string first_wide, second_wide;
  return narrow_path_to_utf16(first, first_wide) && narrow_path_to_utf16(second, second_wide) &&
         same_existing_file_wide(reinterpret_cast<const wchar_t *>(first_wide.c_str()),
                                 reinterpret_cast<const wchar_t *>(second_wide.c_str()));
}

#else

bool narrow_path_to_utf16(const char *path, std::u16string &out) {
  out.clear();
  const auto *p = reinterpret_cast<const unsigned char *>(path);
  while (*p) {
    char32_t code = *p;
    int follow = 0;
    if (code < 0x80) {
      follow = 0;
    } else if ((code & 0xE0) == 0xC0) {
      code &= 0x1F, follow = 1;
    } else if ((code & 0xF0) == 0xE0) {
      code &= 0x0F, follow = 2;
    } else if ((code & 0xF8) == 0xF0) {
      code &= 0x07, follow = 3;
    } else {
      return false;
    }
    ++p;
    for (int i = 0; i < follow; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
      code = (code << 6) | (*p & 0x3F);
    }
    static const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[follow] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;  // overlong forms and surrogates are not UTF-8
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return true;
}

bool readable_document(const char *path) {
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) return false;
  std::FILE *file = std::fopen(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool same_document(const char *first, const char *second) {
  return same_existing_file(first, second);
}

#endif

}  // namespace tessaro
