#include "headless_player.h"

#include <cstdlib>

#include "cinelock.h"
#include "presenter/presenter.h"
#include "support/media/media_probe.h"


namespace folio_test {

void HeadlessPlayer::SetUp() {
  // The dummy driver has no OpenGL: the player falls back to a plain window
  // and SDL's software renderer, with no GL driver loaded into the tests.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(video_create_window(320, 240, 1.0, nullptr), 0);
}

void HeadlessPlayer::TearDown() { video_destroy_window(); }

ShownPictures::ShownPictures() { cinelock::set_picture_observer(&ShownPictures::record, this); }

ShownPictures::~ShownPictures() { cinelock::set_picture_observer(nullptr, nullptr); }

void ShownPictures::record(void *self, const AVFrame *picture, double pts, double master_clock) {
  auto *shown = static_cast<ShownPictures *>(self);
  const std::lock_guard<std::mutex> lock(shown->mutex_);
  shown->digests_.push_back(media::picture_md5(picture));
  shown->times_.push_back(pts);
  shown->master_clocks_.push_back(master_clock);
}

std::vector<std::string> ShownPictures::digests() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return digests_;
}

std::vector<double> ShownPictures::times() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return times_;
}

std::vector<double> ShownPictures::master_clocks() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return master_clocks_;
}

}  // namespace folio_test
