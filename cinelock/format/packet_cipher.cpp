#include "format/packet_cipher.h"

#include <cstring>

#include "crypto/aes_ctr.h"
#include "format/media_log.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace cinelock {

namespace {

void put_le64(std::uint8_t *p, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int64_t get_le64(const std::uint8_t *p) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | p[i];
  return static_cast<std::int64_t>(value);
}

}  // namespace

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

int PacketCipher::seal(AVPacket *packet, std::int64_t dts) const {
  const int length = packet->size;
  // Growing first leaves one writable buffer to cipher in place.
  if (const int result = av_grow_packet(packet, kTrailerBytes); result < 0) return result;
  aes_crypt_ctr(&schedule_, AES_ENCRYPT, length, nonce_, dts, packet->data, packet->data);
  put_le64(packet->data + length, static_cast<std::uint64_t>(dts));
  return 0;
}

bool PacketCipher::open(AVPacket *packet) const {
  if (packet->size < kTrailerBytes) return false;
  if (av_packet_make_writable(packet) < 0) return false;
  const int length = packet->size - kTrailerBytes;
  const std::int64_t offset = get_le64(packet->data + length);
  aes_crypt_ctr(&schedule_, AES_ENCRYPT, length, nonce_, offset, packet->data, packet->data);
  av_shrink_packet(packet, length);
  return true;
}

}  // namespace cinelock
