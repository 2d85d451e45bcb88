// protect refuses bad inputs and destinations with one line naming the
// file, and leaves neither output nor temporaries behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host_process.h"
#include "protected_sample.h"
#include "scratch_directory.h"

namespace host_test {
namespace {

TEST(ProtectRejects, MissingInput) {
  ScratchDirectory dir;
  const RunResult run = run_host({"protect", dir / "missing.bin", dir / "out.folio"});
  expect_rejected(run, dir / "missing.bin", "No such file or directory");
  EXPECT_TRUE(dir.names().empty());
}

TEST(ProtectRejects, UnreadableInput) {
  ScratchDirectory dir;
  write_file(dir / "plain.bin", random_bytes(1000, 1));
  ::chmod((dir / "plain.bin").c_str(), 0);
  RunOptions options;
  options.unprivileged = true;
  const RunResult run = run_host({"protect", dir / "plain.bin", dir / "out.folio"}, options);
  expect_rejected(run, dir / "plain.bin", "Permission denied");
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

TEST(ProtectRejects, DirectoryAsInput) {
  ScratchDirectory dir;
  dir.make_directory("folder", 0755);
  const RunResult run = run_host({"protect", dir / "folder", dir / "out.folio"});
  expect_rejected(run, dir / "folder", "Is a directory");
  EXPECT_EQ(dir.names(), std::set<std::string>{"folder"});
}

TEST(ProtectRejects, FifoAsInputWithoutWaitingForAWriter) {
  ScratchDirectory dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  const RunResult run = run_host({"protect", dir / "pipe", dir / "out.folio"});
  expect_rejected(run, dir / "pipe", "not a regular file");
  EXPECT_EQ(dir.names(), std::set<std::string>{"pipe"});
}

TEST(ProtectRejects, UnwritableDestinationDirectory) {
  ScratchDirectory dir;
  write_file(dir / "plain.bin", random_bytes(1000, 2));
  const std::string locked = dir.make_directory("locked", 0555);
  RunOptions options;
  options.unprivileged = true;
  const RunResult run = run_host({"protect", dir / "plain.bin", locked + "/out.folio"}, options);
  expect_rejected(run, locked + "/out.folio", "Permission denied");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "locked"}));
  ::chmod(locked.c_str(), 0755);
  EXPECT_FALSE(file_exists(locked + "/out.folio"));
  EXPECT_FALSE(file_exists(locked + "/out.folio.key"));
}

TEST(ProtectRejects, MissingDestinationDirectory) {
  ScratchDirectory dir;
  write_file(dir / "plain.bin", random_bytes(1000, 3));
  const RunResult run = run_host({"protect", dir / "plain.bin", dir / "none/out.folio"});
  expect_rejected(run, dir / "none/out.folio", "No such file or directory");
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

TEST(ProtectRejects, DirectoryAsDestination) {
  ScratchDirectory dir;
  write_file(dir / "plain.bin", random_bytes(1000, 4));
  dir.make_directory("folder", 0755);
  const RunResult run = run_host({"protect", dir / "plain.bin", dir / "folder"});
  expect_rejected(run, dir / "folder", "Is a directory");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "folder"}));
}

// The protected file must not appear without its key file.
TEST(ProtectRejects, KeyFileNameTakenByADirectory) {
  ScratchDirectory dir;
  write_file(dir / "plain.bin", random_bytes(1000, 5));
  dir.make_directory("out.folio.key", 0755);
  const RunResult run = run_host({"protect", dir / "plain.bin", dir / "out.folio"});
  expect_rejected(run, dir / "out.folio.key", "Is a directory");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"plain.bin", "out.folio.key"}));
}

TEST(ProtectRejects, OutputThatIsTheInputItself) {
  ScratchDirectory dir;
  const Bytes plaintext = random_bytes(1000, 6);
  write_file(dir / "plain.bin", plaintext);
  const RunResult run = run_host({"protect", dir / "plain.bin", dir / "plain.bin"});
  expect_rejected(run, dir / "plain.bin", "input");
  EXPECT_TRUE(read_file(dir / "plain.bin") == plaintext);
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

// Past 4 GiB the library's stream offsets wrap and keystream would repeat.
TEST(ProtectRejects, InputOverFourGibibytes) {
  ScratchDirectory dir;
  make_sparse_file(dir / "huge.bin", (std::uint64_t(4) << 30) + 1);
  const RunResult run = run_host({"protect", dir / "huge.bin", dir / "out.folio"});
  expect_rejected(run, dir / "huge.bin", "too large to protect");
  EXPECT_EQ(dir.names(), std::set<std::string>{"huge.bin"});
}

}  // namespace
}  // namespace host_test
