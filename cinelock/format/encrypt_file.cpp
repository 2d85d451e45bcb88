// video_crypt_encrypt: re-mux a media file into protected form.
#include <cstring>
#include <new>
#include <vector>

#include "cinelock.h"
#include "format/annexb_to_avcc.h"
#include "format/decode_times.h"
#include "format/media_log.h"
#include "format/muxer_filters.h"
#include "format/packet_cipher.h"
#include "format/packet_reader.h"
#include "format/seal_ahead.h"
#include "format/remuxer.h"
#include "format/sealed_record.h"
#include "format/stream_kinds.h"
#include "format/transcode_progress.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace cinelock {

namespace {

constexpr int kHeaderStream = 0;

// The header stream gets its one packet before any other, so the muxer's
// interleaving would wait for a second one that never comes and buffer
// max_interleave_delta (10 s by default) of every other stream. MP4 keeps
// each stream's packets apart, so a short span is enough.
constexpr std::int64_t kInterleaveSpanUs = 500'000;

// The one container that both keeps the header stream and hands every
// sealed packet back as it was stored: Matroska, MOV, NUT, FLV and the
// .m4v muxer refuse a data stream, AVI drops it on reading, and MPEG-TS
// re-frames H.264 and MPEG-4 video by searching for start codes, which
// merges enciphered packets.
bool can_hold_protected_video(const AVOutputFormat *format) {
  return std::strcmp(format->name, "mp4") == 0;
}

// How a video stream's packets must be prepared before sealing, because
// the MP4 muxer rewrites some bitstreams packet by packet.
enum class Preparation { none, annexb_to_avcc, impossible };

Preparation preparation_for(const AVCodecParameters *parameters) {
  if (parameters->codec_type != AVMEDIA_TYPE_VIDEO) return Preparation::none;
  if (is_annexb_h264(parameters)) return Preparation::annexb_to_avcc;
  // H.265 in start-code form and AV1 are rewritten by the muxer too; no
  // clear-side conversion is offered for them.
  if (parameters->codec_id == AV_CODEC_ID_AV1) return Preparation::impossible;
  if (parameters->codec_id == AV_CODEC_ID_HEVC &&
      (parameters->extradata_size == 0 || parameters->extradata[0] != 1))
    return Preparation::impossible;
  return Preparation::none;
}

// Sets up the stream's preparation; a stream that cannot be sealed safely
// fails the call, since the muxer would otherwise destroy its ciphertext.
int prepare_stream(AVStream *stream, Preparation &preparation) {
  preparation = preparation_for(stream->codecpar);
  switch (preparation) {
    case Preparation::none:
      return 0;
    case Preparation::annexb_to_avcc:
      if (const int result = convert_annexb_extradata(stream->codecpar); result < 0) {
        log_error("Could not read the H.264 parameter sets of stream %d\n", stream->index);
        return result;
      }
      return 0;
    case Preparation::impossible:
      break;
  }
  log_error("Cannot protect %s video in MP4: the muxer rewrites its packets\n",
            avcodec_get_name(stream->codecpar->codec_id));
  return AVERROR(EINVAL);
}

// Refuses, before anything is written, a stream the container cannot
// store: the protect could not give it back.
int check_container_holds(const AVOutputFormat *format, const AVStream *stream) {
  const AVCodecParameters *parameters = stream->codecpar;
  if (avformat_query_codec(format, parameters->codec_id, FF_COMPLIANCE_NORMAL) == 1) return 0;
  log_error("Cannot protect %s %s in MP4: the container cannot hold it\n",
            avcodec_get_name(parameters->codec_id), av_get_media_type_string(parameters->codec_type));
  return AVERROR(EINVAL);
}

// The header block, as the first packet the muxer sees, without timestamps.
int write_header_packet(AVFormatContext *output, const unsigned char *header, int header_len) {
  Packet packet;
  if (!packet) return AVERROR(ENOMEM);
  if (const int result = av_new_packet(packet.get(), header_len); result < 0) return result;
  std::memcpy(packet->data, header, static_cast<std::size_t>(header_len));
  packet->stream_index = kHeaderStream;
  packet->pts = AV_NOPTS_VALUE;
  packet->dts = AV_NOPTS_VALUE;
  packet->duration = 0;
  const int result = av_write_frame(output, packet.get());
  if (result < 0) log_error("Error muxing packet %s\n", error_text(result).text);
  return result;
}

// The way from a demuxed packet to the file, stage by stage: a decode
// time where it has none, strictly rising decode times, MP4's form of
// H.264, the muxer's own bitstream filters, and only then the seal, so
// that nothing touches a packet once it is sealed (on the sealer's thread,
// while this one muxes the packets before it). Every packet written is
// recorded for the read-back check.
class ProtectPipeline {
 public:
  ProtectPipeline(AVFormatContext *output, const std::vector<Preparation> &preparations,
                  const PacketCipher &cipher, SealedRecord &record)
      : output_(output), preparations_(preparations), sealer_(cipher), record_(record),
        decode_times_(output->nb_streams), last_dts_(output->nb_streams, AV_NOPTS_VALUE) {}

  int open() {
    if (!staged_) return AVERROR(ENOMEM);
    return filters_.open(output_);
  }

  // Takes a packet already in its output stream's time base.
  int add(AVPacket *packet) {
    DecodeTimes &times = decode_times_[static_cast<std::size_t>(packet->stream_index)];
    if (const int result = times.add(packet); result < 0) return result;
    return drain(times);
  }

  int end() {
    for (DecodeTimes &times : decode_times_) {
      times.end();
      if (const int result = drain(times); result < 0) return result;
    }
    if (const int result = filters_.end(); result < 0) return result;
    if (const int result = seal_filtered(); result < 0) return result;
    return write_sealed(true);
  }

 private:
  int drain(DecodeTimes &times) {
    AVPacket *packet = staged_.get();
    while (times.take(packet)) {
      // Each output stream takes only strictly rising decode times. A
      // picture whose time goes back (clips joined without re-timing, a
      // damaged file) would be lost, so the protect fails instead; sound
      // packets are left out as before.
      std::int64_t &last = last_dts_[static_cast<std::size_t>(packet->stream_index)];
      if (last != AV_NOPTS_VALUE && packet->dts <= last) {
        const AVStream *stream = output_->streams[packet->stream_index];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
          log_error("Cannot protect this video: its decode times go back (%.3f s after %.3f s), "
                    "and pictures would be lost\n",
                    packet->dts * av_q2d(stream->time_base), last * av_q2d(stream->time_base));
          av_packet_unref(packet);
          return AVERROR_INVALIDDATA;
        }
        av_packet_unref(packet);
        continue;
      }
      last = packet->dts;
      int result = 0;
      if (preparations_[static_cast<std::size_t>(packet->stream_index)] ==
          Preparation::annexb_to_avcc)
        result = convert_annexb_packet(packet);
      if (result >= 0) result = filters_.send(packet);
      av_packet_unref(packet);
      if (result >= 0) result = seal_filtered();
      if (result < 0) return result;
    }
    return 0;
  }

  // Hands what the filters let out to the sealer, in order.
  int seal_filtered() {
    AVPacket *packet = staged_.get();
    while (filters_.take(packet)) {
      const AVStream *out = output_->streams[packet->stream_index];
      std::int64_t offset = AV_NOPTS_VALUE;
      if (out->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && past_clear_lead(packet->dts, out->time_base))
        offset = packet->dts;
      if (const int result = sealer_.push(packet, offset); result < 0) return result;
      if (const int result = write_sealed(false); result < 0) return result;
    }
    return 0;
  }

  // Writes the packets the sealer has ready; waits for them while it holds
  // too many, or, at the end, until it holds none.
  int write_sealed(bool all) {
    AVPacket *packet = staged_.get();
    std::int64_t offset = AV_NOPTS_VALUE;
    int result;
    while ((result = sealer_.pop(packet, &offset, all || sealer_.full())) > 0) {
      try {
        record_.add(packet, offset);
      } catch (const std::bad_alloc &) {
        av_packet_unref(packet);
        return AVERROR(ENOMEM);
      }
      if ((result = av_interleaved_write_frame(output_, packet)) < 0) {
        log_error("Error muxing packet %s\n", error_text(result).text);
        return result;
      }
    }
    av_packet_unref(packet);
    return result;
  }

  AVFormatContext *output_;
  const std::vector<Preparation> &preparations_;
  SealAhead sealer_;
  SealedRecord &record_;
  MuxerFilters filters_;
  std::vector<DecodeTimes> decode_times_;
  std::vector<std::int64_t> last_dts_;
  Packet staged_;
};

// Copies the input's packets to their output streams through the
// pipeline, sealing the video packets past the clear lead-in.
int copy_packets(Remuxer &remux, const std::vector<int> &map,
                 const std::vector<Preparation> &preparations, const PacketCipher &cipher,
                 SealedRecord &record) {
  AVFormatContext *input = remux.input();
  AVFormatContext *output = remux.output();
  Packet packet;
  if (!packet) return AVERROR(ENOMEM);
  ProtectPipeline pipeline(output, preparations, cipher, record);
  if (const int result = pipeline.open(); result < 0) return result;

  // What the loop needs of the input streams, taken before the reader
  // starts: the map covers exactly these, later streams are left out.
  std::vector<AVRational> time_bases;
  for (int i = 0; i + 1 < static_cast<int>(map.size()); ++i)
    time_bases.push_back(input->streams[i]->time_base);
  const std::int64_t input_size = input->pb ? avio_size(input->pb) : -1;

  PacketReader reader(input);
  int result;
  std::int64_t position = 0;
  while ((result = reader.next(packet.get(), &position)) >= 0) {
    report_progress(position, input_size);
    const int source = packet->stream_index;
    if (source >= static_cast<int>(time_bases.size()) || map[source] < 0) {
      av_packet_unref(packet.get());
      continue;
    }
    packet->stream_index = map[source];
    av_packet_rescale_ts(packet.get(), time_bases[source], output->streams[map[source]]->time_base);
    packet->pos = -1;
    if ((result = pipeline.add(packet.get())) < 0) break;
  }
  av_packet_unref(packet.get());
  if (result == AVERROR_EOF) result = pipeline.end();
  return result;
}

int encrypt_media(const char *input_path, const char *output_path, const PacketCipher &cipher,
                  const unsigned char *header, int header_len) {
  Remuxer remux;
  if (const int result = remux.open(input_path, output_path); result < 0) return result;
  const AVFormatContext *input = remux.input();
  if (!can_hold_protected_video(remux.output()->oformat)) {
    log_error("Protected videos are MP4 files; '%s' names the %s container\n", output_path,
              remux.output()->oformat->name);
    log_error("Could not create output context\n");
    return AVERROR(EINVAL);
  }

  // One entry per input stream (its output index, or -1 when left out),
  // and a last one for the header stream.
  std::vector<int> map;
  std::vector<Preparation> preparations;
  try {
    map.assign(input->nb_streams + 1, 0);
    preparations.assign(input->nb_streams + 1, Preparation::none);
  } catch (const std::bad_alloc &) {
    return AVERROR(ENOMEM);
  }
  map.back() = kHeaderStream;
  if (const int result = remux.add_header_stream(); result < 0) return result;
  int next_output = kHeaderStream + 1;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (!is_carried(input->streams[i])) {
      map[i] = -1;
      continue;
    }
    if (const int result = check_container_holds(remux.output()->oformat, input->streams[i]); result < 0)
      return result;
    map[i] = next_output++;
    if (const int result = remux.add_copy_of(input->streams[i]); result < 0) return result;
    AVStream *added = remux.output()->streams[map[i]];
    if (const int result = prepare_stream(added, preparations[map[i]]); result < 0) return result;
  }

  remux.output()->max_interleave_delta = kInterleaveSpanUs;
  if (const int result = remux.start_output(); result < 0) return remux.finish(result);
  SealedRecord record;
  int result = 0;
  try {
    record.watch(remux.output());
  } catch (const std::bad_alloc &) {
    result = AVERROR(ENOMEM);
  }
  if (result >= 0) result = write_header_packet(remux.output(), header, header_len);
  if (result >= 0) result = copy_packets(remux, map, preparations, cipher, record);
  result = remux.finish(result);
  if (result >= 0 || result == AVERROR_EOF) {
    result = record.check(output_path);
    if (result < 0) remux.remove_output();
  }
  return result;
}

}  // namespace

}  // namespace cinelock

extern "C" CINELOCK_API int video_crypt_encrypt(const char *input_path, const char *output_path,
                                                const unsigned char *key, int keybits,
                                                const unsigned char *nonce,
                                                const unsigned char *header, int header_len) {
  using namespace cinelock;
  if (!key_accepted(key, keybits)) return CINELOCK_FAILED;
  // The header block is what makes the file recognisable as protected; a
  // file without one could never be played or restored.
  if (!header || header_len <= 0) {
    log_error("file header is empty");
    return CINELOCK_FAILED;
  }
  return run_transcode(input_path, output_path, key, keybits, nonce, [&](const PacketCipher &cipher) {
    return encrypt_media(input_path, output_path, cipher, header, header_len);
  });
}
