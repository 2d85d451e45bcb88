#include "presenter/media_clock.h"

#include <cmath>

extern "C" {
#include <libavutil/time.h>
}

namespace cinelock {

namespace {

// Further apart than this, a following clock is reset rather than trusted.
constexpr double kNoSyncThreshold = 10.0;

}  // namespace

double clock_now() { return static_cast<double>(av_gettime_relative()) / 1'000'000.0; }

void clock_init(media_clock *clock, const std::atomic<int> *queue_serial) {
  clock->speed = 1.0;
  clock->paused = 0;
  clock->queue_serial = queue_serial;
  clock_set(clock, NAN, -1);
}

double clock_get(const media_clock *clock, double now) {
  if (clock->queue_serial && clock->queue_serial->load(std::memory_order_relaxed) != clock->serial)
    return NAN;
  if (clock->paused) return clock->pts;
  const double last_updated = clock->last_updated;
  return clock->pts_drift + now - (now - last_updated) * (1.0 - clock->speed);
}

double clock_get(const media_clock *clock) { return clock_get(clock, clock_now()); }

void clock_set_at(media_clock *clock, double pts, int serial, double time) {
  clock->pts = pts;
  clock->last_updated = time;
  clock->pts_drift = pts - time;
  clock->serial = serial;
}

void clock_set(media_clock *clock, double pts, int serial) { clock_set_at(clock, pts, serial, clock_now()); }

void clock_set_speed(media_clock *clock, double speed) {
  clock_set(clock, clock_get(clock), clock->serial);
  clock->speed = speed;
}

void clock_follow(media_clock *clock, const media_clock *slave) {
  const double ours = clock_get(clock);
  const double theirs = clock_get(slave);
  if (!std::isnan(theirs) && (std::isnan(ours) || std::fabs(ours - theirs) > kNoSyncThreshold))
    clock_set(clock, theirs, slave->serial);
}

}  // namespace cinelock
