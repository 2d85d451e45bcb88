#include "scratch_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pseudo_random.h"

namespace folio_bench {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// What the signal handler removes, kept where it may read it: plain arrays
// filled before the handler is installed or before the count grows.
constexpr int kMaxScratchFiles = 16;
char g_files[kMaxScratchFiles][4096];
volatile sig_atomic_t g_file_count = 0;
char g_directory[4096];
volatile sig_atomic_t g_directory_created = 0;

void remove_scratch_and_exit(int signal_number) {
  for (int i = 0; i < g_file_count; ++i) ::unlink(g_files[i]);
  if (g_directory_created) ::rmdir(g_directory);
  ::_exit(128 + signal_number);
}

void copy_path(char (&to)[4096], const std::string &from) {
  std::snprintf(to, sizeof to, "%s", from.c_str());
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now; false when the close reported an error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads until length bytes or end of file; the count read, or -1.
long long read_fully(int fd, unsigned char *buffer, std::size_t length) {
  std::size_t got = 0;
  while (got < length) {
    const ssize_t n = ::read(fd, buffer + got, length - got);
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(got);
}

bool write_fully(int fd, const unsigned char *buffer, std::size_t length) {
  while (length) {
    const ssize_t n = ::write(fd, buffer, length);
    if (n <= 0) return false;
    buffer += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ScratchDir::ScratchDir() {
  if (const char *given = std::getenv("BENCH_DIR"); given && *given) {
    created_ = ::mkdir(given, 0755) == 0;
    if (::access(given, W_OK) == 0) directory_ = given;
  } else {
    char pattern[] = "/tmp/folio-bench-XXXXXX";
    if (::mkdtemp(pattern)) {
      directory_ = pattern;
      created_ = true;
    }
  }
  if (directory_.empty()) return;
  copy_path(g_directory, directory_);
  g_directory_created = created_;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
    std::signal(signal_number, remove_scratch_and_exit);
}

ScratchDir::~ScratchDir() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, SIG_DFL);
  for (const std::string &file : files_) ::unlink(file.c_str());
  if (created_) ::rmdir(directory_.c_str());
  g_file_count = 0;
  g_directory_created = 0;
}

std::string ScratchDir::path(const std::string &name) {
  std::string full = directory_ + "/" + name;
  files_.push_back(full);
  if (g_file_count < kMaxScratchFiles) {
    copy_path(g_files[g_file_count], full);
    g_file_count = g_file_count + 1;
  }
  return full;
}

std::uint64_t ScratchDir::free_bytes() const {
  struct statvfs info {};
  if (::statvfs(directory_.c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool write_filler_file(const std::string &path, std::uint64_t size, std::uint64_t seed) {
  Fd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
  if (!file.ok()) return false;
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBufferBytes]);
  PseudoRandom random(seed);
  for (std::uint64_t left = size; left;) {
    const std::size_t step = left < kBufferBytes ? static_cast<std::size_t>(left) : kBufferBytes;
    random.fill(buffer.get(), step);
    if (!write_fully(file.get(), buffer.get(), step)) return false;
    left -= step;
  }
  return ::fdatasync(file.get()) == 0 && file.close();
}

bool read_through(const std::string &path) {
  Fd file(::open(path.c_str(), O_RDONLY));
  if (!file.ok()) return false;
  ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBufferBytes]);
  long long got;
  while ((got = read_fully(file.get(), buffer.get(), kBufferBytes)) > 0) {
  }
  return got == 0;
}

bool same_leading_bytes(const std::string &a, const std::string &b, std::uint64_t limit) {
  Fd first(::open(a.c_str(), O_RDONLY));
  Fd second(::open(b.c_str(), O_RDONLY));
  if (!first.ok() || !second.ok()) return false;
  std::unique_ptr<unsigned char[]> one(new unsigned char[kBufferBytes]);
  std::unique_ptr<unsigned char[]> two(new unsigned char[kBufferBytes]);
  while (limit) {
    const std::size_t step = limit < kBufferBytes ? static_cast<std::size_t>(limit) : kBufferBytes;
    const long long got_one = read_fully(first.get(), one.get(), step);
    const long long got_two = read_fully(second.get(), two.get(), step);
    if (got_one < 0 || got_one != got_two) return false;
    if (std::memcmp(one.get(), two.get(), static_cast<std::size_t>(got_one)) != 0) return false;
    if (static_cast<std::size_t>(got_one) < step) return true;
    limit -= step;
  }
  return true;
}

std::string read_small_file(const std::string &path) {
  std::string text;
  if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
  }
  return text;
}

void remove_file(const std::string &path) { ::unlink(path.c_str()); }

}  // namespace folio_bench
