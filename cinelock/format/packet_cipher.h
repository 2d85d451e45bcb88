// The packet rule of protected videos, shared by the file transcoder and
// the player: which video packets are enciphered (those past the clear
// lead-in), where in the keystream (at their own decode time), and the
// 8-byte trailer that carries that position.
#ifndef CINELOCK_PACKET_CIPHER_H
#define CINELOCK_PACKET_CIPHER_H

#include <cstdint>

#include "cinelock.h"
#include "crypto/aes.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/rational.h>
}

namespace cinelock {

constexpr int kClearLeadSeconds = CINELOCK_CLEAR_LEAD_SECONDS;
constexpr int kTrailerBytes = CINELOCK_TRAILER_BYTES;
constexpr int kNonceBytes = CINELOCK_NONCE_BYTES;

// True for a video packet whose decode time (in time_base units), rounded
// to whole seconds, is past the clear lead-in. Unset and negative decode
// times are inside it.
bool past_clear_lead(std::int64_t dts, AVRational time_base);

// The keystream offset a sealed packet's trailer (its last kTrailerBytes
// bytes, given here) names: little-endian, signed.
std::int64_t trailer_offset(const std::uint8_t *trailer);

// Checks a caller's key as every entry point does, logging "file key is
// empty" or "invalid file key" when it is refused.
bool key_accepted(const unsigned char *key, int keybits);

// A content key's schedule and nonce, for ciphering packets.
class PacketCipher {
 public:
  // key must have passed key_accepted.
  PacketCipher(const unsigned char *key, int keybits, const unsigned char nonce[kNonceBytes]);
  ~PacketCipher();
  PacketCipher(const PacketCipher &) = delete;
  PacketCipher &operator=(const PacketCipher &) = delete;

  // False when the cipher backend refused the key: nothing may be ciphered
  // (an unciphered "sealed" packet would leak its contents).
  bool ready() const { return schedule_.rounds != 0; }

  // output[i] = input[i] XOR keystream(offset + i); in place when equal.
  void apply(const std::uint8_t *input, std::uint8_t *output, int length, std::int64_t offset) const;

  // Deciphers a sealed packet at the offset its trailer names and removes
  // the trailer. False, with the packet untouched, when it is too short to
  // hold a trailer or cannot be made writable.
  bool open(AVPacket *packet) const;

 private:
  aes_key_schedule schedule_;
  unsigned char nonce_[kNonceBytes];
};

}  // namespace cinelock

#endif
