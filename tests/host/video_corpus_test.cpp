// protect-video then unprotect-video over the kinds of media a user hands
// in: clips from every video encoder here, in every container FFmpeg
// writes that the tool reads, with and without sound, at variable frame
// rate, and real files from Debian packages. Each comes back with the very
// pictures and sound of the source, or is refused before anything is
// written, with the reason named.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

extern "C" {
#include <libavutil/avutil.h>
}

#include "host_process.h"
#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/media/packaged_media.h"
#include "support/media/same_pictures.h"
#include "support/scratch_dir.h"

namespace host_test {
namespace {

namespace media = folio_test::media;
using media::AudioCodec;
using media::VideoCodec;

struct Generated {
  VideoCodec video = VideoCodec::h264;
  AudioCodec audio = AudioCodec::aac;
  int b_frames = 2;
  bool variable_frame_rate = false;
};

struct Packaged {
  const char *package = nullptr;
  const char *path = nullptr;  // inside the package
};

struct Input {
  const char *name;
  const char *file;  // the source's file name: its container
  Generated clip;
  Packaged real;     // used when real.package is set
  // Null: the round trip gives the source's pictures and sound. Else the
  // protect is refused and its message holds this text.
  const char *refusal = nullptr;
  // Pictures the restored file may show past the source's last: the edit
  // list of a variable-rate MP4 source hides its last picture.
  std::size_t extra_pictures = 0;
};

constexpr const char *kRewrittenByMuxer = "the muxer rewrites its packets";
constexpr const char *kNotInMp4 = "the container cannot hold it";
constexpr const char *kTimesGoBack = "its decode times go back";

Generated clip(VideoCodec video, AudioCodec audio = AudioCodec::aac, int b_frames = 2) {
  return {video, audio, b_frames, false};
}
Generated variable_rate(VideoCodec video, AudioCodec audio = AudioCodec::aac) {
  return {video, audio, 2, true};
}

// A file type detector's samples of one clip in several containers.
constexpr const char *kMimetypePackage = "golang-github-gabriel-vasile-mimetype-dev";

const Input kCorpus[] = {
    {"h264_b_frames_matroska", "in.mkv", clip(VideoCodec::h264)},
    {"h264_matroska_no_sound", "in.mkv", clip(VideoCodec::h264, AudioCodec::none, 0)},
    {"h264_b_frames_mp4_variable_rate", "in.mp4", variable_rate(VideoCodec::h264), {}, nullptr, 1},
    {"h264_matroska_variable_rate", "in.mkv", variable_rate(VideoCodec::h264)},
    {"h264_mov", "in.mov", clip(VideoCodec::h264)},
    {"h264_mpeg_ts", "in.ts", clip(VideoCodec::h264, AudioCodec::mp2)},
    {"h264_b_frames_avi", "in.avi", clip(VideoCodec::h264, AudioCodec::mp2)},
    {"hevc_matroska", "in.mkv", clip(VideoCodec::hevc)},
    {"hevc_mp4_no_sound", "in.mp4", clip(VideoCodec::hevc, AudioCodec::none)},
    {"hevc_mpeg_ts", "in.ts", clip(VideoCodec::hevc, AudioCodec::mp2), {}, kRewrittenByMuxer},
    {"vp9_matroska", "in.mkv", clip(VideoCodec::vp9)},
    {"vp9_webm", "in.webm", clip(VideoCodec::vp9, AudioCodec::vorbis)},
    {"vp9_mp4", "in.mp4", clip(VideoCodec::vp9, AudioCodec::none)},
    {"vp9_avi", "in.avi", clip(VideoCodec::vp9, AudioCodec::mp2)},
    {"mpeg4_avi", "in.avi", clip(VideoCodec::mpeg4, AudioCodec::mp2)},
    {"mpeg4_matroska_variable_rate", "in.mkv", variable_rate(VideoCodec::mpeg4)},
    {"mpeg2_mpeg_ts", "in.ts", clip(VideoCodec::mpeg2, AudioCodec::mp2)},
    {"mpeg2_program_stream", "in.mpg", clip(VideoCodec::mpeg2, AudioCodec::mp2)},
    {"mjpeg_avi", "in.avi", clip(VideoCodec::mjpeg, AudioCodec::none)},
    {"mjpeg_matroska", "in.mkv", clip(VideoCodec::mjpeg)},
    {"av1_matroska", "in.mkv", clip(VideoCodec::av1), {}, kRewrittenByMuxer},
    {"av1_webm", "in.webm", clip(VideoCodec::av1, AudioCodec::opus), {}, kRewrittenByMuxer},
    {"vp8_webm", "in.webm", clip(VideoCodec::vp8, AudioCodec::vorbis), {}, kNotInMp4},
    {"theora_ogg", "in.ogg", clip(VideoCodec::theora, AudioCodec::vorbis), {}, kNotInMp4},
    {"vorbis_ogg_sound_only", "in.ogg", clip(VideoCodec::none, AudioCodec::vorbis)},
    {"opus_ogg_sound_only", "in.opus", clip(VideoCodec::none, AudioCodec::opus)},
    {"aac_matroska_sound_only", "in.mkv", clip(VideoCodec::none)},
    // VP8 and Vorbis from the GNOME help's screen recording.
    {"debian_gnome_help_webm", "in.webm", {},
     {"gnome-user-docs", "usr/share/help/C/gnome-help/figures/display-dual-monitors.webm"},
     kNotInMp4},
    {"debian_freedesktop_sound_ogg", "in.oga", {},
     {"sound-theme-freedesktop", "usr/share/sounds/freedesktop/stereo/complete.oga"}},
    // VP9 (no sound) from the gtkmm demo.
    {"debian_gtkmm_vp9_webm", "in.webm", {},
     {"libgtkmm-4.0-doc", "usr/share/doc/libgtkmm-4.0-dev/examples/gtk-demo/gtk-logo.webm"}},
    // H.264 with B-frames and AAC in MOV, H.264 and AAC in MP4, MPEG-4 and
    // AAC in Matroska, VP8 and Vorbis in WebM.
    {"debian_mimetype_h264_b_frames_mov", "in.mov", {},
     {kMimetypePackage, "usr/share/gocode/src/github.com/gabriel-vasile/mimetype/testdata/mov.mov"}},
    {"debian_mimetype_h264_mp4", "in.mp4", {},
     {kMimetypePackage, "usr/share/gocode/src/github.com/gabriel-vasile/mimetype/testdata/mp4.mp4"}},
    // Two takes joined, the second's times starting again at 0.
    {"debian_mimetype_mpeg4_matroska", "in.mkv", {},
     {kMimetypePackage, "usr/share/gocode/src/github.com/gabriel-vasile/mimetype/testdata/mkv.mkv"},
     kTimesGoBack},
    {"debian_mimetype_vp8_webm", "in.webm", {},
     {kMimetypePackage, "usr/share/gocode/src/github.com/gabriel-vasile/mimetype/testdata/webm.webm"},
     kNotInMp4},
    // Motion JPEG and MPEG audio in MOV, from a Pure Data video library's examples.
    {"debian_pd_mjpeg_mov", "in.mov", {},
     {"pd-extendedview", "usr/share/doc/pd-extendedview/media/diver.mov"}},
};

void PrintTo(const Input &input, std::ostream *out) { *out << input.name; }

// Two seconds: past the clear lead-in (about 1.5 s), so that sealed
// packets are in every file with video.
media::ClipOptions options_for(const Generated &clip) {
  media::ClipOptions options;
  options.seconds = 2.0;
  options.width = 160;
  options.height = 120;
  options.video = clip.video;
  options.audio = clip.audio;
  options.b_frames = clip.b_frames;
  options.variable_frame_rate = clip.variable_frame_rate;
  if (clip.audio == AudioCodec::opus) options.sample_rate = 48000;
  return options;
}

bool has_stream(const std::string &path, int media_type) {
  const media::MediaFile file = media::read_media(path);
  return std::any_of(file.streams.begin(), file.streams.end(),
                     [&](const media::StreamInfo &s) { return s.media_type == media_type; });
}

// The same decoded sound, but for what the containers trim at either end
// (MP4 hides AAC's priming samples by an edit list, Ogg trims by granule
// position, Matroska keeps both): the middle half of the source's sound
// is in the restored sound, whose length is within 2 % of the source's.
::testing::AssertionResult same_sound(const std::vector<std::uint8_t> &back,
                                      const std::vector<std::uint8_t> &source) {
  const std::size_t quarter = source.size() / 16 * 4;  // whole 32-bit samples
  if (quarter == 0) return ::testing::AssertionFailure() << "the source has no sound";
  const auto middle_begin = source.begin() + static_cast<std::ptrdiff_t>(quarter);
  const auto middle_end = source.end() - static_cast<std::ptrdiff_t>(quarter);
  const std::size_t difference = back.size() > source.size() ? back.size() - source.size()
                                                              : source.size() - back.size();
  if (difference * 50 <= source.size() &&
      std::search(back.begin(), back.end(), middle_begin, middle_end) != back.end())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "decoded sound differs: " << back.size()
                                       << " bytes back of " << source.size();
}

class VideoCorpus : public testing::TestWithParam<Input> {};

TEST_P(VideoCorpus, ComesBackIdenticalOrIsRefusedWithItsReason) {
  const Input &input = GetParam();
  folio_test::ScratchDir dir;
  std::string source = dir.path(input.file);
  if (input.real.package) {
    const media::PackagedFile real = media::packaged_file(input.real.package, input.real.path);
    if (real.path.empty()) GTEST_SKIP() << real.missing;
    source = real.path;
  } else {
    if (!media::video_encoder_available(input.clip.video) ||
        !media::audio_encoder_available(input.clip.audio))
      GTEST_SKIP() << "no encoder here for this clip";
    ASSERT_NO_THROW(media::make_clip(source, options_for(input.clip)));
  }
  const std::set<std::string> before = dir.names();
  const std::string locked = dir.path("locked.mp4");
  const RunResult protect = run_host({"protect-video", source, locked});

  if (input.refusal) {
    EXPECT_NE(protect.exit_code, 0);
    EXPECT_NE(protect.err.find(input.refusal), std::string::npos) << protect.err;
    EXPECT_EQ(dir.names(), before) << "a refusal leaves nothing behind";
    return;
  }
  ASSERT_EQ(protect.exit_code, 0) << protect.err;
  const std::string restored = dir.path("restored.mkv");
  const RunResult unprotect =
      run_host({"unprotect-video", locked, restored, "--key-file", locked + ".key"});
  ASSERT_EQ(unprotect.exit_code, 0) << unprotect.err;

  if (has_stream(source, AVMEDIA_TYPE_VIDEO))
    EXPECT_TRUE(media::same_pictures(media::decoded_frame_digests(restored),
                                     media::decoded_frame_digests(source), input.extra_pictures));
  if (has_stream(source, AVMEDIA_TYPE_AUDIO)) {
    const std::vector<std::uint8_t> sound = media::decoded_audio(source);
    EXPECT_FALSE(sound.empty());
    EXPECT_TRUE(same_sound(media::decoded_audio(restored), sound));
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, VideoCorpus, testing::ValuesIn(kCorpus),
                         [](const testing::TestParamInfo<Input> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace host_test
