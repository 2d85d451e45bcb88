// Progress reports of a transcode to the callback the calling thread
// registered (video_crypt_set_progress).
#ifndef CINELOCK_TRANSCODE_PROGRESS_H
#define CINELOCK_TRANSCODE_PROGRESS_H

#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

namespace cinelock {

// Reports how far reading input has got; nothing when no callback is set.
void report_progress(AVFormatContext *input);
// The same for a position the reading thread recorded, out of total bytes
// (negative when unknown).
void report_progress(std::int64_t position, std::int64_t total);

}  // namespace cinelock

#endif
