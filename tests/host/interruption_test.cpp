// A protect or unprotect ended half-way, by an interrupt or by kill -9,
// leaves nothing beside its output: an interrupt removes what was begun
// and ends the tool by the signal; after a kill -9 there is nothing to
// remove, since the output has no name until it is complete (or, where
// the file system cannot make such files, the next run removes it).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "host_process.h"
#include "support/files.h"
#include "support/wait.h"
#include "unfinished_output.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

// Large enough that the tool is still writing when the test sees its first
// bytes; sparse, so it costs no disk to make.
constexpr std::uint64_t kLargeInput = std::uint64_t(256) << 20;

struct Case {
  const char *name;
  int signal_number;
  bool restore;  // unprotect a protected file rather than protect a clear one
};

const Case kCases[] = {
    {"ProtectSigterm", SIGTERM, false},  {"ProtectSigint", SIGINT, false},
    {"ProtectSigkill", SIGKILL, false},  {"UnprotectSigterm", SIGTERM, true},
    {"UnprotectSigkill", SIGKILL, true},
};

void PrintTo(const Case &test, std::ostream *out) { *out << test.name; }

bool makes_unnamed_files(const std::string &directory) {
  const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

class Interruption : public testing::TestWithParam<Case> {};

TEST_P(Interruption, LeavesNothingBesideTheOutput) {
  const Case &test = GetParam();
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("large.bin"), kLargeInput);
  std::vector<std::string> arguments = {"protect", dir.path("large.bin"), dir.path("large.folio")};
  std::set<std::string> inputs = {"large.bin"};
  if (test.restore) {
    const RunResult made = run_host(arguments);
    ASSERT_EQ(made.exit_code, 0) << made.err;
    arguments = {"unprotect", dir.path("large.folio"), dir.path("restored.bin"), "--key-file",
                 dir.path("large.folio.key")};
    inputs = {"large.bin", "large.folio", "large.folio.key"};
  }

  BackgroundHost host(arguments);
  ASSERT_TRUE(wait_until([&] { return unfinished_output_has_data(host.pid(), dir.root()); },
                         kGenerousDeadline, std::chrono::milliseconds(1)))
      << "the tool never started writing";
  host.send(test.signal_number);
  const RunResult result = host.wait();
  EXPECT_EQ(result.signal_number, test.signal_number)
      << "the tool must end by the signal, exit code " << result.exit_code;
  if (test.signal_number != SIGKILL || makes_unnamed_files(dir.root()))
    EXPECT_EQ(dir.names(), inputs);

  // Whatever a killed run could not remove itself, the next one does.
  write_file(dir.path("small.bin"), Bytes(10, 7));
  const RunResult next = run_host({"protect", dir.path("small.bin"), dir.path("small.folio")});
  ASSERT_EQ(next.exit_code, 0) << next.err;
  inputs.insert({"small.bin", "small.folio", "small.folio.key"});
  EXPECT_EQ(dir.names(), inputs);
}

INSTANTIATE_TEST_SUITE_P(Signals, Interruption, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace host_test
