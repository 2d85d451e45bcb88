// Opening files named by UTF-8 paths. On Linux paths are already narrow
// UTF-8, so they go to the C runtime unchanged (file_open.cpp); on Windows
// they are converted to UTF-16 and opened wide, sharing allowed
// (file_open_windows.cpp).
#ifndef FOLIO_PLATFORM_FILE_OPEN_H
#define FOLIO_PLATFORM_FILE_OPEN_H

#include <cstdio>

// fopen on a NUL-terminated UTF-8 path; null on failure (errno set).
std::FILE *open_utf8(const char *path, const char *mode);

#endif
