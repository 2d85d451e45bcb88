// protect refuses bad inputs and destinations with one line naming the
// file, and leaves neither output nor temporaries behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host_process.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/test_bytes.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

TEST(ProtectRejects, MissingInput) {
  WorldWritableScratchDir dir;
  const RunResult run = run_host({"protect", dir.path("missing.bin"), dir.path("out.folio")});
  expect_rejected(run, dir.path("missing.bin"), "No such file or directory");
  EXPECT_TRUE(dir.names().empty());
}

TEST(ProtectRejects, UnreadableInput) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(1000, 1));
  ::chmod(dir.path("plain.bin").c_str(), 0);
  RunOptions options;
  options.unprivileged = true;
  const RunResult run =
      run_host({"protect", dir.path("plain.bin"), dir.path("out.folio")}, options);
  expect_rejected(run, dir.path("plain.bin"), "Permission denied");
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

TEST(ProtectRejects, DirectoryAsInput) {
  WorldWritableScratchDir dir;
  dir.make_directory("folder", 0755);
  const RunResult run = run_host({"protect", dir.path("folder"), dir.path("out.folio")});
  expect_rejected(run, dir.path("folder"), "Is a directory");
  EXPECT_EQ(dir.names(), std::set<std::string>{"folder"});
}

TEST(ProtectRejects, FifoAsInputWithoutWaitingForAWriter) {
  WorldWritableScratchDir dir;
  ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0644), 0);
  const RunResult run = run_host({"protect", dir.path("pipe"), dir.path("out.folio")});
  expect_rejected(run, dir.path("pipe"), "not a regular file");
  EXPECT_EQ(dir.names(), std::set<std::string>{"pipe"});
}

TEST(ProtectRejects, UnwritableDestinationDirectory) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(1000, 2));
  const std::string locked = dir.make_directory("locked", 0555);
  RunOptions options;
  options.unprivileged = true;
  const RunResult run =
      run_host({"protect", dir.path("plain.bin"), locked + "/out.folio"}, options);
  expect_rejected(run, locked + "/out.folio", "Permission denied");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "locked"}));
  ::chmod(locked.c_str(), 0755);
  EXPECT_FALSE(file_exists(locked + "/out.folio"));
  EXPECT_FALSE(file_exists(locked + "/out.folio.key"));
}

TEST(ProtectRejects, MissingDestinationDirectory) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(1000, 3));
  const RunResult run = run_host({"protect", dir.path("plain.bin"), dir.path("none/out.folio")});
  expect_rejected(run, dir.path("none/out.folio"), "No such file or directory");
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

TEST(ProtectRejects, DirectoryAsDestination) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(1000, 4));
  dir.make_directory("folder", 0755);
  const RunResult run = run_host({"protect", dir.path("plain.bin"), dir.path("folder")});
  expect_rejected(run, dir.path("folder"), "Is a directory");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "folder"}));
}

// The protected file must not appear without its key file.
TEST(ProtectRejects, KeyFileNameTakenByADirectory) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(1000, 5));
  dir.make_directory("out.folio.key", 0755);
  const RunResult run = run_host({"protect", dir.path("plain.bin"), dir.path("out.folio")});
  expect_rejected(run, dir.path("out.folio.key"), "Is a directory");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "out.folio.key"}));
}

TEST(ProtectRejects, OutputThatIsTheInputItself) {
  WorldWritableScratchDir dir;
  const Bytes plaintext = random_bytes(1000, 6);
  write_file(dir.path("plain.bin"), plaintext);
  const RunResult run = run_host({"protect", dir.path("plain.bin"), dir.path("plain.bin")});
  expect_rejected(run, dir.path("plain.bin"), "input");
  EXPECT_TRUE(read_file(dir.path("plain.bin")) == plaintext);
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

// Past 4 GiB the library's stream offsets wrap and keystream would repeat.
TEST(ProtectRejects, InputOverFourGibibytes) {
  WorldWritableScratchDir dir;
  make_sparse_file(dir.path("huge.bin"), (std::uint64_t(4) << 30) + 1);
  const RunResult run = run_host({"protect", dir.path("huge.bin"), dir.path("out.folio")});
  expect_rejected(run, dir.path("huge.bin"), "too large to protect");
  EXPECT_EQ(dir.names(), std::set<std::string>{"huge.bin"});
}

}  // namespace
}  // namespace host_test
