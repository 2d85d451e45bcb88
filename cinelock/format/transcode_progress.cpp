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
  const std::int64_t size = avio_size(input->pb);
  registered.callback(registered.context, avio_tell(input->pb), size < 0 ? -1 : size);
}

}  // namespace cinelock

extern "C" CINELOCK_API void video_crypt_set_progress(video_crypt_progress_fn callback,
                                                      void *context) {
  cinelock::registered = {callback, context};
}
