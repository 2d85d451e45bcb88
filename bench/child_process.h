// Running a program as a timed child process, the way the file benchmarks
// run both our code and the command-line peers.
#ifndef FOLIO_BENCH_CHILD_PROCESS_H
#define FOLIO_BENCH_CHILD_PROCESS_H

#include <string>
#include <vector>

namespace folio_bench {

struct ChildRun {
  bool started = false;
  int exit_code = -1;       // the child's exit status; 128 + signal when killed
  double seconds = 0;       // from just before the fork to just after the wait
  long max_rss_kib = 0;     // ru_maxrss of this child alone (wait4)

  bool succeeded() const { return started && exit_code == 0; }
};

// Runs argv (argv[0] searched on PATH) with standard output and error sent
// to log_path, and waits for it.
//
// The child is made with fork and exec rather than posix_spawn: on Linux,
// exec records the peak resident size of the address space it replaces as
// the child's starting ru_maxrss, and posix_spawn's child replaces the
// caller's own (shared until exec), so every child would report at least
// the caller's peak. A forked child starts from its copy of the caller's
// resident memory at fork time instead; fork_floor_kib() measures that.
ChildRun run_child(const std::vector<std::string> &argv, const std::string &log_path);

// ru_maxrss of a forked child that exits at once: the least any child of
// this process can report, to be checked against the figures compared.
long fork_floor_kib();

}  // namespace folio_bench

#endif
