// A test's scratch folder that also receives the offices' private profiles
// (TMPDIR points into it while the object lives), and the check that a
// conversion left nothing behind: no profile, no office process, no pipe.
#ifndef TESSARO_TESTS_OFFICE_SCRATCH_H
#define TESSARO_TESTS_OFFICE_SCRATCH_H

#include <sys/types.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "support/scratch_dir.h"

namespace tessaro_test {

class OfficeScratch {
 public:
  OfficeScratch();
  ~OfficeScratch();
  OfficeScratch(const OfficeScratch &) = delete;
  OfficeScratch &operator=(const OfficeScratch &) = delete;

  std::string path(const std::string &name) const { return dir_.path(name); }

  // What the conversions of process `caller` (this one unless named) left
  // behind, described; empty when nothing: entries in the offices'
  // temporary folder, lock files and partly written PDFs beside the
  // documents, processes whose command line names this scratch folder,
  // pipe sockets named for the caller.
  std::string leftovers(pid_t caller = getpid()) const;

  // The processes whose command line names this scratch folder (the
  // offices), with their programs.
  std::vector<std::pair<pid_t, std::string>> processes() const;

  // The offices' temporary folder (the TMPDIR they see).
  const std::string &offices_folder() const { return offices_; }

 private:
  folio_test::ScratchDir dir_;
  std::string offices_;  // the TMPDIR the offices see
  std::string saved_tmpdir_;
  bool had_tmpdir_ = false;
};

}  // namespace tessaro_test

#endif
