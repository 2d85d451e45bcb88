#include "support/media/av_handles.h"

#include <stdexcept>

namespace folio_test::media {

CodecContextPtr make_codec_context(const AVCodec *codec) {
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) throw std::runtime_error("cannot allocate a codec context");
  return context;
}

FramePtr make_frame() {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw std::runtime_error("cannot allocate a frame");
  return frame;
}

PacketPtr make_packet() {
  PacketPtr packet(av_packet_alloc());
  if (!packet) throw std::runtime_error("cannot allocate a packet");
  return packet;
}

}  // namespace folio_test::media
