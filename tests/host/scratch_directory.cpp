#include "scratch_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace host_test {

namespace {

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
  ::remove(path);
  return 0;
}

std::string temporary_root() {
  const char *root = std::getenv("TMPDIR");
  return root && *root ? root : "/tmp";
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
  std::string pattern = temporary_root() + "/folio-host-test.XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  // Open to every user: some tests run the tool as an unprivileged user.
  ::chmod(path_.c_str(), 0777);
}

ScratchDirectory::~ScratchDirectory() {
  ::nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::set<std::string> ScratchDirectory::names() const {
  std::set<std::string> names;
  DIR *dir = ::opendir(path_.c_str());
  if (!dir) throw std::runtime_error("opendir failed");
  while (const dirent *entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(dir);
  return names;
}

std::string ScratchDirectory::make_directory(const std::string &name, mode_t mode) {
  const std::string path = *this / name;
  if (::mkdir(path.c_str(), 0700) != 0 || ::chmod(path.c_str(), mode) != 0)
    throw std::runtime_error("mkdir failed: " + path);
  return path;
}

void write_file(const std::string &path, const Bytes &bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

void write_text(const std::string &path, const std::string &text) {
  write_file(path, Bytes(text.begin(), text.end()));
}

Bytes read_file(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string read_text(const std::string &path) {
  const Bytes bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

void make_sparse_file(const std::string &path, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0)
    throw std::runtime_error("cannot make " + path);
  ::close(fd);
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

Bytes random_bytes(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 generator(seed);
  Bytes bytes(size);
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word = generator();
    for (int k = 0; k < 8; ++k, word >>= 8) bytes[i + k] = static_cast<unsigned char>(word);
  }
  for (std::uint64_t word = generator(); i < size; ++i, word >>= 8)
    bytes[i] = static_cast<unsigned char>(word);
  return bytes;
}

}  // namespace host_test
