// Windows: UTF-8 paths (and mode strings) as the UTF-16 the wide file
// functions take.
#ifndef FOLIO_PLATFORM_UTF16_PATH_H
#define FOLIO_PLATFORM_UTF16_PATH_H

#include <string>

// Empty for text that is not valid UTF-8 (or is empty).
std::wstring utf16_path(const char *utf8);

#endif
