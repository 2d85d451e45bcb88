#include "support/media/clip_video.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "support/media/av_error.h"
#include "support/media/test_picture.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace folio_test::media {

namespace {

// The encoder behind each codec (h264 falls back to MPEG-4 Part 2).
const char *encoder_name(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::h264: return "libx264";
    case VideoCodec::hevc: return "libx265";
    case VideoCodec::vp8: return "libvpx";
    case VideoCodec::vp9: return "libvpx-vp9";
    case VideoCodec::av1: return "libaom-av1";
    case VideoCodec::mpeg2: return "mpeg2video";
    case VideoCodec::mjpeg: return "mjpeg";
    case VideoCodec::theora: return "libtheora";
    case VideoCodec::mpeg4:
    case VideoCodec::none: break;
  }
  return "mpeg4";
}

const AVCodec *pick_video_encoder(VideoCodec requested) {
  if (const AVCodec *codec = avcodec_find_encoder_by_name(encoder_name(requested))) return codec;
  if (requested != VideoCodec::h264 && requested != VideoCodec::mpeg4)
    throw std::runtime_error(std::string("no ") + encoder_name(requested) + " encoder in this libavcodec");
  const AVCodec *mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!mpeg4) throw std::runtime_error("no MPEG-4 Part 2 video encoder in this libavcodec");
  return mpeg4;
}

bool is_named(const AVCodec *codec, const char *name) { return std::string(codec->name) == name; }

void set_option(AVCodecContext *encoder, const char *name, const std::string &value) {
  check_av(av_opt_set(encoder->priv_data, name, value.c_str(), 0),
           std::string("setting the ") + encoder->codec->name + " option " + name);
}

// Encoder settings beyond the common ones: speed first, one thread, and
// the stream features real files of each codec have.
void configure_encoder(AVCodecContext *encoder, const AVCodec *codec, int b_frames, int fps) {
  if (is_named(codec, "libx264")) {
    // The fastest preset, so that large benchmark files come quickly; it
    // turns B-frames off, so they are asked for again explicitly.
    set_option(encoder, "preset", "ultrafast");
    set_option(encoder, "x264-params",
               "bframes=" + std::to_string(b_frames) + ":b-adapt=0:sliced-threads=0");
  } else if (is_named(codec, "libx265")) {
    set_option(encoder, "preset", "ultrafast");
    set_option(encoder, "x265-params",
               "log-level=error:pools=none:frame-threads=1:bframes=" + std::to_string(b_frames) +
                   ":b-adapt=0:keyint=" + std::to_string(fps));
  } else if (is_named(codec, "libvpx") || is_named(codec, "libvpx-vp9")) {
    set_option(encoder, "deadline", "good");
    set_option(encoder, "cpu-used", "5");
    if (is_named(codec, "libvpx-vp9")) {
      set_option(encoder, "auto-alt-ref", "1");
      set_option(encoder, "lag-in-frames", "16");
    }
  } else if (is_named(codec, "libaom-av1")) {
    set_option(encoder, "usage", "realtime");
    set_option(encoder, "cpu-used", "8");
  } else if (encoder->bit_rate == 0) {
    // A fixed quantiser instead of the encoder's low default rate, so the
    // pictures stay recognisable.
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * 4;
  }
}

// The encoders that reorder pictures (B-frames); the others refuse to be
// asked for any.
bool takes_b_frames(const AVCodec *codec) {
  return is_named(codec, "libx264") || is_named(codec, "libx265") || is_named(codec, "mpeg4") ||
         is_named(codec, "mpeg2video");
}

// MJPEG takes full-range pictures; everything else limited-range 4:2:0.
AVPixelFormat picture_format(const AVCodec *codec) {
  return is_named(codec, "mjpeg") ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
}

// Short and long frame intervals alternate: 1 and 3 ticks of 1/(2 fps),
// which keeps the average rate at fps.
std::int64_t ticks_after(long frame_number, bool variable_frame_rate) {
  if (!variable_frame_rate) return 1;
  return frame_number % 2 == 0 ? 1 : 3;
}

}  // namespace

bool video_encoder_available(VideoCodec codec) {
  return codec == VideoCodec::none || avcodec_find_encoder_by_name(encoder_name(codec)) != nullptr;
}

VideoClipTrack::VideoClipTrack(AVFormatContext *output, const ClipOptions &options)
    : output_(output), variable_frame_rate_(options.variable_frame_rate),
      frame_number_band_(options.frame_number_band) {
  if (options.fps <= 0) throw std::runtime_error("the frame rate must be positive");
  if (options.width <= 0 || options.height <= 0 || options.width % 2 || options.height % 2) {
    throw std::runtime_error("the picture size must be positive and even (4:2:0 chroma)");
  }
  if (options.b_frames < 0) throw std::runtime_error("the number of B-frames cannot be negative");
  frame_count_ = std::max(1L, std::lround(options.seconds * options.fps));

  const AVCodec *codec = pick_video_encoder(options.video);
  encoder_ = make_codec_context(codec);
  AVCodecContext *encoder = encoder_.get();
  encoder->width = options.width;
  encoder->height = options.height;
  encoder->pix_fmt = picture_format(codec);
  encoder->time_base = AVRational{1, options.fps * (variable_frame_rate_ ? 2 : 1)};
  encoder->framerate = AVRational{options.fps, 1};
  encoder->gop_size = options.fps;
  if (takes_b_frames(codec)) encoder->max_b_frames = options.b_frames;
  encoder->thread_count = 1;
  if (options.video_bit_rate > 0) encoder->bit_rate = options.video_bit_rate;
  configure_encoder(encoder, codec, options.b_frames, options.fps);
  request_global_header_if_needed(output, encoder);
  check_av(avcodec_open2(encoder, codec, nullptr), std::string("opening the ") + codec->name + " encoder");

  stream_ = avformat_new_stream(output, nullptr);
  if (!stream_) throw std::runtime_error("cannot add a video stream");
  stream_->time_base = encoder->time_base;
  if (!variable_frame_rate_) stream_->avg_frame_rate = encoder->framerate;
  check_av(avcodec_parameters_from_context(stream_->codecpar, encoder), "copying video encoder parameters");

  frame_ = make_frame();
  frame_->format = encoder->pix_fmt;
  frame_->width = encoder->width;
  frame_->height = encoder->height;
  check_av(av_frame_get_buffer(frame_.get(), 0), "allocating a video frame");
  packet_ = make_packet();
}

double VideoClipTrack::next_time_seconds() const {
  return static_cast<double>(next_pts_) * av_q2d(encoder_->time_base);
}

void VideoClipTrack::write_next() {
  // The encoder may still hold a reference to the previous picture.
  check_av(av_frame_make_writable(frame_.get()), "making a video frame writable");
  paint_test_picture(frame_.get(), next_frame_, frame_number_band_);
  frame_->pts = next_pts_;
  frame_->quality = encoder_->global_quality;
  frame_->pict_type = AV_PICTURE_TYPE_NONE;
  encode_and_write(encoder_.get(), frame_.get(), stream_, output_, packet_.get());
  next_pts_ += ticks_after(next_frame_, variable_frame_rate_);
  ++next_frame_;
}

void VideoClipTrack::finish() { encode_and_write(encoder_.get(), nullptr, stream_, output_, packet_.get()); }

}  // namespace folio_test::media
