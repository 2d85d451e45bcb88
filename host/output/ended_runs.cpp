#include "output/ended_runs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <vector>

#include "output/output_paths.h"
#include "platform/process_gone.h"

namespace folio_host {

namespace {

constexpr char kMarker[] = ".folio-";

bool random_part(const std::string &text) {
  if (text.size() < kHiddenNameRandomCharacters) return false;
  for (std::size_t i = 0; i < kHiddenNameRandomCharacters; ++i)
    if (!std::isalnum(static_cast<unsigned char>(text[i]))) return false;
  // The random characters end the name, or an extension follows them.
  return text.size() == kHiddenNameRandomCharacters || text[kHiddenNameRandomCharacters] == '.';
}

}  // namespace

long hidden_name_owner(const std::string &name) {
  if (name.size() < 2 || name[0] != '.') return -1;
  const std::size_t marker = name.rfind(kMarker);
  if (marker == std::string::npos || marker == 0) return -1;
  const std::string rest = name.substr(marker + sizeof kMarker - 1);
  const long pid = leading_process_id(rest);
  if (pid <= 0) return -1;
  const std::size_t dash = std::to_string(pid).size();
  if (dash >= rest.size() || rest[dash] != '-' || !random_part(rest.substr(dash + 1))) return -1;
  return pid;
}

void remove_leftovers_of_ended_runs(const std::string &directory) {
  std::vector<std::string> stale;
  DIR *listing = ::opendir(directory.c_str());
  if (!listing) return;
  while (const dirent *entry = ::readdir(listing)) {
    const long owner = hidden_name_owner(entry->d_name);
    if (owner > 0 && process_gone(owner)) stale.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  for (const std::string &name : stale) {
    const std::string path = directory + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || info.st_uid != ::geteuid()) continue;
    if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) ::unlink(path.c_str());
  }
}

}  // namespace folio_host
