// Whole-file MD5: digests across the 1 MiB read-chunk boundary, the
// messages on standard output, and files that cannot be read.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "md5.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

template <typename Call>
std::string stdout_of(Call call) {
  testing::internal::CaptureStdout();
  call();
  return testing::internal::GetCapturedStdout();
}

// A text buffer filled with a marker, to show whether a call wrote to it.
struct MarkedText {
  char text[kMd5TextBytes];
  MarkedText() { std::memset(text, '#', sizeof text); }
  bool untouched() const {
    for (char c : text)
      if (c != '#') return false;
    return true;
  }
};

TEST(Md5FileDigest, MatchesOracleAcrossTheChunkBoundary) {
  ScratchDir dir;
  std::mt19937_64 rng(0x5eed0501);
  for (std::size_t size : {0u, 1u, 0x100000u, 0x100001u}) {
    SCOPED_TRACE(testing::Message() << "size " << size);
    const Bytes contents = random_bytes(rng, size);
    const std::string path = dir.path("data-" + std::to_string(size) + ".bin");
    write_file(path, contents);
    const std::string expected = oracle::md5_hex(contents);

    char text[kMd5TextBytes] = {};
    EXPECT_EQ(md5_file_digest(path.c_str(), text), Md5FileResult::ok);
    EXPECT_EQ(std::string(text), expected);

    char printed[kMd5TextBytes] = {};
    const std::string out = stdout_of([&] { MDFile(path.c_str(), printed); });
    EXPECT_EQ(std::string(printed), expected);
    EXPECT_EQ(out, " " + path + "\n");
  }
}

TEST(Md5FileDigest, Utf8PathIsOpened) {
  ScratchDir dir;
  const std::string path = dir.path("r\xC3\xA9sum\xC3\xA9-\xE6\x96\x87.txt");
  const Bytes contents = {'a', 'b', 'c'};
  write_file(path, contents);
  char text[kMd5TextBytes] = {};
  EXPECT_EQ(md5_file_digest(path.c_str(), text), Md5FileResult::ok);
  EXPECT_EQ(std::string(text), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5FileMissing, ReportsCannotOpenAndLeavesTextAlone) {
  ScratchDir dir;
  const std::string path = dir.path("does-not-exist");

  MarkedText quiet;
  EXPECT_EQ(md5_file_digest(path.c_str(), quiet.text), Md5FileResult::open_failed);
  EXPECT_TRUE(quiet.untouched());

  MarkedText reported;
  const std::string out = stdout_of([&] { MDFile(path.c_str(), reported.text); });
  EXPECT_EQ(out, path + " can't be opened.\n");
  EXPECT_TRUE(reported.untouched());
}

TEST(Md5FileUnreadable, DirectoryIsAReadFailureWithoutDigest) {
  ScratchDir dir;
  const std::string path = dir.root();

  MarkedText quiet;
  std::string out = stdout_of([&] {
    EXPECT_EQ(md5_file_digest(path.c_str(), quiet.text), Md5FileResult::read_failed);
  });
  EXPECT_TRUE(quiet.untouched());
  EXPECT_EQ(out, "") << "md5_file_digest prints nothing";

  MarkedText reported;
  Md5FileResult result = Md5FileResult::ok;
  out = stdout_of([&] { result = md5_file_reported(path.c_str(), reported.text); });
  EXPECT_EQ(result, Md5FileResult::read_failed);
  EXPECT_EQ(out, path + " can't be opened.\n");
  EXPECT_TRUE(reported.untouched());
}

}  // namespace
