// Running the player headless: SDL's offscreen video driver and dummy
// audio driver, one window per test, pictures observed through the
// presenter's seam.
#ifndef FOLIO_TESTS_CINELOCK_HEADLESS_PLAYER_H
#define FOLIO_TESTS_CINELOCK_HEADLESS_PLAYER_H

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

struct AVFrame;

namespace folio_test {

// Sets the drivers and opens the process window (320 x 240, no native
// window); destroys it afterwards.
class HeadlessPlayer : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// What the presenter displayed: the digest of each picture's planes and
// its presentation time, in order.
class ShownPictures {
 public:
  ShownPictures();   // registers with the presenter
  ~ShownPictures();  // unregisters
  std::vector<std::string> digests() const;
  std::vector<double> times() const;
  std::vector<double> master_clocks() const;

 private:
  static void record(void *self, const AVFrame *picture, double pts, double master_clock);
  mutable std::mutex mutex_;
  std::vector<std::string> digests_;
  std::vector<double> times_;
  std::vector<double> master_clocks_;
};

}  // namespace folio_test

#endif
