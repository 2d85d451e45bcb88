// A private X server (Xvfb, no GL acceleration: Mesa's software
// rasteriser at most) for the benchmarks that play into a window on X11,
// and the CPU time it spends, which is not the player's own.
#ifndef FOLIO_BENCH_X_SERVER_H
#define FOLIO_BENCH_X_SERVER_H

#include <sys/types.h>

#include <string>

namespace folio_bench {

class XServer {
 public:
  // Starts Xvfb with one width x height x 24 screen on a display it picks
  // itself; display() is empty when Xvfb is missing or did not start.
  XServer(int width, int height);
  ~XServer();
  XServer(const XServer &) = delete;
  XServer &operator=(const XServer &) = delete;

  const std::string &display() const { return display_; }
  // User + system seconds the server has used since it started.
  double cpu_seconds() const;

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace folio_bench

#endif
