// The audio visualisation: a spectrum column whose brightest row is the
// tone's frequency bin, wave bars on the right side of the centre line, and
// the fall-back to waves when no FFT of the needed size exists.
#include <cmath>

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr double kPi = 3.14159265358979323846;

class Visualisation : public presenter_fixture {
 protected:
  // Fills the whole history (interleaved) with one value per channel and
  // sample index.
  template <typename Sample>
  void fill_history(int channels, Sample sample) {
    for (int i = 0; i < cinelock::kSampleHistory; i++) {
      state->sample_array[i] = static_cast<int16_t>(sample(i % channels, i / channels));
    }
  }

  void refresh_visualisation() {
    state->force_refresh = 1;
    double remaining = 0.01;
    cinelock::video_refresh(state.get(), &remaining);
  }

  // The row of column x with the largest value of one colour component.
  int brightest_row(int x, int rgb::*component) const {
    int best_row = -1;
    int best = -1;
    for (int y = 0; y < kAreaHeight; y++) {
      const int value = pixel_at(x, y).*component;
      if (value > best) {
        best = value;
        best_row = y;
      }
    }
    return best_row;
  }
};

// 48 rows need 2^7 >= 96: a 128-point transform, 64 bins, bin 0 at the
// bottom row (47). A tone of k cycles per 128 samples lands in bin k.
TEST_F(Visualisation, SpectrumPutsAToneInItsFrequencyRow) {
  open_audio(1, 8000, cinelock::DisplayMode::spectrum);
  fill_history(1, [](int, int i) { return 1000.0 * std::sin(2 * kPi * 10 * i / 128.0); });
  refresh_visualisation();
  EXPECT_EQ(brightest_row(0, &rgb::r), 47 - 10);
  const rgb peak = pixel_at(0, 47 - 10);
  EXPECT_GT(peak.r, 0);
  EXPECT_LT(peak.r, 255) << "the level must not be clipped for this check to mean anything";
  EXPECT_EQ(peak.g, peak.r) << "one channel is shown in red and green";
  EXPECT_EQ(state->xpos, 1) << "the next refresh draws the next column";
}

TEST_F(Visualisation, SpectrumShowsTwoChannelsInRedAndGreen) {
  open_audio(2, 8000, cinelock::DisplayMode::spectrum);
  fill_history(2, [](int channel, int i) {
    const double cycles = channel == 0 ? 10 : 20;
    return 1000.0 * std::sin(2 * kPi * cycles * i / 128.0);
  });
  refresh_visualisation();
  EXPECT_EQ(brightest_row(0, &rgb::r), 47 - 10);
  EXPECT_EQ(brightest_row(0, &rgb::g), 47 - 20);
  const rgb left_peak = pixel_at(0, 47 - 10);
  EXPECT_NEAR(left_peak.b, (left_peak.r + left_peak.g) / 2, 1);
}

TEST_F(Visualisation, SpectrumColumnStaysPutWhilePaused) {
  open_audio(1, 8000, cinelock::DisplayMode::spectrum);
  fill_history(1, [](int, int i) { return 1000.0 * std::sin(2 * kPi * 10 * i / 128.0); });
  state->paused = 1;
  refresh_visualisation();
  EXPECT_EQ(state->xpos, 0);
}

TEST_F(Visualisation, WavesDrawPositiveSamplesBelowTheCentreLine) {
  open_audio(1, 8000, cinelock::DisplayMode::waves);
  // Half of full scale in a 48-row band: (16384 * 21) >> 15 = 10 rows.
  fill_history(1, [](int, int) { return 16384; });
  refresh_visualisation();
  const rgb white{255, 255, 255};
  const rgb black{0, 0, 0};
  EXPECT_TRUE(colour_near(pixel_at(10, 23), black, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 24), white, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 33), white, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 34), black, 0));
}

TEST_F(Visualisation, WavesDrawNegativeSamplesAboveTheCentreLineAndSeparateChannels) {
  open_audio(2, 8000, cinelock::DisplayMode::waves);
  fill_history(2, [](int, int) { return -16384; });
  refresh_visualisation();
  // Two 24-row bands centred on rows 12 and 36; bars of 5 rows above.
  const rgb white{255, 255, 255};
  const rgb black{0, 0, 0};
  EXPECT_TRUE(colour_near(pixel_at(10, 12), black, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 11), white, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 7), white, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 6), black, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 35), white, 0));
  EXPECT_TRUE(colour_near(pixel_at(10, 24), rgb{0, 0, 255}, 0)) << "separator";
}

TEST_F(Visualisation, SpectrumFallsBackToWavesWithoutASuitableTransform) {
  log_recorder log(AV_LOG_ERROR);
  open_audio(1, 8000, cinelock::DisplayMode::spectrum);
  // Taller than the largest transform (2^16 points) can serve.
  state->width = 4;
  state->height = 40000;
  cinelock::video_audio_display(state.get());
  EXPECT_TRUE(log.contains("Failed to allocate buffers for RDFT, switching to waves display\n"))
      << log.text();
  EXPECT_EQ(state->show_mode.load(), cinelock::DisplayMode::waves);
}

}  // namespace
}  // namespace presenter_test
