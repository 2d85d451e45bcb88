// video_crypt_decrypt: re-mux a protected video back into clear form.
#include <new>
#include <vector>

#include "cinelock.h"
#include "format/media_log.h"
#include "format/packet_cipher.h"
#include "format/remuxer.h"
#include "format/stream_kinds.h"
#include "format/transcode_progress.h"

namespace cinelock {

namespace {

constexpr int kNotProtected = 1;  // a non-negative result: nothing written, no failure

int copy_packets(Remuxer &remux, const std::vector<int> &map, const PacketCipher &cipher) {
  AVFormatContext *input = remux.input();
  AVFormatContext *output = remux.output();
  Packet packet;
  if (!packet) return AVERROR(ENOMEM);

  int result;
  while ((result = av_read_frame(input, packet.get())) >= 0) {
    report_progress(input);
    const int source = packet->stream_index;
    if (source >= static_cast<int>(input->nb_streams) || map[source] < 0) {
      av_packet_unref(packet.get());
      continue;
    }
    const AVStream *in = input->streams[source];
    const AVStream *out = output->streams[map[source]];
    packet->stream_index = map[source];
    av_packet_rescale_ts(packet.get(), in->time_base, out->time_base);
    packet->pos = -1;

    if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && past_clear_lead(packet->dts, out->time_base) &&
        !cipher.open(packet.get())) {
      // Too short to carry its keystream position: it cannot be deciphered,
      // and passing it on would hand the decoder ciphertext.
      log_error("Dropped a protected video packet of %d bytes: too short for its trailer\n",
                packet->size);
      av_packet_unref(packet.get());
      continue;
    }
    if ((result = av_interleaved_write_frame(output, packet.get())) < 0) {
      log_error("Error muxing packet %s\n", error_text(result).text);
      break;
    }
  }
  av_packet_unref(packet.get());
  return result;
}

int decrypt_media(const char *input_path, const char *output_path, const PacketCipher &cipher) {
  Remuxer remux;
  if (const int result = remux.open(input_path, output_path); result < 0) return result;
  const AVFormatContext *input = remux.input();

  std::vector<int> map;
  try {
    map.assign(input->nb_streams, 0);
  } catch (const std::bad_alloc &) {
    return AVERROR(ENOMEM);
  }
  bool is_protected = false;
  int next_output = 0;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (is_header_stream(input->streams[i])) is_protected = true;
    if (!is_carried(input->streams[i])) {
      map[i] = -1;
      continue;
    }
    map[i] = next_output++;
    if (const int result = remux.add_copy_of(input->streams[i]); result < 0) return result;
  }
  if (!is_protected) {
    log_error("Video not encrypted!\n");
    return kNotProtected;
  }

  if (const int result = remux.start_output(); result < 0) return remux.finish(result);
  return remux.finish(copy_packets(remux, map, cipher));
}

}  // namespace

}  // namespace cinelock

extern "C" CINELOCK_API int video_crypt_decrypt(const char *input_path, const char *output_path,
                                                const unsigned char *key, int keybits,
                                                const unsigned char *nonce) {
  using namespace cinelock;
  if (!key_accepted(key, keybits)) return CINELOCK_FAILED;
  return run_transcode(input_path, output_path, key, keybits, nonce, [&](const PacketCipher &cipher) {
    return decrypt_media(input_path, output_path, cipher);
  });
}
