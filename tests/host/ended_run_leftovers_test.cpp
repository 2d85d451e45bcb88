// A run removes what killed runs left where it writes: hidden names whose
// process has ended, beside the output and (the names that gave FFmpeg an
// extension) in the temporary folder. Names of runs still at work and
// files merely looking similar stay.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>

#include "host_process.h"
#include "scoped_environment.h"
#include "support/files.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

// The id of a process that has ended (reaped, so nothing holds it).
pid_t ended_process() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(EndedRunLeftovers, NextRunRemovesOnlyThoseOfEndedProcesses) {
  WorldWritableScratchDir dir;
  const std::string temporary_folder = dir.make_directory("tmp", 0777);
  const ScopedEnvironment tmpdir("TMPDIR", temporary_folder.c_str());
  const std::string ended = std::to_string(ended_process());
  const std::string alive = std::to_string(::getpid());

  const std::set<std::string> stale = {".out.folio.folio-" + ended + "-a1B2c3",
                                       ".out.folio.key.folio-" + ended + "-Zz9Yy8",
                                       ".clip.mp4.folio-" + ended + "-q7W8e9.mp4"};
  const std::set<std::string> kept = {
      ".out.folio.folio-" + alive + "-a1B2c3",  // a run still at work
      ".notes.folio-" + ended + "-short",       // not a name of ours
      "draft.folio-" + ended + "-a1B2c3",       // not hidden
  };
  for (const std::string &name : stale) write_file(dir.path(name), Bytes(64, 1));
  for (const std::string &name : kept) write_file(dir.path(name), Bytes(64, 2));
  const std::string stale_link = temporary_folder + "/.clip.mp4.folio-" + ended + "-r4T5y6.mp4";
  ASSERT_EQ(::symlink("/proc/self/fd/9", stale_link.c_str()), 0);

  write_file(dir.path("in.bin"), Bytes(100, 3));
  const RunResult result = run_host({"protect", dir.path("in.bin"), dir.path("out.folio")});
  ASSERT_EQ(result.exit_code, 0) << result.err;

  std::set<std::string> expected = kept;
  expected.insert({"in.bin", "out.folio", "out.folio.key", "tmp"});
  EXPECT_EQ(dir.names(), expected);
  EXPECT_FALSE(file_exists(stale_link));
}

}  // namespace
}  // namespace host_test
