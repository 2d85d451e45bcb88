// The child process through which bench_player runs each side, so that
// CPU time and peak memory are those of one side alone.
//
//   bench_player_child make CLEAR PROTECTED SECONDS WIDTH HEIGHT BIT_RATE
//       writes a 30 fps H.264 + AAC clip to CLEAR (test media generator)
//       and its protected form to PROTECTED (video_crypt_encrypt, fresh
//       header block, the benchmark's key)
//   bench_player_child play PROTECTED WIDTH HEIGHT [x11]
//       plays it to the end in a WIDTH x HEIGHT window, the nonce taken
//       from the file's own header block: headless (SDL's offscreen
//       driver) unless SDL_VIDEODRIVER says otherwise, or with x11 in a
//       host's window of that size at the top left of $DISPLAY, as a host
//       program embeds the player; sound always through SDL's dummy
//       driver, at real-time pace (SDL_AUDIODRIVER may say otherwise)
//   bench_player_child decode CLEAR
//       the decode-only peer (decode_only_peer.h) on the clear file
//
// Prints key=value lines: cpu_seconds= (user + system time of the whole
// process, every thread, over the player's create + play or the peer's
// decode), wall_seconds= (the same span), video_frames= and audio_frames=
// (decode), vm_hwm_kib= (peak resident size since exec), and for play
// rasteriser_cpu_seconds=, the share of Mesa's software rasteriser threads
// (llvmpipe), which draw the pictures on the GL path where there is no
// GPU, and drawing_path=gl or software, the path the player chose (or was
// forced onto by CINELOCK_DRAWING).
// Exit status 0 on success, 1 on a failed step, 2 on bad usage.
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "cinelock.h"
#include "decode_only_peer.h"
#include "peak_memory.h"
#include "ratio_report.h"
#include "support/media/media_fixtures.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using folio_bench::monotonic_seconds;

// Any key will do; the nonce comes from the header block.
const unsigned char kKey[32] = {0x3c, 0x11, 0x9a, 0x52, 0xe0, 0x07, 0x6b, 0xd4, 0x28, 0x95, 0x41,
                                0xfe, 0x73, 0x0a, 0xb6, 0x1d, 0xc8, 0x34, 0x5f, 0x82, 0x19, 0xad,
                                0x60, 0xe7, 0x4b, 0x9e, 0x25, 0xd0, 0x86, 0x3f, 0x71, 0xca};

double process_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval &time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU and wall time of one measured span.
class Span {
 public:
  Span() : cpu_(process_cpu_seconds()), wall_(monotonic_seconds()) {}
  void print() const {
    std::printf("cpu_seconds=%.6f\nwall_seconds=%.6f\n", process_cpu_seconds() - cpu_,
                monotonic_seconds() - wall_);
  }

 private:
  double cpu_;
  double wall_;
};

// User + system seconds of this process's live threads whose name starts
// with prefix.
double threads_cpu_seconds(const std::string &prefix) {
  DIR *tasks = opendir("/proc/self/task");
  if (!tasks) return 0;
  long long ticks = 0;
  while (const dirent *task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    std::FILE *stat = std::fopen(("/proc/self/task/" + std::string(task->d_name) + "/stat").c_str(), "r");
    if (!stat) continue;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    // "tid (name) state ..." where the name may hold spaces and parentheses.
    const char *open = std::strchr(line, '(');
    const char *close = std::strrchr(line, ')');
    if (!read || !open || !close || std::string(open + 1, close).rfind(prefix, 0) != 0) continue;
    unsigned long long user = 0, system = 0;
    // After the name: state, then fields 4..13, then utime and stime.
    if (std::sscanf(close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) == 2)
      ticks += static_cast<long long>(user + system);
  }
  closedir(tasks);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int make(const char *clear, const char *protected_path, double seconds, int width, int height,
         long long bit_rate) {
  folio_test::media::ClipOptions options;
  options.seconds = seconds;
  options.width = width;
  options.height = height;
  options.fps = 30;
  options.video_bit_rate = bit_rate;
  try {
    folio_test::media::make_clip(clear, options);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "make_clip: %s\n", error.what());
    return 1;
  }
  unsigned char header[CINELOCK_HEADER_BLOCK_BYTES];
  int header_len = sizeof header;
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (video_header_block_create(header, &header_len) != CINELOCK_OK ||
      video_header_block_nonce(header, header_len, nonce) != CINELOCK_OK) {
    std::fprintf(stderr, "header block could not be made\n");
    return 1;
  }
  if (video_crypt_encrypt(clear, protected_path, kKey, 256, nonce, header, header_len) !=
      CINELOCK_OK) {
    std::fprintf(stderr, "video_crypt_encrypt failed\n");
    return 1;
  }
  return 0;
}

// The player's log line naming its drawing path, caught while the window
// is made.
std::string drawing_path = "unknown";

void catch_drawing_path(void *, int level, const char *format, va_list arguments) {
  if (level > AV_LOG_INFO) return;
  char line[512];
  std::vsnprintf(line, sizeof line, format, arguments);
  if (std::strstr(line, "drawing without GL")) drawing_path = "software";
  if (std::strstr(line, "drawing through GL")) drawing_path = "gl";
}

// A host's plain X11 window, mapped at the top left of the screen.
class HostWindow {
 public:
  HostWindow(int width, int height) : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, width, height, 0,
                                  BlackPixel(display_, screen), BlackPixel(display_, screen));
    XMapWindow(display_, window_);
    XSync(display_, False);
  }
  ~HostWindow() {
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  void *native() const {
    return reinterpret_cast<void *>(static_cast<std::uintptr_t>(window_));
  }
  bool ok() const { return display_ != nullptr; }

 private:
  Display *display_;
  Window window_ = 0;
};

int play(const char *path, int width, int height, bool x11) {
  unsigned char header[CINELOCK_HEADER_BLOCK_BYTES];
  int header_len = sizeof header;
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (video_crypt_getheader(path, header, &header_len) != CINELOCK_OK ||
      video_header_block_nonce(header, header_len, nonce) != CINELOCK_OK) {
    std::fprintf(stderr, "%s: no intact header block\n", path);
    return 1;
  }
  setenv("SDL_VIDEODRIVER", x11 ? "x11" : "offscreen", x11 ? 1 : 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::unique_ptr<HostWindow> host;
  if (x11) {
    host = std::make_unique<HostWindow>(width, height);
    if (!host->ok()) {
      std::fprintf(stderr, "no X display (DISPLAY=%s)\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
      return 1;
    }
  }
  // The drawing path's log line is at info level; the player's own
  // status line, also at info level, is left out of the measured span.
  setenv("CINELOCK_LOG", "info", 1);
  av_log_set_callback(catch_drawing_path);
  const int created = video_create_window(width, height, 1.0, host ? host->native() : nullptr);
  av_log_set_callback(av_log_default_callback);
  av_log_set_level(AV_LOG_ERROR);
  if (created != 0) {
    std::fprintf(stderr, "video_create_window failed\n");
    return 1;
  }
  // Reading and decoding start in create, so the span starts before it.
  const Span span;
  video_player *player = video_crypt_player_create(path, kKey, 256, nonce);
  const int result = player ? video_crypt_player_play(player) : -1;
  span.print();
  // Those threads end with the window's renderer.
  std::printf("rasteriser_cpu_seconds=%.6f\n", threads_cpu_seconds("llvmpipe"));
  std::printf("drawing_path=%s\n", drawing_path.c_str());
  video_destroy_window();
  if (result != 0) {
    std::fprintf(stderr, "%s: the player could not be %s\n", path, player ? "run" : "created");
    return 1;
  }
  return 0;
}

int decode(const char *path) {
  folio_bench::DecodeCount count;
  const Span span;
  const std::string error = folio_bench::decode_only(path, count);
  span.print();
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return 1;
  }
  std::printf("video_frames=%lld\naudio_frames=%lld\n", static_cast<long long>(count.video_frames),
              static_cast<long long>(count.audio_frames));
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  av_log_set_level(AV_LOG_ERROR);
  const std::string mode = argc > 1 ? argv[1] : "";
  int code = 2;
  if (mode == "make" && argc == 8)
    code = make(argv[2], argv[3], std::atof(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                std::atoll(argv[7]));
  else if (mode == "play" && (argc == 5 || (argc == 6 && std::strcmp(argv[5], "x11") == 0)))
    code = play(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argc == 6);
  else if (mode == "decode" && argc == 3)
    code = decode(argv[2]);
  if (code == 2) {
    std::fprintf(stderr,
                 "usage: %s make CLEAR PROTECTED SECONDS WIDTH HEIGHT BIT_RATE"
                 " | play PROTECTED WIDTH HEIGHT [x11] | decode CLEAR\n",
                 argv[0]);
    return 2;
  }
  print_peak_resident_size();
  return code;
}
