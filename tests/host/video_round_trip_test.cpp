// What protect-video writes, read back by hand: the header block in the
// header stream (its nonce, its checksum and the wrapped key, deciphered
// with OpenSSL under the token key), video packets that the key file's key
// deciphers, the key file itself; and unprotect-video giving back every
// packet of the source.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

#include <set>

#include "host_process.h"
#include "key_file_fields.h"
#include "launch_token_keys.h"
#include "support/files.h"
#include "support/oracle.h"
#include "video_sample.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

constexpr std::size_t kTrailerBytes = 8;

// Timestamps of two streams agree when they are the same instant, whatever
// the time bases.
bool same_instant(std::int64_t a, const media::StreamInfo &a_stream, std::int64_t b,
                  const media::StreamInfo &b_stream) {
  if (a == INT64_MIN || b == INT64_MIN) return a == b;
  return av_compare_ts(a, AVRational{a_stream.time_base_num, a_stream.time_base_den}, b,
                       AVRational{b_stream.time_base_num, b_stream.time_base_den}) == 0;
}

// Every stream of the source, and every packet of it (bytes, timestamps,
// key flags), is in the restored file.
void expect_same_packets(const media::MediaFile &source, const media::MediaFile &restored) {
  ASSERT_EQ(restored.streams.size(), source.streams.size());
  for (std::size_t s = 0; s < source.streams.size(); ++s) {
    SCOPED_TRACE("stream " + std::to_string(s));
    const media::StreamInfo &from = source.streams[s];
    const media::StreamInfo &back = restored.streams[s];
    EXPECT_EQ(back.media_type, from.media_type);
    EXPECT_EQ(back.codec_id, from.codec_id);
    const auto expected = packets_of(source, static_cast<int>(s));
    const auto actual = packets_of(restored, static_cast<int>(s));
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("packet " + std::to_string(i));
      EXPECT_EQ(actual[i].data.size(), expected[i].data.size());
      EXPECT_TRUE(actual[i].data == expected[i].data);
      EXPECT_TRUE(same_instant(actual[i].pts, back, expected[i].pts, from));
      EXPECT_TRUE(same_instant(actual[i].dts, back, expected[i].dts, from));
      EXPECT_EQ(actual[i].key, expected[i].key);
    }
  }
}

// The single packet of the header stream (stream 0), which must be a
// binary data stream.
Bytes header_block_of(const media::MediaFile &protected_file) {
  EXPECT_FALSE(protected_file.streams.empty());
  if (protected_file.streams.empty()) return {};
  EXPECT_EQ(protected_file.streams[0].media_type, AVMEDIA_TYPE_DATA);
  EXPECT_EQ(protected_file.streams[0].codec_id, AV_CODEC_ID_BIN_DATA);
  const auto packets = packets_of(protected_file, 0);
  EXPECT_EQ(packets.size(), 1u);
  if (packets.empty()) return {};
  return Bytes(packets[0].data.begin(), packets[0].data.end());
}

void expect_header_block_for(const Bytes &block, const VideoKey &key) {
  ASSERT_EQ(block.size(), kHeaderBlockBytes);
  EXPECT_EQ(le32_at(block, 508), oracle::crc32(block.data(), 508)) << "checksum";
  EXPECT_EQ(slice(block, 96, 8), key.nonce) << "the key file's nonce";
  ASSERT_EQ(le32_at(block, 44), 32u) << "key cipher length";
  const Bytes token_nonce = slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8);
  EXPECT_EQ(oracle::aes_ctr(bytes_of(FOLIO_TOKEN_KEY), token_nonce, 0, slice(block, 48, 32)),
            key.key)
      << "the wrapped key deciphers to the key file's key";
}

// Video packets of the protected file are the source's, in clear during
// the lead-in and after it enciphered under the key file's key and nonce
// at the offset their trailer names; audio packets are untouched.
void expect_enciphered_under(const media::MediaFile &source, const media::MediaFile &protected_file,
                             const VideoKey &key) {
  ASSERT_EQ(protected_file.streams.size(), source.streams.size() + 1);
  std::size_t clear_video = 0;
  std::size_t enciphered_video = 0;
  for (std::size_t s = 0; s < source.streams.size(); ++s) {
    SCOPED_TRACE("stream " + std::to_string(s));
    const bool video = source.streams[s].media_type == AVMEDIA_TYPE_VIDEO;
    const auto plain = packets_of(source, static_cast<int>(s));
    const auto stored = packets_of(protected_file, static_cast<int>(s + 1));
    ASSERT_EQ(stored.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const Bytes clear(plain[i].data.begin(), plain[i].data.end());
      const Bytes held(stored[i].data.begin(), stored[i].data.end());
      if (!video || held.size() == clear.size()) {
        EXPECT_TRUE(held == clear) << "packet " << i << " stored in clear";
        clear_video += video;
        continue;
      }
      ASSERT_EQ(held.size(), clear.size() + kTrailerBytes) << "packet " << i;
      const std::uint64_t offset = le64_at(held, clear.size());
      EXPECT_EQ(oracle::aes_ctr(key.key, key.nonce, offset, slice(held, 0, clear.size())), clear)
          << "packet " << i;
      ++enciphered_video;
    }
  }
  EXPECT_GT(clear_video, 0u) << "the clear lead-in";
  EXPECT_GT(enciphered_video, 0u);
}

mode_t created_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// ---- Round trips -------------------------------------------------------------

struct Container {
  const char *name;
  const char *source;      // the clip, in the container the test starts from
  const char *protected_;  // protect-video's output
  const char *restored;    // unprotect-video's output
};

const Container kContainers[] = {
    {"Mp4", "source.mp4", "locked.mp4", "restored.mp4"},
    {"Mp4InUpperCase", "source.mp4", "locked.MP4", "restored.mp4"},
};

void PrintTo(const Container &container, std::ostream *out) { *out << container.name; }

class VideoRoundTrip : public testing::TestWithParam<Container> {};

TEST_P(VideoRoundTrip, RestoredFileHoldsEveryPacketOfTheSource) {
  WorldWritableScratchDir dir;
  const Container &c = GetParam();
  const ProtectedVideo sample = protect_video_sample(dir, c.source, c.protected_, small_clip(3.0));
  ASSERT_EQ(sample.run.exit_code, 0);
  EXPECT_EQ(sample.run.out, "protected " + sample.source_path + " -> " + sample.protected_path +
                                " (key: " + sample.key_path + ")\n");

  const RunResult run = run_host({"unprotect-video", sample.protected_path, dir.path(c.restored),
                                  "--key-file", sample.key_path});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "restored " + dir.path(c.restored) + "\n");
  EXPECT_EQ(dir.names(), (std::set<std::string>{c.source, c.protected_,
                                                std::string(c.protected_) + ".key", c.restored}));
  EXPECT_EQ(file_mode(dir.path(c.restored)), created_file_mode());
  expect_same_packets(media::read_media(sample.source_path),
                      media::read_media(dir.path(c.restored)));
}

TEST_P(VideoRoundTrip, ProtectedFileCarriesTheKeyFilesHeaderBlockAndCipher) {
  WorldWritableScratchDir dir;
  const Container &c = GetParam();
  const ProtectedVideo sample = protect_video_sample(dir, c.source, c.protected_, small_clip(3.0));
  ASSERT_EQ(sample.run.exit_code, 0);
  const VideoKey key = read_video_key(sample.key_path);
  ASSERT_EQ(key.key.size(), 32u);
  ASSERT_EQ(key.nonce.size(), 8u);
  const media::MediaFile protected_file = media::read_media(sample.protected_path);
  expect_header_block_for(header_block_of(protected_file), key);
  expect_enciphered_under(media::read_media(sample.source_path), protected_file, key);
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoRoundTrip, testing::ValuesIn(kContainers),
                         [](const testing::TestParamInfo<Container> &info) {
                           return std::string(info.param.name);
                         });

// Across containers the packets change form (H.264 start codes in MPEG-TS,
// length prefixes in MP4), so the pictures they decode to are compared.
const Container kContainerChanges[] = {
    {"TsSourceToMp4", "source.ts", "locked.mp4", "restored.mp4"},
    {"RestoredToTs", "source.mp4", "locked.mp4", "restored.ts"},
};

class VideoRoundTripAcrossContainers : public testing::TestWithParam<Container> {};

TEST_P(VideoRoundTripAcrossContainers, RestoredFileShowsEveryPictureOfTheSource) {
  WorldWritableScratchDir dir;
  const Container &c = GetParam();
  const ProtectedVideo sample = protect_video_sample(dir, c.source, c.protected_, small_clip(3.0));
  ASSERT_EQ(sample.run.exit_code, 0);
  const RunResult run = run_host({"unprotect-video", sample.protected_path, dir.path(c.restored),
                                  "--key-file", sample.key_path});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto source_pictures = media::decoded_frame_digests(sample.source_path);
  EXPECT_EQ(source_pictures.size(), 75u);
  EXPECT_EQ(media::decoded_frame_digests(dir.path(c.restored)), source_pictures);
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoRoundTripAcrossContainers,
                         testing::ValuesIn(kContainerChanges),
                         [](const testing::TestParamInfo<Container> &info) {
                           return std::string(info.param.name);
                         });

// ---- Key file ------------------------------------------------------------------

TEST(VideoKeyFile, RecordsKindKeyNonceAndTheSourcesSizeAndDigest) {
  WorldWritableScratchDir dir;
  const ProtectedVideo sample = protect_video_sample(dir, "source.mp4", "locked.mp4", small_clip());
  ASSERT_EQ(sample.run.exit_code, 0);
  EXPECT_EQ(file_mode(sample.key_path), 0600u);
  EXPECT_EQ(file_mode(sample.protected_path), created_file_mode());
  const auto fields = key_file_fields(read_text(sample.key_path));
  EXPECT_EQ(fields.at("format"), "folio-key 1");
  EXPECT_EQ(fields.at("kind"), "video");
  EXPECT_EQ(fields.count("variant"), 0u) << "a video has no container variant";
  const Bytes source = read_file(sample.source_path);
  EXPECT_EQ(fields.at("size"), std::to_string(source.size()));
  EXPECT_EQ(fields.at("md5"), oracle::md5_hex(source));
  EXPECT_EQ(fields.at("key").size(), 64u);
  EXPECT_EQ(oracle::base64_decode(fields.at("nonce")).size(), 8u);
}

TEST(VideoKeyFile, EveryProtectionHasItsOwnKeyAndNonce) {
  WorldWritableScratchDir dir;
  const ProtectedVideo first = protect_video_sample(dir, "source.mp4", "one.mp4", small_clip());
  ASSERT_EQ(first.run.exit_code, 0);
  ASSERT_EQ(run_host({"protect-video", first.source_path, dir.path("two.mp4")}).exit_code, 0);
  const VideoKey one = read_video_key(first.key_path);
  const VideoKey two = read_video_key(dir.path("two.mp4.key"));
  EXPECT_NE(one.key, two.key);
  EXPECT_NE(one.nonce, two.nonce);
}

TEST(VideoKeyFile, KeyFileOptionPlacesIt) {
  WorldWritableScratchDir dir;
  media::make_clip(dir.path("source.mp4"), small_clip());
  const RunResult run = run_host({"protect-video", dir.path("source.mp4"), dir.path("locked.mp4"),
                                  "--key-file", dir.path("secret.key")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(dir.names(), (std::set<std::string>{"source.mp4", "locked.mp4", "secret.key"}));
  EXPECT_EQ(file_mode(dir.path("secret.key")), 0600u);
  expect_header_block_for(header_block_of(media::read_media(dir.path("locked.mp4"))),
                          read_video_key(dir.path("secret.key")));
}

// ---- FFmpeg's messages -----------------------------------------------------------

// The library describes its input and output at information level: shown
// with --verbose only. (A clear source gives FFmpeg nothing to complain of.)
TEST(VideoVerbose, FFmpegsDescriptionsOnlyWithVerbose) {
  WorldWritableScratchDir dir;
  media::make_clip(dir.path("source.mp4"), small_clip());
  const RunResult quiet = run_host({"protect-video", dir.path("source.mp4"), dir.path("a.mp4")});
  ASSERT_EQ(quiet.exit_code, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  const RunResult verbose =
      run_host({"protect-video", dir.path("source.mp4"), dir.path("b.mp4"), "--verbose"});
  ASSERT_EQ(verbose.exit_code, 0) << verbose.err;
  EXPECT_NE(verbose.err.find("Input #0"), std::string::npos) << verbose.err;
  EXPECT_NE(verbose.err.find("Output #0"), std::string::npos) << verbose.err;
  EXPECT_EQ(verbose.out, quiet.out.substr(0, quiet.out.find(" -> ")) + " -> " + dir.path("b.mp4") +
                             " (key: " + dir.path("b.mp4") + ".key)\n");
}

// ---- Help ----------------------------------------------------------------------------

TEST(VideoHelp, ToolHelpAndCommandHelpListBothCommands) {
  const RunResult tool = run_host({"help"});
  ASSERT_EQ(tool.exit_code, 0);
  for (const char *command : {"protect-video", "unprotect-video"}) {
    SCOPED_TRACE(command);
    EXPECT_NE(tool.out.find(std::string("  ") + command + " <in> <out>"), std::string::npos);
    const RunResult help = run_host({"help", command});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: folio-host ") + command + " ", 0), 0u)
        << help.out;
    EXPECT_EQ(run_host({command, "--help"}).out, help.out);
  }
}

}  // namespace
}  // namespace host_test
