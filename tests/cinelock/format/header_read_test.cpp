// Reading back the header block and duration; what clear files give.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cinelock.h"
#include "log_capture.h"
#include "protected_clips.h"

namespace folio_test {
namespace {

class HeaderRead : public ::testing::Test {
 protected:
  void SetUp() override {
    media::ClipOptions options;
    options.seconds = 3.2;
    ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", options));
    clear_ = dir_.path("clear.mp4");
    sealed_ = dir_.path("sealed.mp4");
    ASSERT_EQ(protect(clear_, sealed_), 0);
    log_.clear();
  }
  ScratchDir dir_;
  std::string clear_;
  std::string sealed_;
  LogCapture log_;
};

TEST_F(HeaderRead, CapacityProtocol) {
  Bytes buffer(600, 0xEE);
  int length = 100;
  EXPECT_EQ(video_crypt_getheader(sealed_.c_str(), buffer.data(), &length), 1);
  EXPECT_EQ(length, 512);
  EXPECT_TRUE(log_.contains("buffer too small"));
  EXPECT_EQ(buffer[0], 0xEE) << "nothing is copied into a buffer that is too small";

  length = 4096;
  EXPECT_EQ(video_crypt_getheader(sealed_.c_str(), nullptr, &length), 1);
  EXPECT_EQ(length, 512);

  length = 512;
  ASSERT_EQ(video_crypt_getheader(sealed_.c_str(), buffer.data(), &length), 0);
  EXPECT_EQ(length, 512);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 512), test_header_block());
  EXPECT_EQ(buffer[512], 0xEE);
}

TEST_F(HeaderRead, InformationCallAlsoGivesWholeSeconds) {
  Bytes buffer(512);
  int length = 512;
  int duration = -7;
  ASSERT_EQ(video_crypt_get_infor(sealed_.c_str(), buffer.data(), &length, &duration), 0);
  EXPECT_EQ(duration, 3);
  EXPECT_EQ(buffer, test_header_block());
}

TEST_F(HeaderRead, ClearFileHasNoHeaderButADuration) {
  Bytes buffer(512);
  int length = 512;
  EXPECT_EQ(video_crypt_getheader(clear_.c_str(), buffer.data(), &length), 1);
  EXPECT_TRUE(log_.contains("file header not found"));
  EXPECT_TRUE(log_.contains("Error occurred: "));

  int duration = -7;
  EXPECT_EQ(video_crypt_get_infor(clear_.c_str(), buffer.data(), &length, &duration), 1);
  EXPECT_EQ(duration, 3) << "written before the header is searched";
}

TEST_F(HeaderRead, RestoringAClearFileWritesNothing) {
  const std::string output = dir_.path("restored.mp4");
  EXPECT_EQ(restore(clear_, output), 0);
  EXPECT_EQ(log_.text(), "Video not encrypted!\n");
  struct stat status;
  EXPECT_NE(::stat(output.c_str(), &status), 0);
}

TEST_F(HeaderRead, UnreadableFile) {
  int length = 512;
  int duration = -7;
  Bytes buffer(512);
  const std::string missing = dir_.path("missing.mp4");
  EXPECT_EQ(video_crypt_get_infor(missing.c_str(), buffer.data(), &length, &duration), 1);
  EXPECT_EQ(duration, -7);
  EXPECT_TRUE(log_.contains("Could not open input file '" + missing + "'"));
}

}  // namespace
}  // namespace folio_test
