// The progress line of one pass of the video library over an input: the
// library reports the input bytes it has consumed to a callback on the
// calling thread, and the reporter's thread reads the count from there.
#ifndef FOLIO_HOST_VIDEO_PASS_PROGRESS_H
#define FOLIO_HOST_VIDEO_PASS_PROGRESS_H

#include <atomic>
#include <cstdint>
#include <string>

#include "output/progress_reporter.h"

namespace folio_host {

// Create it on the thread that then calls the library.
class VideoPassProgress {
 public:
  VideoPassProgress(std::string label, std::uint64_t input_size);
  // Stops the reports before the count they write goes away.
  ~VideoPassProgress();
  VideoPassProgress(const VideoPassProgress &) = delete;
  VideoPassProgress &operator=(const VideoPassProgress &) = delete;

 private:
  static void on_progress(void *context, std::int64_t bytes_done, std::int64_t bytes_total);

  std::atomic<std::uint64_t> bytes_done_{0};
  ProgressReporter reporter_;  // after bytes_done_: it reads the count until it stops
};

}  // namespace folio_host

#endif
