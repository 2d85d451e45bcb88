// Packets a pipeline stage has finished with, in order, waiting for the
// next stage to take them.
#ifndef CINELOCK_FORMAT_PACKET_QUEUE_H
#define CINELOCK_FORMAT_PACKET_QUEUE_H

#include <deque>

extern "C" {
#include <libavcodec/packet.h>
}

namespace cinelock {

// Moves the first waiting packet into packet (which must hold no data);
// false when none waits.
inline bool take_first(std::deque<AVPacket *> &waiting, AVPacket *packet) {
  if (waiting.empty()) return false;
  AVPacket *next = waiting.front();
  waiting.pop_front();
  av_packet_move_ref(packet, next);
  av_packet_free(&next);
  return true;
}

}  // namespace cinelock

#endif
