// A private directory for one test, removed with everything in it when the
// test is done.
#ifndef FOLIO_TESTS_SUPPORT_SCRATCH_DIR_H
#define FOLIO_TESTS_SUPPORT_SCRATCH_DIR_H

#include <sys/types.h>

#include <set>
#include <string>

namespace folio_test {

class ScratchDir {
 public:
  // Made by mkdtemp under $TMPDIR, or /tmp when that is unset or empty;
  // std::runtime_error when it cannot be.
  ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;
  // Removes what it can; a test's leftovers never fail the test.
  ~ScratchDir();

  const std::string &root() const { return root_; }
  // Where `name` lives in the directory; nothing is created.
  std::string path(const std::string &name) const { return root_ + "/" + name; }

  // Every entry, hidden ones included, without "." and "..".
  std::set<std::string> names() const;

  // Creates the subdirectory `name` with exactly `mode` (the umask does not
  // apply) and returns its path.
  std::string make_directory(const std::string &name, mode_t mode);

 private:
  std::string root_;
};

}  // namespace folio_test

#endif
