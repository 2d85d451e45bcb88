// The process-wide flush marker: a packet whose data pointer points at the
// packet itself. Queueing it into a packet_fifo starts a new serial there, so
// everything queued before it is stale downstream; a decoder that dequeues it
// flushes its codec. It owns no buffer (buf is null), so releasing a dequeued
// copy of it frees nothing, and the marker itself is never freed.
#ifndef CINELOCK_QUEUE_FLUSH_MARKER_H
#define CINELOCK_QUEUE_FLUSH_MARKER_H

extern "C" {
#include <libavcodec/packet.h>
}

namespace cinelock {

// Prepares the marker if it is not prepared yet; safe to call more than once
// and from several threads. 0, or AVERROR(ENOMEM) when it could not be
// allocated (a later call tries again).
int flush_marker_prepare();

// The marker, prepared on first use; nullptr only when it cannot be allocated.
// Pass it to packet_fifo_put as it is: the fifo never moves out of it.
AVPacket *flush_marker();

// True for the marker and for the packets a fifo hands out in its place
// (recognised by the data pointer). False for nullptr.
bool is_flush_marker(const AVPacket *packet);

}  // namespace cinelock

#endif
