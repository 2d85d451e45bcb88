#include "unfinished_output.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "support/files.h"

namespace host_test {

namespace {

bool has_data(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

}  // namespace

bool unfinished_output_has_data(pid_t pid, const std::string &directory) {
  const std::string descriptors = "/proc/" + std::to_string(pid) + "/fd";
  for (const std::string &fd : folio_test::folder_entries(descriptors)) {
    char target[4096];
    const ssize_t length = ::readlink((descriptors + "/" + fd).c_str(), target, sizeof target - 1);
    if (length <= 0) continue;
    const std::string text(target, static_cast<std::size_t>(length));
    if (text.compare(0, directory.size() + 2, directory + "/#") == 0 &&
        has_data(descriptors + "/" + fd))
      return true;
  }
  for (const std::string &name : folio_test::folder_entries(directory))
    if (name[0] == '.' && has_data(directory + "/" + name)) return true;
  return false;
}

}  // namespace host_test
