// The decoding loop behind decode_stream(), shared by the frame and audio
// probes.
#ifndef FOLIO_TEST_MEDIA_INPUT_FILE_DECODE_H
#define FOLIO_TEST_MEDIA_INPUT_FILE_DECODE_H

#include "support/media/av_error.h"

namespace folio_test::media {

namespace detail {

template <typename OnFrame>
void receive_frames(AVCodecContext *decoder, AVFrame *frame, OnFrame &on_frame) {
  for (;;) {
    const int received = avcodec_receive_frame(decoder, frame);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
    check_av(received, "decoding a frame");
    on_frame(const_cast<const AVFrame *>(frame));
    av_frame_unref(frame);
  }
}

}  // namespace detail

template <typename OnFrame>
void decode_stream(AVFormatContext *input, int stream_index, AVCodecContext *decoder, OnFrame on_frame) {
  PacketPtr packet = make_packet();
  FramePtr frame = make_frame();
  for (;;) {
    const int read = av_read_frame(input, packet.get());
    if (read == AVERROR_EOF) break;
    check_av(read, "reading a packet");
    if (packet->stream_index == stream_index) {
      const int sent = avcodec_send_packet(decoder, packet.get());
      av_packet_unref(packet.get());
      check_av(sent, "sending a packet to the decoder");
      detail::receive_frames(decoder, frame.get(), on_frame);
    } else {
      av_packet_unref(packet.get());
    }
  }
  check_av(avcodec_send_packet(decoder, nullptr), "draining the decoder");
  detail::receive_frames(decoder, frame.get(), on_frame);
}

}  // namespace folio_test::media

#endif
