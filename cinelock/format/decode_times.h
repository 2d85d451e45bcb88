// Decode times for packets that come without one. Matroska stores none:
// the demuxer works them out from presentation times, and only once it
// has seen enough packets to know how far pictures are reordered, so the
// first pictures of a stream with B-frames have none. Dropping them would
// lose the whole first group of pictures, and the sealing offset and the
// clear lead-in both depend on a packet's decode time.
//
// A packet without a decode time is given one:
// - at the start of a stream, by counting back from the first decode time
//   the demuxer gives, a packet's duration at a time (never past its
//   presentation time); the packets wait here until that time is known;
// - later on, the previous packet's decode time plus its duration;
// - in a stream that never gets one, counting on from the first packet's
//   presentation time.
// The times given rise strictly, so the MP4 muxer stores them as they are
// and a reader of the protected file sees the very same ones.
#ifndef CINELOCK_DECODE_TIMES_H
#define CINELOCK_DECODE_TIMES_H

#include <cstdint>
#include <deque>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

namespace cinelock {

class DecodeTimes {
 public:
  DecodeTimes() = default;
  ~DecodeTimes();
  DecodeTimes(const DecodeTimes &) = delete;
  DecodeTimes &operator=(const DecodeTimes &) = delete;

  // Takes the packet's reference (blank on return). Its times must be in
  // the stream's output time base. An FFmpeg code (ENOMEM).
  int add(AVPacket *packet);
  // No more packets: those still waiting for a time get theirs.
  void end();
  // Moves the next packet whose decode time is known into packet: true,
  // or false when none is ready.
  bool take(AVPacket *packet);

 private:
  void count_back_from(std::int64_t dts);

  std::deque<AVPacket *> waiting_;  // no decode time known before them
  std::deque<AVPacket *> ready_;
  std::int64_t last_dts_ = AV_NOPTS_VALUE;
  std::int64_t last_duration_ = 0;
};

}  // namespace cinelock

#endif
