#include "support/media/media_probe.h"

#include "support/media/input_file.h"

namespace folio_test::media {

namespace {

PacketInfo copy_packet(const AVPacket &packet) {
  PacketInfo info;
  info.stream = packet.stream_index;
  info.pts = packet.pts;
  info.dts = packet.dts;
  info.duration = packet.duration;
  info.key = (packet.flags & AV_PKT_FLAG_KEY) != 0;
  info.data.assign(packet.data, packet.data + packet.size);
  return info;
}

}  // namespace

MediaFile read_media(const std::string &path) {
  InputContextPtr input = open_input_file(path);
  MediaFile file;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVStream *stream = input->streams[i];
    StreamInfo info;
    info.index = static_cast<int>(i);
    info.media_type = stream->codecpar->codec_type;
    info.codec_id = stream->codecpar->codec_id;
    info.time_base_num = stream->time_base.num;
    info.time_base_den = stream->time_base.den;
    const AVCodecParameters *parameters = stream->codecpar;
    if (parameters->extradata_size > 0)
      info.extradata.assign(parameters->extradata, parameters->extradata + parameters->extradata_size);
    file.streams.push_back(info);
  }
  PacketPtr packet = make_packet();
  for (;;) {
    const int read = av_read_frame(input.get(), packet.get());
    if (read == AVERROR_EOF) break;
    check_av(read, "reading a packet of " + path);
    file.packets.push_back(copy_packet(*packet));
    av_packet_unref(packet.get());
  }
  file.duration_us = input->duration;
  return file;
}

}  // namespace folio_test::media
