// write_synthetic: every packet goes through its own MPEG-TS muxer and the
// pieces are joined. libavformat refuses or rewrites timestamps by
// comparing a packet with the one before it in the same stream (a check it
// skips when that one was at time 0), and its MPEG-TS muxer wants the
// first packet of a stream to carry both times. So each piece first writes
// a priming copy of the packet at time 0, which satisfies both, then the
// packet itself; the priming copy's transport packets are cut out again.
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "support/media/av_error.h"
#include "support/media/av_handles.h"
#include "support/media/media_fixtures.h"
#include "support/media/ts_continuity.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace folio_test::media {

namespace {

// Above the reorder depth libavformat's muxing layer can model, which keeps
// it from deriving missing decode times from presentation times.
constexpr int no_reorder_guessing_delay = 17;
constexpr int first_stream_pid = 0x100;

AVMediaType media_type_of(SyntheticStream::Kind kind) {
  switch (kind) {
    case SyntheticStream::Kind::video: return AVMEDIA_TYPE_VIDEO;
    case SyntheticStream::Kind::audio: return AVMEDIA_TYPE_AUDIO;
    case SyntheticStream::Kind::subtitle: return AVMEDIA_TYPE_SUBTITLE;
    case SyntheticStream::Kind::data: return AVMEDIA_TYPE_DATA;
  }
  return AVMEDIA_TYPE_UNKNOWN;
}

AVCodecID codec_of(const SyntheticStream &stream) {
  if (stream.codec_id != 0) return static_cast<AVCodecID>(stream.codec_id);
  switch (stream.kind) {
    case SyntheticStream::Kind::video: return AV_CODEC_ID_H264;
    case SyntheticStream::Kind::audio: return AV_CODEC_ID_MP2;
    case SyntheticStream::Kind::subtitle: return AV_CODEC_ID_NONE;
    case SyntheticStream::Kind::data: return AV_CODEC_ID_SMPTE_KLV;
  }
  return AV_CODEC_ID_NONE;
}

void describe_stream(AVStream *stream, const SyntheticStream &given) {
  if (given.time_base_num <= 0 || given.time_base_den <= 0) {
    throw std::runtime_error("a synthetic stream needs a positive time base");
  }
  if (given.kind == SyntheticStream::Kind::subtitle) {
    throw std::runtime_error("synthetic files are MPEG-TS, which carries no text subtitles and re-parses "
                             "DVB subtitles on reading; subtitle streams are not supported");
  }
  AVCodecParameters *parameters = stream->codecpar;
  parameters->codec_type = media_type_of(given.kind);
  parameters->codec_id = codec_of(given);
  parameters->video_delay = no_reorder_guessing_delay;
  stream->time_base = AVRational{given.time_base_num, given.time_base_den};
  stream->id = first_stream_pid + stream->index;  // the PID
}

unsigned pid_of(const std::uint8_t *transport_packet) {
  return (static_cast<unsigned>(transport_packet[1] & 0x1f) << 8) | transport_packet[2];
}

// Keeps piece[0, cut) without the transport packets of pid, and all of
// piece[cut, end).
void append_without_priming(const std::vector<std::uint8_t> &piece, std::size_t cut, unsigned pid,
                            std::vector<std::uint8_t> &out) {
  if (piece.size() % ts_packet_size != 0 || cut % ts_packet_size != 0 || cut > piece.size()) {
    throw std::runtime_error("MPEG-TS muxer output is not whole 188-byte packets");
  }
  for (std::size_t at = 0; at < cut; at += ts_packet_size) {
    if (pid_of(piece.data() + at) != pid) out.insert(out.end(), piece.begin() + static_cast<std::ptrdiff_t>(at),
                                                     piece.begin() + static_cast<std::ptrdiff_t>(at + ts_packet_size));
  }
  out.insert(out.end(), piece.begin() + static_cast<std::ptrdiff_t>(cut), piece.end());
}

PacketPtr copy_for_muxer(const SyntheticPacket &packet, const SyntheticStream &given, AVRational muxer_time_base) {
  PacketPtr copy = make_packet();
  check_av(av_new_packet(copy.get(), static_cast<int>(packet.data.size())), "allocating a packet");
  std::memcpy(copy->data, packet.data.data(), packet.data.size());
  const AVRational from{given.time_base_num, given.time_base_den};
  const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
  copy->stream_index = packet.stream;
  copy->pts = av_rescale_q_rnd(packet.pts, from, muxer_time_base, rounding);
  copy->dts = av_rescale_q_rnd(packet.dts, from, muxer_time_base, rounding);
  copy->duration = av_rescale_q(packet.duration, from, muxer_time_base);
  if (packet.key) copy->flags |= AV_PKT_FLAG_KEY;
  return copy;
}

// The muxer's output goes to memory; the buffer must be released through
// the call that also closes the I/O context.
class MemoryOutput {
 public:
  MemoryOutput() { check_av(avio_open_dyn_buf(&io_), "opening a memory buffer"); }
  ~MemoryOutput() {
    if (io_) {
      std::uint8_t *buffer = nullptr;
      avio_close_dyn_buf(io_, &buffer);
      av_free(buffer);
    }
  }
  MemoryOutput(const MemoryOutput &) = delete;
  MemoryOutput &operator=(const MemoryOutput &) = delete;

  AVIOContext *io() const { return io_; }

  void append_to(std::vector<std::uint8_t> &out) {
    std::uint8_t *buffer = nullptr;
    const int size = avio_close_dyn_buf(io_, &buffer);
    io_ = nullptr;
    if (size > 0) out.insert(out.end(), buffer, buffer + size);
    av_free(buffer);
  }

 private:
  AVIOContext *io_ = nullptr;
};

void check_packet(const SyntheticPacket &packet, std::size_t stream_count) {
  if (packet.stream < 0 || static_cast<std::size_t>(packet.stream) >= stream_count) {
    throw std::runtime_error("synthetic packet for stream " + std::to_string(packet.stream) +
                             ", which was not declared");
  }
  if (packet.data.empty()) throw std::runtime_error("a synthetic packet needs at least one byte");
}

// One complete transport stream holding the program tables and, when
// packet is given, that one packet.
void mux_piece(const std::vector<SyntheticStream> &streams, const SyntheticPacket *packet,
               std::vector<std::uint8_t> &out) {
  AVFormatContext *raw = nullptr;
  check_av(avformat_alloc_output_context2(&raw, nullptr, "mpegts", nullptr), "creating an MPEG-TS muxer");
  OutputContextPtr muxer(raw);
  muxer->flags |= AVFMT_FLAG_BITEXACT;
  muxer->max_delay = 0;  // no muxing delay added to the timestamps
  muxer->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
  check_av(av_opt_set(muxer->priv_data, "mpegts_copyts", "1", 0), "keeping MPEG-TS timestamps unshifted");
  for (const SyntheticStream &given : streams) {
    AVStream *stream = avformat_new_stream(muxer.get(), nullptr);
    if (!stream) throw std::runtime_error("cannot add a synthetic stream");
    describe_stream(stream, given);
  }

  MemoryOutput memory;
  muxer->pb = memory.io();
  muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
  check_av(avformat_write_header(muxer.get(), nullptr), "writing the MPEG-TS header for synthetic streams");
  std::int64_t cut = 0;
  if (packet) {
    const SyntheticStream &given = streams[static_cast<std::size_t>(packet->stream)];
    const AVRational muxer_time_base = muxer->streams[packet->stream]->time_base;
    PacketPtr priming = copy_for_muxer(*packet, given, muxer_time_base);
    priming->pts = 0;
    priming->dts = 0;
    check_av(av_write_frame(muxer.get(), priming.get()), "muxing a priming packet");
    check_av(av_write_frame(muxer.get(), nullptr), "flushing the priming packet");
    avio_flush(muxer->pb);
    cut = avio_tell(muxer->pb);
    PacketPtr real = copy_for_muxer(*packet, given, muxer_time_base);
    check_av(av_write_frame(muxer.get(), real.get()), "muxing a synthetic packet");
  }
  check_av(av_write_trailer(muxer.get()), "finishing a synthetic MPEG-TS piece");
  std::vector<std::uint8_t> piece;
  memory.append_to(piece);
  const unsigned pid = packet ? static_cast<unsigned>(first_stream_pid + packet->stream) : 0x1FFF;
  append_without_priming(piece, static_cast<std::size_t>(cut), pid, out);
}

}  // namespace

const char *synthetic_container_extension() { return ".ts"; }

void write_synthetic(const std::string &path, const std::vector<SyntheticStream> &streams,
                     const std::vector<SyntheticPacket> &packets) {
  const std::string extension = synthetic_container_extension();
  if (path.size() < extension.size() || path.compare(path.size() - extension.size(), extension.size(), extension) != 0) {
    throw std::runtime_error("synthetic files are MPEG-TS; the name must end in " + extension + ": " + path);
  }
  if (streams.empty()) throw std::runtime_error("a synthetic file needs at least one stream");
  for (const SyntheticPacket &packet : packets) check_packet(packet, streams.size());

  std::vector<std::uint8_t> transport_stream;
  if (packets.empty()) mux_piece(streams, nullptr, transport_stream);
  for (const SyntheticPacket &packet : packets) mux_piece(streams, &packet, transport_stream);
  renumber_continuity_counters(transport_stream);

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char *>(transport_stream.data()), static_cast<std::streamsize>(transport_stream.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace folio_test::media
