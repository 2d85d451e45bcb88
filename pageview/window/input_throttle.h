// The 300 ms limits on wheel scrolling, wheel zooming and pinch evaluation.
// Each limit keeps one process-wide time, set when the program starts, so
// that input arriving in the first 300 ms is ignored as well. One window
// per process is assumed.
#ifndef PAGEVIEW_WINDOW_INPUT_THROTTLE_H
#define PAGEVIEW_WINDOW_INPUT_THROTTLE_H

#include <cstdint>

namespace pageview {

constexpr std::int64_t kInputIntervalMs = 300;

// Milliseconds on a monotonic clock.
using InputClock = std::int64_t (*)();

// Replaces the clock (null restores the steady clock) and restarts every
// limit at the new clock's time. Tests drive time through this.
void setInputClock(InputClock clock);

class InputThrottle {
 public:
  InputThrottle();
  // True, and the time is recorded, when at least kInputIntervalMs have
  // passed since the last accepted event.
  bool accept();
  void restart();

 private:
  std::int64_t last_;
};

InputThrottle &wheelThrottle();
InputThrottle &zoomThrottle();
InputThrottle &pinchThrottle();

}  // namespace pageview

#endif
