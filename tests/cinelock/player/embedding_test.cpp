// The player drawing into a window another program made: a plain X11
// window on a private X server, with the host's message pump served while
// the player runs.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#if defined(__SANITIZE_ADDRESS__)
// No leak check for this program: Mesa's GLX driver, which SDL loads for a
// window on X11, leaves small allocations from its own threads in a module
// that is unloaded before the check runs, so no suppression can name them.
// The player's own allocations are leak-checked by the tests that run it
// on SDL's dummy driver, without GL.
extern "C" int __lsan_is_turned_off() { return 1; }
#endif

#include <chrono>
#include <cstdlib>
#include <set>

#include "cinelock.h"
#include "protected_clips.h"
#include "support/virtual_screen.h"

namespace folio_test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 270;

// The host's side, run from its message pump as a host's event handlers
// would be: pauses, reads the position twice while paused, resumes, seeks
// ahead, reads the screen back and closes the player.
struct Host {
  const xvfb_test::VirtualScreen *screen = nullptr;
  video_player *player = nullptr;
  Clock::time_point start = Clock::now();
  int pump_calls = 0;
  int step = 0;
  int paused_position = -1;
  int still_paused_position = -1;
  int position_after_seek = -1;
  xvfb_test::Frame seen;
};

void pump(void *context) {
  auto *host = static_cast<Host *>(context);
  ++host->pump_calls;
  const auto elapsed = Clock::now() - host->start;
  using std::chrono::milliseconds;
  switch (host->step) {
    case 0:
      if (elapsed < milliseconds(1200)) return;
      video_crypt_player_pause(host->player);
      break;
    case 1:
      if (elapsed < milliseconds(1500)) return;
      host->paused_position = video_crypt_player_getpos(host->player);
      break;
    case 2:
      if (elapsed < milliseconds(2000)) return;
      host->still_paused_position = video_crypt_player_getpos(host->player);
      video_crypt_player_resume(host->player);
      video_crypt_player_seekto(host->player, 5);
      break;
    case 3:
      if (elapsed < milliseconds(2800)) return;
      host->position_after_seek = video_crypt_player_getpos(host->player);
      host->seen = host->screen->frame();
      video_crypt_player_close(host->player);
      break;
    default:
      return;
  }
  ++host->step;
}

// Distinct colours inside the window's area: a picture, not a blank window.
std::size_t colours_within(const xvfb_test::Frame &frame, int x0, int y0, int width, int height) {
  std::set<std::uint32_t> colours;
  for (int y = y0; y < y0 + height; y += 3)
    for (int x = x0; x < x0 + width; x += 3) colours.insert(frame.at(x, y));
  return colours.size();
}

TEST(Embedding, HostWindowShowsThePlayerWhichItsHandlersPauseSeekAndClose) {
  if (!xvfb_test::on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 8;
  options.width = 320;
  options.height = 180;
  ASSERT_TRUE(make_clip_in(dir, "clear.mp4", options));
  ASSERT_EQ(protect(dir.path("clear.mp4"), dir.path("sealed.mp4")), 0);


  xvfb_test::VirtualScreen screen(dir.root(), kScreenWidth, kScreenHeight);
  setenv("DISPLAY", screen.display().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  Display *display = XOpenDisplay(screen.display().c_str());
  ASSERT_NE(display, nullptr);
  const unsigned long white = WhitePixel(display, DefaultScreen(display));
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWindowWidth,
                                            kWindowHeight, 0, white, white);
  XMapWindow(display, window);
  XSync(display, False);

  ASSERT_EQ(video_create_window(kWindowWidth, kWindowHeight, 1.0,
                                reinterpret_cast<void *>(static_cast<std::uintptr_t>(window))),
            0);
  Host host;
  host.screen = &screen;
  video_set_message_pump(pump, &host);
  host.player = video_crypt_player_create(dir.path("sealed.mp4").c_str(), test_key().data(), 256,
                                          test_nonce().data());
  ASSERT_NE(host.player, nullptr);
  host.start = Clock::now();
  EXPECT_EQ(video_crypt_player_play(host.player), 0);
  video_set_message_pump(nullptr, nullptr);
  video_destroy_window();
  XDestroyWindow(display, window);
  XCloseDisplay(display);

  ASSERT_EQ(host.step, 4) << "the pump was not called through 2.8 s of playback";
  // At least every 10 ms while the player waited.
  EXPECT_GT(host.pump_calls, 150);
  EXPECT_GE(host.paused_position, 0) << "a position once pictures are shown";
  EXPECT_EQ(host.still_paused_position, host.paused_position) << "the position stands while paused";
  EXPECT_GE(host.position_after_seek, 5);
  // The player centres the window on its first picture.
  const int left = (kScreenWidth - kWindowWidth) / 2;
  const int top = (kScreenHeight - kWindowHeight) / 2;
  EXPECT_GT(colours_within(host.seen, left, top, kWindowWidth, kWindowHeight), 20u);
  // Above it the screen stays as the server drew it.
  EXPECT_LE(colours_within(host.seen, 0, 0, kScreenWidth, top - 2), 2u);
}

}  // namespace
}  // namespace folio_test
