#include "format/transcode_progress.h"

#include <cstdint>

#include "cinelock.h"

namespace cinelock {

namespace {

struct ProgressCallback {
  video_crypt_progress_fn callback = nullptr;
  void *context = nullptr;
};

// Per thread: the format functions run on their caller's thread, and two
// hosts' threads must not see each other's reports.
thread_local ProgressCallback registered;

}  // namespace

void report_progress(AVFormatContext *input) {
  if (!registered.callback || !input->pb) return;
  report_progress(avio_tell(input->pb), avio_size(input->pb));
}

void report_progress(std::int64_t position, std::int64_t total) {
  if (registered.callback) registered.callback(registered.context, position, total < 0 ? -1 : total);
}

}  // namespace cinelock

extern "C" CINELOCK_API void video_crypt_set_progress(video_crypt_progress_fn callback,
                                                      void *context) {
  cinelock::registered = {callback, context};
}
