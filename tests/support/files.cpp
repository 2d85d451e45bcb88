#include "support/files.h"

#include <dirent.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>

namespace folio_test {

// One read(2) a chunk, not a stream iterator a byte: tests read frame
// buffers and files of many MiB, often in a sanitizer build.
Bytes read_file(const std::string &path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  Bytes bytes;
  struct stat facts {};
  if (::fstat(fd, &facts) == 0 && facts.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(facts.st_size));
  unsigned char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      bytes.insert(bytes.end(), chunk, chunk + got);
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      throw std::runtime_error("cannot read " + path);
    }
  }
  ::close(fd);
  return bytes;
}

std::string read_text(const std::string &path) {
  const Bytes bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

void write_file(const std::string &path, const Bytes &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

void write_text(const std::string &path, const std::string &text) {
  write_file(path, bytes_of(text));
}

std::vector<std::string> folder_entries(const std::string &folder) {
  std::vector<std::string> names;
  if (DIR *dir = ::opendir(folder.c_str())) {
    while (const dirent *entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

bool file_exists(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

mode_t file_mode(const std::string &path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + path);
  return info.st_mode & 07777;
}

void make_sparse_file(const std::string &path, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  const bool closed = ::close(fd) == 0;
  if (!sized || !closed) throw std::runtime_error("cannot size " + path);
}

}  // namespace folio_test
