#include "output/output_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "commands/messages.h"
#include "output/path_names.h"
#include "platform/os_random.h"

namespace folio_host {

namespace {

constexpr char kNameCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;

// The X's of a template filled with random characters; false (errno set)
// when the random source fails.
bool fill_template(std::string &candidate, std::size_t x_at) {
  unsigned char random[kHiddenNameRandomCharacters];
  if (!os_random(random, sizeof random)) return false;
  for (std::size_t i = 0; i < kHiddenNameRandomCharacters; ++i)
    candidate[x_at + i] = kNameCharacters[random[i] % (sizeof kNameCharacters - 1)];
  return true;
}

}  // namespace

std::string hidden_template(const std::string &directory, const std::string &name,
                            const std::string &suffix) {
  if (name.empty()) throw Failure(directory + "/", error_text(EISDIR));
  return (directory == "/" ? "" : directory) + "/." + name + ".folio-" +
         std::to_string(::getpid()) + "-XXXXXX" + suffix;
}

std::string temporary_template(const std::string &destination, const std::string &suffix) {
  const std::string name = file_name_of(destination);
  if (name.empty()) throw Failure(destination, error_text(EISDIR));
  return hidden_template(directory_of(destination), name, suffix);
}

void reject_directory(const std::string &destination) {
  struct stat existing {};
  if (::stat(destination.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
    throw Failure(destination, error_text(EISDIR));
}

void create_uniquely(std::string &path, int suffix_length,
                     const std::function<bool(const std::string &)> &create,
                     const std::string &destination, const std::string &what) {
  const std::size_t x_at =
      path.size() - static_cast<std::size_t>(suffix_length) - kHiddenNameRandomCharacters;
  std::string candidate = path;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    if (!fill_template(candidate, x_at)) break;
    if (create(candidate)) {
      path = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  throw Failure(destination, what + " in '" + directory_of(path) + "': " + error_text(errno));
}

int create_temporary(std::string &path, const std::string &destination, int suffix_length) {
  int fd = -1;
  create_uniquely(
      path, suffix_length,
      [&fd](const std::string &candidate) {
        fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return fd >= 0;
      },
      destination, "cannot create a file");
  return fd;
}

int create_unnamed(const std::string &directory) {
#ifdef O_TMPFILE
  const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  // The file is reached again by its descriptor's path (the libraries open
  // outputs by name); without /proc that cannot work.
  struct stat by_descriptor {}, by_path{};
  if (::fstat(fd, &by_descriptor) != 0 || ::stat(descriptor_path(fd).c_str(), &by_path) != 0 ||
      by_descriptor.st_ino != by_path.st_ino || by_descriptor.st_dev != by_path.st_dev) {
    ::close(fd);
    return -1;
  }
  return fd;
#else
  (void)directory;
  return -1;
#endif
}

std::string descriptor_path(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

void sync_directory(const std::string &directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace folio_host
