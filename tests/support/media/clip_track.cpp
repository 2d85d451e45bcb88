#include "support/media/clip_track.h"

#include "support/media/av_error.h"

namespace folio_test::media {

void encode_and_write(AVCodecContext *encoder, const AVFrame *frame, AVStream *stream,
                      AVFormatContext *output, AVPacket *packet) {
  check_av(avcodec_send_frame(encoder, frame), std::string("sending a frame to ") + encoder->codec->name);
  for (;;) {
    int received = avcodec_receive_packet(encoder, packet);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
    check_av(received, std::string("receiving a packet from ") + encoder->codec->name);
    av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
    packet->stream_index = stream->index;
    // The writer takes the packet's reference whether or not it succeeds.
    check_av(av_interleaved_write_frame(output, packet), "muxing a packet");
  }
}

void request_global_header_if_needed(const AVFormatContext *output, AVCodecContext *encoder) {
  if (output->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

}  // namespace folio_test::media
