// Owning handles for FFmpeg objects, so that every exit path (exceptions
// included) releases them.
#ifndef FOLIO_TEST_MEDIA_AV_HANDLES_H
#define FOLIO_TEST_MEDIA_AV_HANDLES_H

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace folio_test::media {

struct OutputContextRelease {
  void operator()(AVFormatContext *context) const {
    // Custom I/O belongs to whoever set it up.
    const bool own_io = !(context->flags & AVFMT_FLAG_CUSTOM_IO) && !(context->oformat->flags & AVFMT_NOFILE);
    if (context->pb && own_io) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct InputContextRelease {
  void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecContextRelease {
  void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameRelease {
  void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketRelease {
  void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextRelease>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextRelease>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextRelease>;
using FramePtr = std::unique_ptr<AVFrame, FrameRelease>;
using PacketPtr = std::unique_ptr<AVPacket, PacketRelease>;

// Each throws std::runtime_error when FFmpeg cannot allocate.
CodecContextPtr make_codec_context(const AVCodec *codec);
FramePtr make_frame();
PacketPtr make_packet();

}  // namespace folio_test::media

#endif
