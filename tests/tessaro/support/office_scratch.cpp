#include "support/office_scratch.h"

#include "support/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace tessaro_test {

using folio_test::folder_entries;

OfficeScratch::OfficeScratch() : offices_(dir_.path("offices")) {
  if (mkdir(offices_.c_str(), 0700) != 0) throw std::runtime_error("cannot make " + offices_);
  if (const char *tmpdir = std::getenv("TMPDIR")) saved_tmpdir_ = tmpdir, had_tmpdir_ = true;
  setenv("TMPDIR", offices_.c_str(), 1);
}

OfficeScratch::~OfficeScratch() {
  if (had_tmpdir_)
    setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

std::vector<std::pair<pid_t, std::string>> OfficeScratch::processes() const {
  std::vector<std::pair<pid_t, std::string>> found;
  for (const std::string &pid : folder_entries("/proc")) {
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in("/proc/" + pid + "/cmdline", std::ios::binary);
    const std::string command{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (command.find(dir_.root()) != std::string::npos)
      found.emplace_back(std::atoi(pid.c_str()), command.substr(0, command.find('\0')));
  }
  return found;
}

std::string OfficeScratch::leftovers(pid_t caller) const {
  std::string found;
  for (const std::string &name : folder_entries(offices_)) found += "profile folder " + name + "; ";
  // An office's lock file beside a document it had open.
  // A PDF's temporary name, left when its store went wrong.
  for (const std::string &name : folder_entries(dir_.root())) {
    if (name.compare(0, 7, ".~lock.") == 0) found += "lock file " + name + "; ";
    if (name.find(".partial-") != std::string::npos) found += "partial PDF " + name + "; ";
  }

  for (const auto &process : processes())
    found += "process " + std::to_string(process.first) + " (" + process.second + "); ";

  const std::string pipe_prefix =
      "OSL_PIPE_" + std::to_string(getuid()) + "_tessaro-" + std::to_string(caller) + "-";
  for (const char *folder : {"/tmp", "/var/tmp"})
    for (const std::string &name : folder_entries(folder))
      if (name.compare(0, pipe_prefix.size(), pipe_prefix) == 0) found += "pipe " + name + "; ";
  return found;
}

}  // namespace tessaro_test
