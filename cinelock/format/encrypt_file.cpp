// video_crypt_encrypt: re-mux a media file into protected form.
#include <cstring>
#include <new>
#include <vector>

#include "cinelock.h"
#include "format/annexb_to_avcc.h"
#include "format/media_log.h"
#include "format/packet_cipher.h"
#include "format/packet_reader.h"
#include "format/packet_sealer.h"
#include "format/remuxer.h"
#include "format/stream_kinds.h"
#include "format/transcode_progress.h"

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

// Copies the input's packets to their output streams, sealing the video
// packets past the clear lead-in. Each output stream takes only strictly
// increasing decode times: a packet whose decode time is unset or not
// above the last one written to its stream is left out.
int copy_packets(Remuxer &remux, const std::vector<int> &map,
                 const std::vector<Preparation> &preparations, const PacketCipher &cipher) {
  AVFormatContext *input = remux.input();
  AVFormatContext *output = remux.output();
  Packet packet;
  if (!packet) return AVERROR(ENOMEM);
  PacketSealer sealer(cipher);
  std::vector<std::int64_t> last_dts(output->nb_streams, AV_NOPTS_VALUE);

  // What the loop needs of the input streams, taken before the reader
  // starts: the map covers exactly these, later streams are left out.
  struct Source {
    AVRational time_base;
    bool video;
  };
  std::vector<Source> sources;
  for (int i = 0; i + 1 < static_cast<int>(map.size()); ++i)
    sources.push_back({input->streams[i]->time_base,
                       input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO});
  const std::int64_t input_size = input->pb ? avio_size(input->pb) : -1;

  PacketReader reader(input);
  int result;
  std::int64_t position = 0;
  while ((result = reader.next(packet.get(), &position)) >= 0) {
    report_progress(position, input_size);
    const int source = packet->stream_index;
    if (source >= static_cast<int>(sources.size()) || map[source] < 0) {
      av_packet_unref(packet.get());
      continue;
    }
    const AVStream *out = output->streams[map[source]];
    packet->stream_index = map[source];
    av_packet_rescale_ts(packet.get(), sources[source].time_base, out->time_base);
    packet->pos = -1;

    std::int64_t &last = last_dts[map[source]];
    if (packet->dts == AV_NOPTS_VALUE || (last != AV_NOPTS_VALUE && packet->dts <= last)) {
      av_packet_unref(packet.get());
      continue;
    }
    last = packet->dts;

    if (preparations[map[source]] == Preparation::annexb_to_avcc &&
        (result = convert_annexb_packet(packet.get())) < 0)
      break;
    if (sources[source].video && past_clear_lead(packet->dts, out->time_base)) {
      if ((result = sealer.seal(packet.get(), packet->dts)) < 0) break;
    }
    if ((result = av_interleaved_write_frame(output, packet.get())) < 0) {
      log_error("Error muxing packet %s\n", error_text(result).text);
      break;
    }
  }
  av_packet_unref(packet.get());
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
    map[i] = next_output++;
    if (const int result = remux.add_copy_of(input->streams[i]); result < 0) return result;
    AVStream *added = remux.output()->streams[map[i]];
    if (const int result = prepare_stream(added, preparations[map[i]]); result < 0) return result;
  }

  remux.output()->max_interleave_delta = kInterleaveSpanUs;
  if (const int result = remux.start_output(); result < 0) return result;
  int result = write_header_packet(remux.output(), header, header_len);
  if (result >= 0) result = copy_packets(remux, map, preparations, cipher);
  return remux.finish(result);
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
