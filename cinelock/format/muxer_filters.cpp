#include "format/muxer_filters.h"

#include <new>

#if LIBAVFORMAT_VERSION_MAJOR != 59
#error "MuxerFilters copies AVOutputFormat's writing fields as libavformat 59 lays them out"
#endif

#include "format/packet_queue.h"

namespace cinelock {

namespace {

int no_header(AVFormatContext *) { return 0; }
int no_trailer(AVFormatContext *) { return 0; }

}  // namespace

MuxerFilters::~MuxerFilters() {
  for (AVPacket *packet : ready_) av_packet_free(&packet);
  avformat_free_context(context_);
}

int MuxerFilters::open(AVFormatContext *output) {
  // Only the decision (check_bitstream), the name and the codec tables are
  // the output muxer's; it writes nothing, so it wants no file and no
  // private set-up.
  format_ = *output->oformat;
  format_.flags |= AVFMT_NOFILE;
  format_.flags_internal = 0;
  format_.init = nullptr;
  format_.deinit = nullptr;
  format_.write_header = no_header;
  format_.write_packet = collect;
  format_.write_trailer = no_trailer;
  format_.interleave_packet = nullptr;
  format_.write_uncoded_frame = nullptr;
  format_.control_message = nullptr;
  format_.get_output_timestamp = nullptr;
  if (const int result = avformat_alloc_output_context2(&context_, &format_, nullptr, nullptr);
      result < 0)
    return result;
  context_->opaque = this;
  // Times go through as given: the output muxer makes its own shifts.
  context_->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
  for (unsigned i = 0; i < output->nb_streams; ++i) {
    AVStream *stream = avformat_new_stream(context_, nullptr);
    if (!stream) return AVERROR(ENOMEM);
    if (const int result = avcodec_parameters_copy(stream->codecpar, output->streams[i]->codecpar);
        result < 0)
      return result;
    stream->time_base = output->streams[i]->time_base;
  }
  if (const int result = avformat_write_header(context_, nullptr); result < 0) return result;
  output->flags &= ~AVFMT_FLAG_AUTO_BSF;
  return 0;
}

int MuxerFilters::collect(AVFormatContext *context, AVPacket *packet) {
  auto *self = static_cast<MuxerFilters *>(context->opaque);
  AVPacket *kept = av_packet_clone(packet);
  if (!kept) return AVERROR(ENOMEM);
  try {
    self->ready_.push_back(kept);
  } catch (const std::bad_alloc &) {
    av_packet_free(&kept);
    return AVERROR(ENOMEM);
  }
  return 0;
}

int MuxerFilters::send(AVPacket *packet) {
  // The direct writer: the filters' output comes back in the order the
  // packets went in, and the caller's interleaving stays the output's.
  const int result = av_write_frame(context_, packet);
  av_packet_unref(packet);
  return result;
}

int MuxerFilters::end() {
  if (ended_) return 0;
  ended_ = true;
  return av_write_trailer(context_);
}

bool MuxerFilters::take(AVPacket *packet) { return take_first(ready_, packet); }

}  // namespace cinelock
