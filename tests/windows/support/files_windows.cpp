// Whole-file access on Windows, by UTF-8 path through the wide file API, so
// that tests reach the same files the libraries open.
#include "support/files.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace folio_test {
namespace {

using File = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

File open(const std::string &path, const wchar_t *mode) {
  return File(_wfopen(fs::u8path(path).c_str(), mode), &std::fclose);
}

}  // namespace

Bytes read_file(const std::string &path) {
  File file = open(path, L"rb");
  if (!file) throw std::runtime_error("cannot open " + path);
  Bytes bytes;
  unsigned char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  if (std::ferror(file.get())) throw std::runtime_error("cannot read " + path);
  return bytes;
}

std::string read_text(const std::string &path) {
  const Bytes bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

void write_file(const std::string &path, const Bytes &bytes) {
  File file = open(path, L"wb");
  if (!file) throw std::runtime_error("cannot create " + path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fclose(file.release()) != 0)
    throw std::runtime_error("cannot write " + path);
}

void write_text(const std::string &path, const std::string &text) {
  write_file(path, bytes_of(text));
}

bool file_exists(const std::string &path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(fs::u8path(path), ignored));
}

mode_t file_mode(const std::string &path) {
  struct _stat64 status;
  if (_wstat64(fs::u8path(path).c_str(), &status) != 0)
    throw std::runtime_error("cannot stat " + path);
  return static_cast<mode_t>(status.st_mode & 07777);
}

void make_sparse_file(const std::string &path, std::uint64_t size) {
  write_file(path, {});
  std::error_code error;
  fs::resize_file(fs::u8path(path), size, error);
  if (error) throw std::runtime_error("cannot size " + path + ": " + error.message());
}

}  // namespace folio_test
