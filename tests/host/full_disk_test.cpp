// protect on a small file system: a v1 file is written in one pass, so a
// document that fits (with its header and key file) is protected, and one
// that does not fails with the system's reason and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "host_process.h"
#include "support/files.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

// A 1 MiB tmpfs, unmounted with the test.
class SmallFileSystem : public testing::Test {
 protected:
  void SetUp() override {
    mount_point_ = dir_.make_directory("small", 0777);
    if (::mount("tmpfs", mount_point_.c_str(), "tmpfs", 0, "size=1m,mode=0777") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_ && ::umount(mount_point_.c_str()) != 0)
      ::umount2(mount_point_.c_str(), MNT_DETACH);
  }

  WorldWritableScratchDir dir_;
  std::string mount_point_;
  bool mounted_ = false;
};

TEST_F(SmallFileSystem, DocumentThatFitsIsProtectedAndOneThatDoesNotLeavesNothing) {
  struct Case {
    std::size_t size;
    bool fits;
  };
  for (const Case &test : {Case{600 << 10, true}, Case{2 << 20, false}}) {
    SCOPED_TRACE(std::to_string(test.size) + " bytes");
    const std::string input = dir_.path("input-" + std::to_string(test.size));
    write_file(input, random_bytes(test.size, 11));
    const std::string output = mount_point_ + "/doc.folio";
    const RunResult result = run_host({"protect", input, output});
    if (test.fits) {
      ASSERT_EQ(result.exit_code, 0) << result.err;
      EXPECT_EQ(read_file(output).size(), 512 + test.size);
      ASSERT_EQ(::unlink(output.c_str()), 0);
      ASSERT_EQ(::unlink((output + ".key").c_str()), 0);
    } else {
      EXPECT_NE(result.exit_code, 0);
      EXPECT_NE(result.err.find("could not be written"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(mount_point_)) << "something is left on the small file system";
  }
}

}  // namespace
}  // namespace host_test
