#include "output/output_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "commands/messages.h"
#include "output/path_names.h"

namespace folio_host {

std::string temporary_template(const std::string &destination, const std::string &suffix) {
  const std::string name = file_name_of(destination);
  if (name.empty()) throw Failure(destination, error_text(EISDIR));
  const std::string directory = directory_of(destination);
  return (directory == "/" ? "" : directory) + "/." + name + ".XXXXXX" + suffix;
}

void reject_directory(const std::string &destination) {
  struct stat existing {};
  if (::stat(destination.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
    throw Failure(destination, error_text(EISDIR));
}

int create_temporary(std::string &path, const std::string &destination, int suffix_length) {
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  const int fd = ::mkostemps(name.data(), suffix_length, O_CLOEXEC);
  if (fd < 0)
    throw Failure(destination, "cannot create a file in '" + directory_of(destination) +
                                   "': " + error_text(errno));
  path.assign(name.data());
  return fd;
}

void sync_directory(const std::string &directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace folio_host
