#include "input_throttle.h"

#include <chrono>

namespace pageview {

namespace {

std::int64_t steadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

InputClock &currentClock() {
  static InputClock clock = steadyMilliseconds;
  return clock;
}

std::int64_t now() { return currentClock()(); }

}  // namespace

void setInputClock(InputClock clock) {
  currentClock() = clock ? clock : steadyMilliseconds;
  wheelThrottle().restart();
  zoomThrottle().restart();
  pinchThrottle().restart();
}

InputThrottle::InputThrottle() : last_(now()) {}

bool InputThrottle::accept() {
  const std::int64_t time = now();
  if (time - last_ < kInputIntervalMs) return false;
  last_ = time;
  return true;
}

void InputThrottle::restart() { last_ = now(); }

// Made when the program starts rather than on first use: the limits count
// from the start.
namespace {
InputThrottle wheel;
InputThrottle zoom;
InputThrottle pinch;
}  // namespace

InputThrottle &wheelThrottle() { return wheel; }
InputThrottle &zoomThrottle() { return zoom; }
InputThrottle &pinchThrottle() { return pinch; }

}  // namespace pageview
