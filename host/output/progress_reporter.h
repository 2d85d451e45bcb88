// A progress line for long work: "<label>: NN%", redrawn every half second
// on standard error by a background thread, and cleared at the end. Shown
// only when standard error is a terminal and the work is large (over
// `threshold` units).
#ifndef FOLIO_HOST_PROGRESS_REPORTER_H
#define FOLIO_HOST_PROGRESS_REPORTER_H

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace folio_host {

// Work up to this size finishes too soon for a progress line to help.
constexpr std::uint64_t kProgressThreshold = std::uint64_t(64) << 20;

class ProgressReporter {
 public:
  // done reports how many of total bytes are finished; it is called on the
  // background thread.
  ProgressReporter(std::string label, std::uint64_t total, std::function<std::uint64_t()> done,
                   std::uint64_t threshold = kProgressThreshold);
  // Stops the thread and clears the line.
  ~ProgressReporter();
  ProgressReporter(const ProgressReporter &) = delete;
  ProgressReporter &operator=(const ProgressReporter &) = delete;

  // Writes a whole line to `stream` with the progress line out of its way:
  // wiped first, drawn again below it.
  void print_line(std::FILE *stream, const std::string &line);

 private:
  std::string progress_text();
  void run();
  void draw(const std::string &text);

  std::string label_;
  std::uint64_t total_;
  std::function<std::uint64_t()> done_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::size_t drawn_width_ = 0;
  std::thread thread_;
};

}  // namespace folio_host

#endif
