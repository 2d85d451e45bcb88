// ScratchDir on Windows: a fresh directory under the user's temporary
// folder. Paths handed out are UTF-8, as every path the libraries take.
#include "support/scratch_dir.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace folio_test {

ScratchDir::ScratchDir() {
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) throw std::runtime_error("no temporary folder: " + error.message());
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("folio-test-" + std::to_string(entropy()));
    if (fs::create_directory(candidate, error)) {
      root_ = candidate.generic_u8string();
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch directory under " + base.u8string());
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(fs::u8path(root_), ignored);
}

std::set<std::string> ScratchDir::names() const {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(fs::u8path(root_)))
    names.insert(entry.path().filename().u8string());
  return names;
}

// Windows has no permission bits to give: the mode is not applied.
std::string ScratchDir::make_directory(const std::string &name, mode_t) {
  const std::string made = path(name);
  std::error_code error;
  if (!fs::create_directory(fs::u8path(made), error))
    throw std::runtime_error("cannot make " + made);
  return made;
}

}  // namespace folio_test
