#include "support/media/clip_subtitles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "support/media/av_error.h"

namespace folio_test::media {

namespace {

// Text subtitle encoders take their styles from an ASS script header.
const char ass_header[] =
    "[Script Info]\n"
    "ScriptType: v4.00+\n"
    "PlayResX: 384\n"
    "PlayResY: 288\n"
    "\n"
    "[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
    "Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\n"
    "\n"
    "[Events]\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

bool container_takes(const AVOutputFormat *format, AVCodecID codec) {
  return avformat_query_codec(format, codec, FF_COMPLIANCE_NORMAL) == 1;
}

AVCodecID text_codec_for(const AVOutputFormat *format) {
  if (std::strcmp(format->name, "mpegts") == 0) {
    throw std::runtime_error("MPEG-TS cannot carry text subtitles (FFmpeg 5.1 has no muxing for them); "
                             "use .mp4, .m4v, .mkv or .nut");
  }
  if (container_takes(format, AV_CODEC_ID_MOV_TEXT)) return AV_CODEC_ID_MOV_TEXT;
  if (container_takes(format, AV_CODEC_ID_SUBRIP)) return AV_CODEC_ID_SUBRIP;
  // NUT names plain UTF-8 text, not SubRip, among its subtitle codecs.
  if (container_takes(format, AV_CODEC_ID_TEXT)) return AV_CODEC_ID_TEXT;
  throw std::runtime_error(std::string("the ") + format->name + " container takes no text subtitles");
}

}  // namespace

std::string clip_cue_text(int cue) { return "Cue " + std::to_string(cue); }

SubtitleClipTrack::SubtitleClipTrack(AVFormatContext *output, const ClipOptions &options) : output_(output) {
  const AVCodecID id = text_codec_for(output->oformat);
  const AVCodec *codec = avcodec_find_encoder(id);
  if (!codec) throw std::runtime_error(std::string("no ") + avcodec_get_name(id) + " encoder in this libavcodec");
  cue_count_ = std::max(1, static_cast<int>(std::ceil(options.seconds)));

  encoder_ = make_codec_context(codec);
  AVCodecContext *encoder = encoder_.get();
  encoder->time_base = milliseconds;
  encoder->subtitle_header = reinterpret_cast<std::uint8_t *>(av_strdup(ass_header));
  if (!encoder->subtitle_header) throw std::runtime_error("cannot allocate the subtitle header");
  encoder->subtitle_header_size = static_cast<int>(std::strlen(ass_header));
  check_av(avcodec_open2(encoder, codec, nullptr), std::string("opening the ") + codec->name + " encoder");

  stream_ = avformat_new_stream(output, nullptr);
  if (!stream_) throw std::runtime_error("cannot add a subtitle stream");
  stream_->time_base = milliseconds;
  check_av(avcodec_parameters_from_context(stream_->codecpar, encoder), "copying subtitle encoder parameters");
  packet_ = make_packet();
}

void SubtitleClipTrack::write_next() {
  // Dialogue fields after the timing: ReadOrder, Layer, Style, Name,
  // MarginL, MarginR, MarginV, Effect, Text.
  std::string dialogue = "0,0,Default,,0,0,0,," + clip_cue_text(next_cue_);
  AVSubtitleRect rect{};
  rect.type = SUBTITLE_ASS;
  rect.ass = dialogue.data();
  AVSubtitleRect *rects[] = {&rect};
  AVSubtitle cue{};
  cue.format = 1;
  cue.start_display_time = 0;
  cue.end_display_time = clip_cue_milliseconds;
  cue.num_rects = 1;
  cue.rects = rects;
  const std::int64_t start_ms = std::int64_t{next_cue_} * 1000;
  cue.pts = av_rescale_q(start_ms, milliseconds, AV_TIME_BASE_Q);

  std::vector<std::uint8_t> buffer(1024);
  const int size = check_av(avcodec_encode_subtitle(encoder_.get(), buffer.data(), static_cast<int>(buffer.size()), &cue),
                            "encoding a subtitle cue");
  check_av(av_new_packet(packet_.get(), size), "allocating a subtitle packet");
  std::memcpy(packet_->data, buffer.data(), static_cast<std::size_t>(size));
  packet_->pts = start_ms;
  packet_->dts = start_ms;
  packet_->duration = clip_cue_milliseconds;
  packet_->flags |= AV_PKT_FLAG_KEY;
  av_packet_rescale_ts(packet_.get(), milliseconds, stream_->time_base);
  packet_->stream_index = stream_->index;
  check_av(av_interleaved_write_frame(output_, packet_.get()), "muxing a subtitle packet");
  ++next_cue_;
}

}  // namespace folio_test::media
