// An interrupted protect removes its temporaries and dies of the signal, so
// that nothing half-written survives under any name.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "host_process.h"
#include "support/files.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

constexpr std::uint64_t kLargeInput = std::uint64_t(512) << 20;

// True once a temporary (a hidden name) holds data: the tool is then in the
// middle of writing, the moment an interrupt must be cleaned up after.
bool temporary_has_data(const ScratchDir &dir) {
  for (const std::string &name : dir.names()) {
    struct stat info {};
    if (name[0] == '.' && ::stat(dir.path(name).c_str(), &info) == 0 && info.st_size > 0)
      return true;
  }
  return false;
}

class Interruption : public testing::TestWithParam<int> {};

TEST_P(Interruption, MidProtectLeavesNoTemporariesAndNoOutputs) {
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("large.bin"), kLargeInput);
  BackgroundHost host({"protect", dir.path("large.bin"), dir.path("large.folio")});

  // A bound on waiting only, in case the tool never starts writing.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!temporary_has_data(dir) && host.running() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(host.running()) << "the tool ended before it could be interrupted";
  ASSERT_TRUE(temporary_has_data(dir)) << "the tool never started writing";

  host.send(GetParam());
  const RunResult result = host.wait();
  EXPECT_EQ(result.signal_number, GetParam())
      << "the tool must end by the signal, exit code " << result.exit_code;
  EXPECT_EQ(dir.names(), std::set<std::string>{"large.bin"});
}

INSTANTIATE_TEST_SUITE_P(Signals, Interruption, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int> &info) {
                           return std::string(info.param == SIGTERM ? "Sigterm" : "Sigint");
                         });

}  // namespace
}  // namespace host_test
