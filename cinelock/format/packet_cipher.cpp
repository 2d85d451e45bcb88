#include "format/packet_cipher.h"

#include <cstring>

#include "crypto/aes_ctr.h"
#include "format/media_log.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace cinelock {

std::int64_t trailer_offset(const std::uint8_t *trailer) {
  std::uint64_t value = 0;
  for (int i = kTrailerBytes - 1; i >= 0; --i) value = value << 8 | trailer[i];
  return static_cast<std::int64_t>(value);
}

bool past_clear_lead(std::int64_t dts, AVRational time_base) {
  if (dts == AV_NOPTS_VALUE) return false;
  // av_rescale rounds to nearest, halves away from zero: 1.48 s is 1 and
  // stays clear, 1.52 s is 2.
  return av_rescale(dts, time_base.num, time_base.den) > kClearLeadSeconds;
}

bool key_accepted(const unsigned char *key, int keybits) {
  if (!key) {
    log_error("file key is empty");
    return false;
  }
  if (keybits != 128 && keybits != 192 && keybits != 256) {
    log_error("invalid file key");
    return false;
  }
  return true;
}

PacketCipher::PacketCipher(const unsigned char *key, int keybits,
                           const unsigned char nonce[kNonceBytes]) {
  aes_init(&schedule_);
  aes_setkey_enc(&schedule_, key, static_cast<unsigned>(keybits));
  std::memcpy(nonce_, nonce, kNonceBytes);
}

PacketCipher::~PacketCipher() { aes_free(&schedule_); }

void PacketCipher::apply(const std::uint8_t *input, std::uint8_t *output, int length,
                         std::int64_t offset) const {
  aes_crypt_ctr(&schedule_, AES_ENCRYPT, length, nonce_, offset, input, output);
}

bool PacketCipher::open(AVPacket *packet) const {
  if (packet->size < kTrailerBytes) return false;
  if (av_packet_make_writable(packet) < 0) return false;
  const int length = packet->size - kTrailerBytes;
  const std::int64_t offset = trailer_offset(packet->data + length);
  apply(packet->data, packet->data, length, offset);
  av_shrink_packet(packet, length);
  return true;
}

}  // namespace cinelock
