// Whole-file reads and writes and the few file facts tests check.
#ifndef FOLIO_TESTS_SUPPORT_FILES_H
#define FOLIO_TESTS_SUPPORT_FILES_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_bytes.h"

namespace folio_test {

// Both throw std::runtime_error when the file cannot be opened or read.
Bytes read_file(const std::string &path);
std::string read_text(const std::string &path);

// Create or truncate; std::runtime_error when the bytes do not all reach
// the file.
void write_file(const std::string &path, const Bytes &bytes);
void write_text(const std::string &path, const std::string &text);

// True when anything at all has the name, a dangling symbolic link included:
// tests use it to show that nothing was created.
bool file_exists(const std::string &path);

// The names in a folder, "." and ".." left out; none when it cannot be read.
std::vector<std::string> folder_entries(const std::string &folder);

// The permission bits (07777) of the file a path leads to.
mode_t file_mode(const std::string &path);

// A file of size bytes that reads as zeros and takes no disk space.
void make_sparse_file(const std::string &path, std::uint64_t size);

}  // namespace folio_test

#endif
