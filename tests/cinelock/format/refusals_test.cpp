// What the format functions refuse, the messages they log, and that a
// refusal before any output is opened leaves no file behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cinelock.h"
#include "log_capture.h"
#include "protected_clips.h"

namespace folio_test {
namespace {

bool exists(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

class Refusals : public ::testing::Test {
 protected:
  void SetUp() override {
    media::ClipOptions options;
    options.seconds = 1;
    ASSERT_TRUE(make_clip_in(dir_, "clip.mp4", options));
    source_ = dir_.path("clip.mp4");
    output_ = dir_.path("out.mp4");
  }
  ScratchDir dir_;
  std::string source_;
  std::string output_;
  LogCapture log_;
};

TEST_F(Refusals, KeySizesOtherThan128_192_256) {
  for (const int keybits : {0, 64, 320, -256}) {
    SCOPED_TRACE(keybits);
    log_.clear();
    EXPECT_EQ(protect(source_, output_, keybits), 1);
    EXPECT_EQ(restore(source_, output_, keybits), 1);
    EXPECT_EQ(log_.text(), "invalid file key" "invalid file key");
  }
  EXPECT_FALSE(exists(output_));
}

TEST_F(Refusals, MissingKey) {
  const Bytes &header = test_header_block();
  EXPECT_EQ(video_crypt_encrypt(source_.c_str(), output_.c_str(), nullptr, 256, test_nonce().data(),
                                header.data(), 512),
            1);
  EXPECT_EQ(video_crypt_decrypt(source_.c_str(), output_.c_str(), nullptr, 256, test_nonce().data()), 1);
  EXPECT_EQ(log_.text(), "file key is empty" "file key is empty");
  EXPECT_FALSE(exists(output_));
}

TEST_F(Refusals, MissingOrEmptyHeaderBlock) {
  const Bytes &header = test_header_block();
  const unsigned char *key = test_key().data();
  const unsigned char *nonce = test_nonce().data();
  EXPECT_EQ(video_crypt_encrypt(source_.c_str(), output_.c_str(), key, 256, nonce, nullptr, 512), 1);
  EXPECT_EQ(video_crypt_encrypt(source_.c_str(), output_.c_str(), key, 256, nonce, header.data(), 0), 1);
  EXPECT_EQ(video_crypt_encrypt(source_.c_str(), output_.c_str(), key, 256, nonce, header.data(), -5), 1);
  EXPECT_TRUE(log_.contains("file header is empty"));
  EXPECT_FALSE(exists(output_));
}

TEST_F(Refusals, InputThatCannotBeOpenedOrRead) {
  const std::string missing = dir_.path("missing.mp4");
  EXPECT_EQ(protect(missing, output_), 1);
  EXPECT_TRUE(log_.contains("Could not open input file '" + missing + "'Error occurred: "));

  log_.clear();
  const std::string garbage = dir_.path("garbage.mp4");
  FILE *file = std::fopen(garbage.c_str(), "wb");
  ASSERT_TRUE(file);
  std::fputs("not a media file at all", file);
  std::fclose(file);
  EXPECT_EQ(protect(garbage, output_), 1);
  EXPECT_TRUE(log_.contains("Error occurred: ")) << log_.text();
  EXPECT_FALSE(exists(output_));
}

TEST_F(Refusals, OutputNameWithoutAKnownContainer) {
  EXPECT_EQ(protect(source_, dir_.path("out.unknown-container")), 1);
  EXPECT_TRUE(log_.contains("Could not create output context\nError occurred: "));
}

TEST_F(Refusals, OutputThatCannotBeCreated) {
  const std::string unreachable = dir_.path("no-such-directory/out.mp4");
  EXPECT_EQ(protect(source_, unreachable), 1);
  EXPECT_TRUE(log_.contains("Could not open output file '" + unreachable + "'Error occurred: "));
}

// Only MP4 both keeps the header stream and gives every sealed packet back
// as stored (MPEG-TS re-frames video by start codes, which ciphertext lacks).
TEST_F(Refusals, ContainersOtherThanMp4) {
  for (const char *name : {"out.ts", "out.m4v", "out.mkv", "out.mov", "out.nut", "out.flv", "out.avi"}) {
    SCOPED_TRACE(name);
    log_.clear();
    EXPECT_EQ(protect(source_, dir_.path(name)), 1);
    EXPECT_TRUE(log_.contains("Protected videos are MP4 files")) << log_.text();
    EXPECT_TRUE(log_.contains("Could not create output context\nError occurred: ")) << log_.text();
    EXPECT_FALSE(exists(dir_.path(name)));
  }
}

}  // namespace
}  // namespace folio_test
