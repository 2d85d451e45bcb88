// The scratch directory of a host test, open to every user: some tests run
// the tool as an unprivileged user, which must be able to create files in it.
#ifndef FOLIO_TESTS_HOST_WORLD_WRITABLE_SCRATCH_DIR_H
#define FOLIO_TESTS_HOST_WORLD_WRITABLE_SCRATCH_DIR_H

#include <sys/stat.h>

#include <stdexcept>

#include "support/scratch_dir.h"

namespace host_test {

class WorldWritableScratchDir : public folio_test::ScratchDir {
 public:
  WorldWritableScratchDir() {
    if (::chmod(root().c_str(), 0777) != 0)
      throw std::runtime_error("cannot open " + root() + " to every user");
  }
};

}  // namespace host_test

#endif
