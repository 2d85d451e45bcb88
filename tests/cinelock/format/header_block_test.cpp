// Header blocks for protected videos: the document header's layout, made
// and read the way the document library reads it, and the duration call
// that checks a block belongs to its video.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "cinelock.h"
#include "folioc.h"
#include "log_capture.h"
#include "protected_clips.h"
#include "support/files.h"
#include "support/oracle.h"

extern "C" {
#include <libavutil/log.h>
}

namespace folio_test {
namespace {

Bytes fresh_block() {
  Bytes header(512);
  int length = 512;
  EXPECT_EQ(video_header_block_create(header.data(), &length), CINELOCK_OK);
  EXPECT_EQ(length, 512);
  return header;
}

std::uint32_t stored_crc(const Bytes &header) {
  return std::uint32_t(header[508]) | std::uint32_t(header[509]) << 8 |
         std::uint32_t(header[510]) << 16 | std::uint32_t(header[511]) << 24;
}

TEST(HeaderBlock, FreshBlockIsADocumentHeaderWithARandomNonce) {
  const Bytes a = fresh_block();
  const Bytes b = fresh_block();
  EXPECT_EQ(std::memcmp(a.data(), "tesmir", 7), 0);
  EXPECT_EQ(stored_crc(a), oracle::crc32(a.data(), 508));
  EXPECT_NE(Bytes(a.begin() + 96, a.begin() + 104), Bytes(b.begin() + 96, b.begin() + 104));

  unsigned char ours[8];
  unsigned char theirs[8];
  ASSERT_EQ(video_header_block_nonce(a.data(), 512, ours), CINELOCK_OK);
  ASSERT_EQ(DocGetNonce(a.data(), 512, theirs), DOC_OK);
  EXPECT_EQ(Bytes(ours, ours + 8), Bytes(a.begin() + 96, a.begin() + 104));
  EXPECT_EQ(Bytes(ours, ours + 8), Bytes(theirs, theirs + 8));
}

TEST(HeaderBlock, KeyCipherIsStoredAsTheDocumentLibraryStoresIt) {
  const Bytes wrapped = from_hex("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff");
  Bytes ours = fresh_block();
  Bytes theirs = ours;
  int our_length = 512;
  int their_length = 512;
  ASSERT_EQ(video_set_keycipher(wrapped.data(), 32, ours.data(), &our_length), CINELOCK_OK);
  ASSERT_EQ(DocSetKeyCipher(wrapped.data(), 32, theirs.data(), &their_length), DOC_OK);
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(Bytes(ours.begin() + 48, ours.begin() + 80), wrapped);
  EXPECT_EQ(stored_crc(ours), oracle::crc32(ours.data(), 508));

  int length = 512;
  EXPECT_EQ(video_set_keycipher(wrapped.data(), 49, ours.data(), &length), CINELOCK_HEADER_ERR_SIZE);
  length = 511;
  EXPECT_EQ(video_set_keycipher(wrapped.data(), 32, ours.data(), &length), CINELOCK_HEADER_ERR_ARGUMENT);
  ours[200] ^= 1;
  length = 512;
  const Bytes damaged = ours;
  EXPECT_EQ(video_set_keycipher(wrapped.data(), 32, ours.data(), &length), CINELOCK_HEADER_ERR_CRC);
  EXPECT_EQ(ours, damaged);
  unsigned char nonce[8];
  EXPECT_EQ(video_header_block_nonce(ours.data(), 512, nonce), CINELOCK_HEADER_ERR_CRC);
}

class Timespan : public ::testing::Test {
 protected:
  void SetUp() override {
    media::ClipOptions options;
    options.seconds = 4.3;
    ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", options));
    clear_ = dir_.path("clear.mp4");
    sealed_ = dir_.path("sealed.mp4");
    header_ = fresh_block();
    const Bytes &key = test_key();
    ASSERT_EQ(video_crypt_encrypt(clear_.c_str(), sealed_.c_str(), key.data(), 256, header_.data() + 96,
                                  header_.data(), 512),
              0);
  }
  int timespan(const std::string &path, const Bytes &header, int *seconds) {
    return video_get_timespan(path.c_str(), header.data(), static_cast<int>(header.size()), seconds);
  }
  ScratchDir dir_;
  std::string clear_;
  std::string sealed_;
  Bytes header_;
  LogCapture quiet_;
};

TEST_F(Timespan, BlockOfTheVideoGivesItsDuration) {
  int seconds = 0;
  ASSERT_EQ(timespan(sealed_, header_, &seconds), CINELOCK_OK);
  EXPECT_EQ(seconds, 4);

  // The host's copy of the block may have gained a wrapped key since.
  Bytes wrapped_copy = header_;
  int length = 512;
  const Bytes wrapped(32, 0x5A);
  ASSERT_EQ(video_set_keycipher(wrapped.data(), 32, wrapped_copy.data(), &length), CINELOCK_OK);
  seconds = 0;
  EXPECT_EQ(timespan(sealed_, wrapped_copy, &seconds), CINELOCK_OK);
  EXPECT_EQ(seconds, 4);
}

// A player asks the duration before it has a window: FFmpeg's description
// of the file must not reach standard error then.
TEST_F(Timespan, DescribesNothingOnStandardError) {
  const std::string captured = dir_.path("stderr.txt");
  av_log_set_callback(av_log_default_callback);  // the fixture's capture off: FFmpeg prints
  std::fflush(stderr);
  const int saved = ::dup(2);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  ::dup2(file, 2);
  int seconds = 0;
  const int result = timespan(sealed_, header_, &seconds);
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  ::close(file);
  EXPECT_EQ(result, CINELOCK_OK);
  EXPECT_EQ(read_text(captured), "");
}

TEST_F(Timespan, ClearVideoNeedsNoMatchingBlock) {
  int seconds = 0;
  EXPECT_EQ(timespan(clear_, fresh_block(), &seconds), CINELOCK_OK);
  EXPECT_EQ(seconds, 4);
}

TEST_F(Timespan, RefusesBlocksThatCannotDecipherTheVideo) {
  int seconds = -1;
  EXPECT_EQ(timespan(sealed_, fresh_block(), &seconds), CINELOCK_HEADER_ERR_MISMATCH);
  Bytes damaged = header_;
  damaged[300] ^= 0x80;
  EXPECT_EQ(timespan(sealed_, damaged, &seconds), CINELOCK_HEADER_ERR_CRC);
  EXPECT_EQ(timespan(sealed_, Bytes(header_.begin(), header_.begin() + 500), &seconds),
            CINELOCK_HEADER_ERR_ARGUMENT);
  EXPECT_EQ(timespan(dir_.path("missing.mp4"), header_, &seconds), CINELOCK_HEADER_ERR_VIDEO);
  EXPECT_EQ(seconds, -1);
}

}  // namespace
}  // namespace folio_test
