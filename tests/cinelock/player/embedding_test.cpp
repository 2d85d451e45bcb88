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

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

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

// Distinct colours inside the window's area: a picture, not a blank window.
std::size_t colours_within(const xvfb_test::Frame &frame, int x0, int y0, int width, int height) {
  std::set<std::uint32_t> colours;
  for (int y = y0; y < y0 + height; y += 3)
    for (int x = x0; x < x0 + width; x += 3) colours.insert(frame.at(x, y));
  return colours.size();
}

// The player centres the window on its first picture.
constexpr int kWindowLeft = (kScreenWidth - kWindowWidth) / 2;
constexpr int kWindowTop = (kScreenHeight - kWindowHeight) / 2;
constexpr std::size_t kPictureColours = 20;

// The host's side, run from its message pump as a host's event handlers
// would be: pauses once a second has played, reads the position twice
// while paused, resumes, seeks ahead, reads the screen back once the seek
// has landed and closes the player. Each step waits for the state it
// needs, not for a time: a loaded machine may be slow to reach it.
struct Host {
  const xvfb_test::VirtualScreen *screen = nullptr;
  video_player *player = nullptr;
  Clock::time_point start = Clock::now();
  Clock::time_point step_start = Clock::now();
  int pump_calls = 0;
  int step_calls = 0;
  int step = 0;
  int paused_position = -1;
  int still_paused_position = -1;
  int position_after_seek = -1;
  xvfb_test::Frame seen;
  double seconds_pumped = 0;
};

constexpr auto kGiveUp = std::chrono::seconds(60);

void pump(void *context) {
  auto *host = static_cast<Host *>(context);
  ++host->pump_calls;
  ++host->step_calls;
  const auto now = Clock::now();
  const auto in_step = now - host->step_start;
  const int position = video_crypt_player_getpos(host->player);
  using std::chrono::milliseconds;
  switch (host->step) {
    case 0:  // a second of pictures
      if (position < 1 && in_step < kGiveUp) return;
      video_crypt_player_pause(host->player);
      break;
    case 1:  // the pause has been taken: the pump has been served since
      if (host->step_calls < 10 || in_step < milliseconds(300)) return;
      host->paused_position = position;
      break;
    case 2:
      if (in_step < milliseconds(700)) return;
      host->still_paused_position = position;
      video_crypt_player_resume(host->player);
      video_crypt_player_seekto(host->player, 5);
      break;
    case 3:  // the seek has landed and its picture is on screen
      if (in_step < kGiveUp) {
        if (position < 5) return;
        host->seen = host->screen->frame();
        if (colours_within(host->seen, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight) <=
            kPictureColours)
          return;
      }
      host->position_after_seek = position;
      host->seen = host->screen->frame();
      host->seconds_pumped = std::chrono::duration<double>(now - host->start).count();
      video_crypt_player_close(host->player);
      break;
    default:
      return;
  }
  ++host->step;
  host->step_start = now;
  host->step_calls = 0;
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
  host.start = host.step_start = Clock::now();
  EXPECT_EQ(video_crypt_player_play(host.player), 0);
  video_set_message_pump(nullptr, nullptr);
  video_destroy_window();
  XDestroyWindow(display, window);
  XCloseDisplay(display);

  ASSERT_EQ(host.step, 4) << "the pump was not called through the whole playback";
  // Every 10 ms while the player waits; well above the 25 pictures a
  // second of the clip, however loaded the machine.
  EXPECT_GT(host.pump_calls, 40 * host.seconds_pumped) << "over " << host.seconds_pumped << " s";
  EXPECT_GE(host.paused_position, 0) << "a position once pictures are shown";
  EXPECT_EQ(host.still_paused_position, host.paused_position) << "the position stands while paused";
  EXPECT_GE(host.position_after_seek, 5);
  EXPECT_GT(colours_within(host.seen, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight),
            kPictureColours);
  // Above it the screen stays as the server drew it.
  EXPECT_LE(colours_within(host.seen, 0, 0, kScreenWidth, kWindowTop - 2), 2u);
}


// The drawing path on an X server without GL acceleration (Xvfb: Mesa's
// llvmpipe at most). Left to choose, the player draws without GL; forced
// either way (CINELOCK_DRAWING), it draws on the path asked for. Each way
// the picture reaches the host's window. The choice is read from the
// player's log line (CINELOCK_LOG=info).
std::mutex drawing_log_mutex;
std::string drawing_log;

void catch_drawing_line(void *, int level, const char *format, va_list arguments) {
  if (level > AV_LOG_INFO) return;
  char line[1024];
  std::vsnprintf(line, sizeof line, format, arguments);
  if (std::strstr(line, "cinelock: drawing") == nullptr) return;
  const std::lock_guard<std::mutex> lock(drawing_log_mutex);
  drawing_log += line;
}

// CPU seconds (user + system) of the live threads of this process whose
// name starts with prefix.
double threads_cpu_seconds(const char *prefix) {
  DIR *tasks = opendir("/proc/self/task");
  if (!tasks) return 0;
  long long ticks = 0;
  while (const dirent *task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%s/stat", task->d_name);
    std::FILE *stat = std::fopen(path, "r");
    if (!stat) continue;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char *open = std::strchr(line, '(');
    const char *close = std::strrchr(line, ')');
    if (!read || !open || !close || std::strncmp(open + 1, prefix, std::strlen(prefix)) != 0)
      continue;
    unsigned long long user = 0, system = 0;
    if (std::sscanf(close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) == 2)
      ticks += static_cast<long long>(user + system);
  }
  closedir(tasks);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct PictureWatch {
  const xvfb_test::VirtualScreen *screen = nullptr;
  video_player *player = nullptr;
  Clock::time_point start = Clock::now();
  bool seen = false;
  double rasteriser_seconds = -1;
};

// Closes the player once a second has played and a picture is on screen.
void watch_for_picture(void *context) {
  auto *watch = static_cast<PictureWatch *>(context);
  if (watch->seen) return;
  const bool late = Clock::now() - watch->start > kGiveUp;
  if (!late && video_crypt_player_getpos(watch->player) < 1) return;
  const xvfb_test::Frame frame = watch->screen->frame();
  watch->seen = colours_within(frame, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight) >
                kPictureColours;
  if (!watch->seen && !late) return;
  watch->rasteriser_seconds = threads_cpu_seconds("llvmpipe");
  video_crypt_player_close(watch->player);
}

class DrawingPathOnX : public testing::TestWithParam<const char *> {};

TEST_P(DrawingPathOnX, IsChosenByTheGlRendererOrForcedAndShowsThePicture) {
  if (!xvfb_test::on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 4;
  options.width = 320;
  options.height = 180;
  ASSERT_TRUE(make_clip_in(dir, "clear.mp4", options));
  ASSERT_EQ(protect(dir.path("clear.mp4"), dir.path("sealed.mp4")), 0);

  xvfb_test::VirtualScreen screen(dir.root(), kScreenWidth, kScreenHeight);
  setenv("DISPLAY", screen.display().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const std::string request = GetParam();
  if (request.empty())
    unsetenv("CINELOCK_DRAWING");
  else
    setenv("CINELOCK_DRAWING", request.c_str(), 1);
  setenv("CINELOCK_LOG", "info", 1);

  Display *display = XOpenDisplay(screen.display().c_str());
  ASSERT_NE(display, nullptr);
  const unsigned long white = WhitePixel(display, DefaultScreen(display));
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWindowWidth,
                                            kWindowHeight, 0, white, white);
  XMapWindow(display, window);
  XSync(display, False);

  drawing_log.clear();
  av_log_set_callback(catch_drawing_line);
  const int created = video_create_window(
      kWindowWidth, kWindowHeight, 1.0, reinterpret_cast<void *>(static_cast<std::uintptr_t>(window)));
  av_log_set_level(AV_LOG_ERROR);  // the status line, at info level, is not wanted here
  unsetenv("CINELOCK_LOG");
  unsetenv("CINELOCK_DRAWING");
  ASSERT_EQ(created, 0);
  PictureWatch watch;
  watch.screen = &screen;
  video_set_message_pump(watch_for_picture, &watch);
  watch.player = video_crypt_player_create(dir.path("sealed.mp4").c_str(), test_key().data(), 256,
                                           test_nonce().data());
  ASSERT_NE(watch.player, nullptr);
  watch.start = Clock::now();
  EXPECT_EQ(video_crypt_player_play(watch.player), 0);
  video_set_message_pump(nullptr, nullptr);
  video_destroy_window();
  av_log_set_callback(av_log_default_callback);
  XDestroyWindow(display, window);
  XCloseDisplay(display);

  EXPECT_TRUE(watch.seen) << "no picture in the window";
  if (request == "gl") {
    EXPECT_NE(drawing_log.find("drawing through GL"), std::string::npos) << drawing_log;
  } else {
    EXPECT_NE(drawing_log.find("drawing without GL"), std::string::npos) << drawing_log;
    if (request.empty())
      EXPECT_NE(drawing_log.find("GL renderer llvmpipe"), std::string::npos) << drawing_log;
    // Trying the GL renderer may leave Mesa's rasteriser threads behind,
    // idle: they draw nothing.
    EXPECT_LT(watch.rasteriser_seconds, 0.05) << "Mesa's rasteriser drew on the software path";
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, DrawingPathOnX, testing::Values("", "software", "gl"),
                         [](const testing::TestParamInfo<const char *> &info) {
                           const std::string value = info.param;
                           return value.empty() ? std::string("automatic") : value;
                         });

}  // namespace
}  // namespace folio_test
