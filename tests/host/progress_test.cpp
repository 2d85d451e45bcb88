// The progress line appears only on a terminal and only for large inputs,
// and is wiped before the tool's last word.
#include <gtest/gtest.h>

#include "host_process.h"
#include "scratch_directory.h"

namespace host_test {
namespace {

constexpr std::uint64_t kOverThreshold = (std::uint64_t(64) << 20) + 1;

TEST(Progress, ShownAndWipedOnATerminalForALargeInput) {
  ScratchDirectory dir;
  make_sparse_file(dir / "large.bin", kOverThreshold);
  RunOptions options;
  options.stderr_on_terminal = true;
  const RunResult run = run_host({"protect", dir / "large.bin", dir / "large.folio"}, options);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string line = "\rprotecting " + dir / "large.bin" + ": ";
  const std::size_t first = run.err.find(line);
  ASSERT_NE(first, std::string::npos) << run.err;
  EXPECT_NE(run.err.find("%", first), std::string::npos);
  const std::size_t last_percent = run.err.rfind('%');
  EXPECT_EQ(run.err.find_first_not_of(" \r", last_percent + 1), std::string::npos)
      << "the progress line must be wiped at the end";
  EXPECT_EQ(run.err.back(), '\r');
}

TEST(Progress, SilentWhenStandardErrorIsNotATerminal) {
  ScratchDirectory dir;
  make_sparse_file(dir / "large.bin", kOverThreshold);
  const RunResult run = run_host({"protect", dir / "large.bin", dir / "large.folio"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

TEST(Progress, SilentOnATerminalForASmallInput) {
  ScratchDirectory dir;
  make_sparse_file(dir / "small.bin", std::uint64_t(1) << 20);
  RunOptions options;
  options.stderr_on_terminal = true;
  const RunResult run = run_host({"protect", dir / "small.bin", dir / "small.folio"}, options);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace host_test
