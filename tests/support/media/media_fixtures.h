// Short media clips made on demand through libavcodec's encoders and
// libavformat's muxers, so that tests and benchmarks need no media files
// in the repository and no external tools.
#ifndef FOLIO_TEST_MEDIA_FIXTURES_H
#define FOLIO_TEST_MEDIA_FIXTURES_H

#include <cstdint>
#include <string>
#include <vector>

namespace folio_test::media {

// h264: libx264 where present, else mpeg4. The others use the one encoder
// named in make_clip below and throw where this libavcodec lacks it
// (video_encoder_available says so beforehand).
enum class VideoCodec { none, h264, mpeg4, hevc, vp8, vp9, av1, mpeg2, mjpeg, theora };
enum class AudioCodec { none, aac, mp2, vorbis, opus };

struct ClipOptions {
  double seconds = 3.0;
  VideoCodec video = VideoCodec::h264;
  int width = 160;
  int height = 120;
  int fps = 25;
  bool variable_frame_rate = false;  // frame intervals alternate between short and long
  bool frame_number_band = false;    // the frame number in black and white cells across the top
  int b_frames = 2;                  // 0: decode order equals presentation order
  std::int64_t video_bit_rate = 0;   // 0: the encoder's default quality
  AudioCodec audio = AudioCodec::aac;
  int sample_rate = 44100;
  int channels = 2;
  bool subtitles = false;            // a text subtitle stream with a cue every second
  bool data_stream_only = false;     // one data stream (not AV_CODEC_ID_BIN_DATA), nothing else
};

// Writes the clip to path, the container chosen from the file name (.mp4,
// .m4v, .ts, .mkv, .nut, ...). Pictures and sound are deterministic: the
// same options give the same decoded frames. Throws std::runtime_error
// (with FFmpeg's message) when a stream cannot be made or muxed.
//
// What each part is:
// - video: a moving gradient with a moving block (every frame differs),
//   YUV 4:2:0, so width and height must be even. H.264 is libx264's
//   "ultrafast" preset with B-frames put back (b_frames in a row, fixed
//   pattern), so decode times run behind presentation times; one keyframe
//   a second. With variable_frame_rate the frame intervals alternate
//   between 1 and 3 ticks of 1/(2 fps). The other codecs: libx265
//   ("ultrafast", b_frames B-frames), libvpx (VP8, realtime) and
//   libvpx-vp9 (alternate reference frames on, so packets carry hidden
//   pictures in superframes), libaom-av1 (fastest realtime setting),
//   FFmpeg's own MPEG-2 (b_frames B-frames), MJPEG (full-range 4:2:0) and
//   libtheora; all single-threaded.
// - audio: a sine tone, 440 Hz on the first channel and a fifth higher on
//   each next one, at a quarter of full scale; AAC or MP2 in the encoder's
//   own frame size; Vorbis (libvorbis) and Opus (libopus, 48 kHz only)
//   for WebM and Ogg.
// - subtitles: cue n ("Cue n") from second n for 800 ms; mov_text in
//   .mp4/.m4v, SubRip in .mkv, plain text in .nut. The MP4 muxer adds an
//   empty sample (two zero bytes) in each gap between cues. MPEG-TS cannot
//   carry text subtitles in FFmpeg 5.1: asking for them in a .ts file throws.
// - data_stream_only: SMPTE KLV packets (AV_CODEC_ID_SMPTE_KLV) ten times a
//   second; only MPEG-TS (.ts) stores them, other containers throw.
// Big files quickly: the picture is simple, so libx264 tops out below high
// requested rates and the clip's length sets the size. 1920x1080, 25 fps,
// H.264, video_bit_rate 400 Mbit/s, no audio gives about 3.7 MB per second
// of clip, made about three times faster than real time on one core: 28 s
// for ~100 MiB take ~10 s (make-test-clip big.mp4 --size 1920x1080
// --bitrate 400000000 --seconds 28 --audio none). MPEG-4 Part 2 is faster
// but tops out lower (~1.1 MB per second at 1280x720).
void make_clip(const std::string &path, const ClipOptions &options);

bool h264_encoder_available();
// Whether make_clip can encode codec here (always for none).
bool video_encoder_available(VideoCodec codec);
bool audio_encoder_available(AudioCodec codec);

// A hand-made packet for files whose timestamps a test chooses itself
// (repeated, unset or negative decode times), which no encoder produces.
struct SyntheticPacket {
  int stream = 0;
  std::int64_t pts = INT64_MIN;  // INT64_MIN is FFmpeg's "no timestamp"
  std::int64_t dts = INT64_MIN;
  std::int64_t duration = 0;
  bool key = true;
  std::vector<std::uint8_t> data;
};

struct SyntheticStream {
  enum class Kind { video, audio, subtitle, data } kind = Kind::video;
  int time_base_num = 1;
  int time_base_den = 1000;
  int codec_id = 0;  // AVCodecID; 0: a default for the kind (data: AV_CODEC_ID_BIN_DATA allowed too)
                     // -- see write_synthetic() for what each kind keeps
};

// Writes streams and packets, in the order given, into an MPEG-TS file
// (".ts"), without libavformat's muxing checks: repeated, falling, negative
// and unset times reach the file. MPEG-TS keeps times in 33 bits at 90 kHz;
// read_media() reports them in 1/90000 whatever time base was given here.
//
// What reading the file back with av_read_frame returns (checked in
// media_fixture_tests):
// - data streams (default codec SMPTE KLV; AV_CODEC_ID_BIN_DATA allowed):
//   every packet byte for byte with its times as written.
// - H.264 video (the default): the same, when the payloads are whole
//   Annex B access units beginning with an access unit delimiter, as
//   synthetic_video_payloads() gives (the muxer inserts a delimiter where
//   one is missing, and the reader splits what is not a whole picture).
//   Unset times stay unset.
// - MPEG-4 Part 2 video: like H.264, except that packets without times get
//   times made up by the reader.
// - MP2 audio (the default for audio; payloads must be whole MP2 frames):
//   packets without times get times made up by the reader.
// Limits of the format, for every stream:
// - durations are not stored (MPEG-TS has none); the reader derives its
//   own, and judges key flags itself (data packets always count as key).
// - a presentation time without a decode time comes back as both equal to
//   it; a decode time without a presentation time comes back unset.
// - negative times come back negative only when the first time in the file
//   is negative (the reader then takes times near 2^33 as negative);
//   otherwise t < 0 comes back as t + 2^33. Times must lie within ±2^32
//   ticks of 1/90000.
// Subtitle streams are refused (std::runtime_error): MPEG-TS carries no
// text subtitles, and DVB subtitle packets are re-parsed on reading.
void write_synthetic(const std::string &path, const std::vector<SyntheticStream> &streams,
                     const std::vector<SyntheticPacket> &packets);
const char *synthetic_container_extension();

// Payloads for a synthetic video stream: count pictures of a clip without
// B-frames, the first a keyframe, as the stream's codec wants them (H.264
// access units with delimiters; MPEG-4 Part 2 frames where libx264 is
// missing). Makes and reads back a scratch clip at scratch_path (a ".ts"
// name; the file is left there).
struct SyntheticVideoPayloads {
  int codec_id = 0;  // AVCodecID, for SyntheticStream::codec_id
  std::vector<std::vector<std::uint8_t>> pictures;
};
SyntheticVideoPayloads synthetic_video_payloads(const std::string &scratch_path, int count);

}  // namespace folio_test::media

#endif
