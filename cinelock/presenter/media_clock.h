// The player's clocks: audio, video and external. A clock reads a media
// time that advances with the system clock (at its speed) from the moment
// it was last set, and reads NaN once the packet fifo it follows has moved
// to a new serial (after a seek), until it is set again.
#ifndef CINELOCK_MEDIA_CLOCK_H
#define CINELOCK_MEDIA_CLOCK_H

#include <atomic>

namespace cinelock {

// Seconds of the relative system clock (av_gettime_relative / 1e6).
double clock_now();

struct media_clock {
  // Written by one thread, read by others without a lock: a reader that
  // sees one value a round late is harmless, a torn double is not.
  std::atomic<double> pts{0.0};           // media time at the last update, seconds
  std::atomic<double> pts_drift{0.0};     // pts minus the system time of the last update
  std::atomic<double> last_updated{0.0};  // system time of the last update
  std::atomic<double> speed{1.0};
  std::atomic<int> serial{-1};            // the serial of the packets it was last set from
  std::atomic<int> paused{0};
  const std::atomic<int> *queue_serial = nullptr;  // the serial it follows
};

// Speed 1, not paused, following queue_serial, set now to NaN with serial -1.
void clock_init(media_clock *clock, const std::atomic<int> *queue_serial);
// NaN when stale (serial differs from the followed one); the frozen pts
// when paused; else the pts advanced by the system time since, at speed.
double clock_get(const media_clock *clock, double now);
double clock_get(const media_clock *clock);
void clock_set_at(media_clock *clock, double pts, int serial, double time);
void clock_set(media_clock *clock, double pts, int serial);
void clock_set_speed(media_clock *clock, double speed);
// Sets clock to slave's reading when slave reads a number and clock reads
// NaN or is more than 10 s away from it.
void clock_follow(media_clock *clock, const media_clock *slave);

}  // namespace cinelock

#endif
