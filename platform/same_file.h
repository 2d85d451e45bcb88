// Whether two paths lead to one file: a second name for it (a hard link,
// "..", a symbolic link) counts, so an output about to be truncated can be
// told apart from the input it would destroy.
#ifndef FOLIO_PLATFORM_SAME_FILE_H
#define FOLIO_PLATFORM_SAME_FILE_H

// True when both NUL-terminated UTF-8 paths exist and name the same file
// (Linux: device and inode; Windows: volume serial number and file index).
// False when either is missing or null: a destination not yet created
// cannot be the source.
bool same_existing_file(const char *first, const char *second);

#ifdef _WIN32
// The same test for UTF-16 paths, for callers whose narrow paths are not
// UTF-8 (the ANSI code page).
bool same_existing_file_wide(const wchar_t *first, const wchar_t *second);
#endif

#endif
