#include "process_hardening.h"

#include <sys/prctl.h>
#include <sys/resource.h>

bool harden_process() {
  const bool not_dumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
  const struct rlimit no_core = {0, 0};
  const bool no_core_file = ::setrlimit(RLIMIT_CORE, &no_core) == 0;
  return not_dumpable && no_core_file;
}

bool process_is_hardened() { return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0; }
