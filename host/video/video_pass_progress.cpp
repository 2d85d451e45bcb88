#include "video/video_pass_progress.h"

#include "cinelock.h"

namespace folio_host {

VideoPassProgress::VideoPassProgress(std::string label, std::uint64_t input_size)
    : reporter_(std::move(label), input_size,
                [this] { return bytes_done_.load(std::memory_order_relaxed); }) {
  video_crypt_set_progress(&VideoPassProgress::on_progress, this);
}

VideoPassProgress::~VideoPassProgress() { video_crypt_set_progress(nullptr, nullptr); }

void VideoPassProgress::on_progress(void *context, std::int64_t bytes_done, std::int64_t) {
  if (bytes_done < 0) return;
  static_cast<VideoPassProgress *>(context)->bytes_done_.store(
      static_cast<std::uint64_t>(bytes_done), std::memory_order_relaxed);
}

}  // namespace folio_host
