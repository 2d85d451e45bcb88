#include "format/decode_times.h"

#include <algorithm>
#include <new>

extern "C" {
#include <libavutil/error.h>
}

#include "format/packet_queue.h"

namespace cinelock {

namespace {

// The step between two decode times: the packet's duration, or one tick
// when it has none, so that times still rise.
std::int64_t step_of(const AVPacket *packet) { return std::max<std::int64_t>(packet->duration, 1); }

}  // namespace

DecodeTimes::~DecodeTimes() {
  for (AVPacket *packet : waiting_) av_packet_free(&packet);
  for (AVPacket *packet : ready_) av_packet_free(&packet);
}

int DecodeTimes::add(AVPacket *packet) {
  AVPacket *kept = av_packet_alloc();
  if (!kept) return AVERROR(ENOMEM);
  av_packet_move_ref(kept, packet);
  try {
    if (kept->dts == AV_NOPTS_VALUE && last_dts_ == AV_NOPTS_VALUE) {
      waiting_.push_back(kept);
      return 0;
    }
    if (kept->dts == AV_NOPTS_VALUE) {
      kept->dts = last_dts_ + last_duration_;
    } else if (!waiting_.empty()) {
      count_back_from(kept->dts);
    }
    last_dts_ = kept->dts;
    last_duration_ = step_of(kept);
    ready_.push_back(kept);
  } catch (const std::bad_alloc &) {
    av_packet_free(&kept);
    return AVERROR(ENOMEM);
  }
  return 0;
}

void DecodeTimes::count_back_from(std::int64_t dts) {
  for (auto packet = waiting_.rbegin(); packet != waiting_.rend(); ++packet) {
    dts -= step_of(*packet);
    // A picture is decoded no later than it is shown.
    if ((*packet)->pts != AV_NOPTS_VALUE) dts = std::min(dts, (*packet)->pts);
    (*packet)->dts = dts;
  }
  ready_.insert(ready_.end(), waiting_.begin(), waiting_.end());
  waiting_.clear();
}

void DecodeTimes::end() {
  if (waiting_.empty()) return;
  std::int64_t dts = waiting_.front()->pts != AV_NOPTS_VALUE ? waiting_.front()->pts : 0;
  for (AVPacket *packet : waiting_) {
    packet->dts = dts;
    dts += step_of(packet);
  }
  ready_.insert(ready_.end(), waiting_.begin(), waiting_.end());
  waiting_.clear();
}

bool DecodeTimes::take(AVPacket *packet) { return take_first(ready_, packet); }

}  // namespace cinelock
