#include "support/scratch_dir.h"

#include <ftw.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace folio_test {

namespace {

// Carries on past an entry it cannot remove, so that one stuck file does
// not keep the rest of the tree.
int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
  std::remove(path);
  return 0;
}

std::string temporary_root() {
  const char *root = std::getenv("TMPDIR");
  return root && *root ? root : "/tmp";
}

}  // namespace

ScratchDir::ScratchDir() {
  std::string pattern = temporary_root() + "/folio-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  root_ = pattern;
}

ScratchDir::~ScratchDir() { ::nftw(root_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

std::set<std::string> ScratchDir::names() const {
  std::set<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(root_))
    names.insert(entry.path().filename().string());
  return names;
}

std::string ScratchDir::make_directory(const std::string &name, mode_t mode) {
  const std::string directory = path(name);
  if (::mkdir(directory.c_str(), 0700) != 0 || ::chmod(directory.c_str(), mode) != 0)
    throw std::runtime_error("cannot make directory " + directory);
  return directory;
}

}  // namespace folio_test
