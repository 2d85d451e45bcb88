// The progress line appears only on a terminal and only for large inputs,
// and is wiped before the tool's last word.
#include <gtest/gtest.h>

#include "host_process.h"
#include "support/files.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

constexpr std::uint64_t kOverThreshold = (std::uint64_t(64) << 20) + 1;

TEST(Progress, ShownAndWipedOnATerminalForALargeInput) {
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("large.bin"), kOverThreshold);
  RunOptions options;
  options.stderr_on_terminal = true;
  const RunResult run =
      run_host({"protect", dir.path("large.bin"), dir.path("large.folio")}, options);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string line = "\rprotecting " + dir.path("large.bin") + ": ";
  const std::size_t first = run.err.find(line);
  ASSERT_NE(first, std::string::npos) << run.err;
  EXPECT_NE(run.err.find("%", first), std::string::npos);
  const std::size_t last_percent = run.err.rfind('%');
  EXPECT_EQ(run.err.find_first_not_of(" \r", last_percent + 1), std::string::npos)
      << "the progress line must be wiped at the end";
  EXPECT_EQ(run.err.back(), '\r');
}

TEST(Progress, SilentWhenStandardErrorIsNotATerminal) {
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("large.bin"), kOverThreshold);
  const RunResult run = run_host({"protect", dir.path("large.bin"), dir.path("large.folio")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

TEST(Progress, SilentOnATerminalForASmallInput) {
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("small.bin"), std::uint64_t(1) << 20);
  RunOptions options;
  options.stderr_on_terminal = true;
  const RunResult run =
      run_host({"protect", dir.path("small.bin"), dir.path("small.folio")}, options);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace host_test
