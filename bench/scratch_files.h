// The scratch directory of the file benchmarks and the few whole-file
// operations they need. Everything streams through a 1 MiB buffer, so the
// benchmark process stays small (see child_process.h for why that matters).
#ifndef FOLIO_BENCH_SCRATCH_FILES_H
#define FOLIO_BENCH_SCRATCH_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace folio_bench {

// $BENCH_DIR when set (made if missing), otherwise a fresh
// /tmp/folio-bench-XXXXXX. Files named through path() are deleted on
// destruction, and so is a directory this object created; the same happens
// when the process is ended by SIGINT, SIGTERM or SIGHUP, since the files
// are large. One instance at a time.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  bool ok() const { return !directory_.empty(); }
  const std::string &directory() const { return directory_; }
  std::string path(const std::string &name);
  std::uint64_t free_bytes() const;

 private:
  std::string directory_;
  bool created_ = false;
  std::vector<std::string> files_;
};

// Writes size bytes of seeded filler and flushes them to the device, so no
// background write-back of the input competes with the timed runs. The
// pages stay in the page cache.
bool write_filler_file(const std::string &path, std::uint64_t size, std::uint64_t seed);

// Reads a whole file once, to bring it into the page cache.
bool read_through(const std::string &path);

// True when both files hold the same first `limit` bytes (or are equal and
// shorter).
bool same_leading_bytes(const std::string &a, const std::string &b, std::uint64_t limit);

// The file's content; empty when it cannot be read.
std::string read_small_file(const std::string &path);

void remove_file(const std::string &path);

}  // namespace folio_bench

#endif
