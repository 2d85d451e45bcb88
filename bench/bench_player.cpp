// The player's costs, each side run as its own child process
// (bench_player_child) so that CPU time and peak memory are per side:
//
// 1. CPU time to play a protected 10 s 1920x1080 30 fps H.264 + AAC clip
//    (deciphering, decoding, resampling, presenting, paced in real time by
//    the dummy audio device) against only decoding the same packets from
//    the clear file with libavcodec, threaded alike: in a host's 1024x576
//    window on a private X server without GL acceleration (Xvfb, as in a
//    virtual machine or remote desktop), in a 1920x1080 window filling
//    that screen, and headless (SDL's offscreen driver) at the clip's
//    size, each on the drawing path the player chooses; once more with
//    the GL path forced. Each side runs three times, interleaved, starting
//    with a side chosen in turn; the goal is met when both the medians' and
//    the fastest runs' ratio meet it. Without Xvfb only the headless
//    figures are made.
// 2. Peak memory playing a 40 s clip against a 10 s clip of the same kind
//    (1280x720): the read thread stops at its back-pressure bound and the
//    frame rings are of fixed size, so a longer clip should cost nothing.
//
//   bench_player                 5 to 6 minutes, mostly play at real-time
//                                pace or slower (pictures are never dropped)
//   BENCH_DIR=dir                where scratch files go (about 90 MiB)
//
// Peak memory is each child's own VmHWM (since its exec), so this process,
// which only forks and reads the children's output, does not weigh on it.
//
// Exit status: 0 with the goals reported, met or MISSED; 1 when a clip
// could not be made or a child failed.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "child_output.h"
#include "child_process.h"
#include "ratio_report.h"
#include "scratch_files.h"
#include "x_server.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kCpuRounds = 3;
constexpr int kMemoryRuns = 2;
constexpr double kCpuGoal = 1.25;
constexpr double kX11WindowGoal = 1.3;
constexpr int kWindowWidth = 1024;  // Morlan's window
constexpr int kWindowHeight = 576;
constexpr int kFullScreenWidth = 1920;
constexpr int kFullScreenHeight = 1080;
constexpr double kGrowthGoalMiB = 16;

struct Clip {
  std::string name;  // for labels, e.g. "10 s 1080p"
  double seconds;
  int width;
  int height;
  long long bit_rate;
  std::string clear;
  std::string protected_path;
};

double file_mib(const std::string &path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / (1 << 20) : 0;
}

using folio_bench::reported;

// Runs the child; its output, or empty after printing why it failed.
std::string run_child(const std::vector<std::string> &args, const std::string &log) {
  std::vector<std::string> argv{FOLIO_BENCH_PLAYER_CHILD};
  argv.insert(argv.end(), args.begin(), args.end());
  const folio_bench::ChildRun run = folio_bench::run_child(argv, log);
  const std::string output = folio_bench::read_small_file(log);
  if (!run.succeeded()) {
    std::fprintf(stderr, "bench_player: bench_player_child %s %s failed (exit %d):\n%s\n",
                 args.at(0).c_str(), args.at(1).c_str(), run.exit_code, output.c_str());
    return "";
  }
  return output;
}

bool make(const Clip &clip, const std::string &log) {
  std::printf("making a %.0f s %dx%d 30 fps H.264 + AAC clip and its protected copy...\n",
              clip.seconds, clip.width, clip.height);
  std::fflush(stdout);
  return !run_child({"make", clip.clear, clip.protected_path, std::to_string(clip.seconds),
                     std::to_string(clip.width), std::to_string(clip.height),
                     std::to_string(clip.bit_rate)},
                    log)
              .empty();
}

// Environment variables set for the children started while it lives,
// then put back.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::vector<std::pair<std::string, std::string>> &values) {
    for (const auto &[name, value] : values) {
      const char *before = std::getenv(name.c_str());
      saved_.push_back({name, before != nullptr, before ? before : ""});
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  ~ScopedEnvironment() {
    for (const Saved &variable : saved_) {
      if (variable.had)
        setenv(variable.name.c_str(), variable.value.c_str(), 1);
      else
        unsetenv(variable.name.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment &) = delete;
  ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

 private:
  struct Saved {
    std::string name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved_;
};

// Where a play draws: SDL's offscreen driver (no window system) or a host
// window on the benchmark's X server, of a given size; environment
// variables for the child (CINELOCK_DRAWING to force a path).
struct Output {
  std::string label;
  bool x11 = false;
  int width = 0;
  int height = 0;
  std::vector<std::pair<std::string, std::string>> environment;
};

// One play of the clip: its output, or empty when the child failed or the
// player ended well before the clip did (then nothing was measured).
std::string play(const Clip &clip, const std::string &log, const Output &output = {}) {
  ScopedEnvironment environment(output.environment);
  std::vector<std::string> args{"play", clip.protected_path,
                                std::to_string(output.width ? output.width : clip.width),
                                std::to_string(output.height ? output.height : clip.height)};
  if (output.x11) args.push_back("x11");
  const std::string result = run_child(args, log);
  if (result.empty()) return result;
  const double played = reported(result, "wall_seconds");
  if (!(played >= 0.9 * clip.seconds)) {
    std::fprintf(stderr, "bench_player: the player ended after %.1f s of the %s clip\n", played,
                 clip.name.c_str());
    return "";
  }
  return result;
}

// The value of "key=" in a child's output as text; "?" when missing.
std::string reported_text(const std::string &output, const std::string &key) {
  const std::string prefix = "\n" + key + "=";
  std::size_t at = ("\n" + output).rfind(prefix);
  if (at == std::string::npos) return "?";
  at += prefix.size() - 1;
  return output.substr(at, output.find('\n', at) - at);
}

std::string clip_note(const Clip &clip) {
  const double mib = file_mib(clip.protected_path);
  char text[160];
  std::snprintf(text, sizeof text, "%s clip: protected %.1f MiB (%.1f Mbit/s), clear %.1f MiB",
                clip.name.c_str(), mib, mib * 8 * 1.048576 / clip.seconds, file_mib(clip.clear));
  return text;
}

// The runs of one kind of play.
struct PlayRuns {
  explicit PlayRuns(Output kind) : output(std::move(kind)) {}
  Output output;
  Samples cpu, wall, rasteriser, x_server;
  std::string drawing_path = "?";
};

bool play_once(PlayRuns &runs, const Clip &clip, const std::string &log,
               const folio_bench::XServer *x_server) {
  const double server_before = x_server ? x_server->cpu_seconds() : 0;
  const std::string output = play(clip, log, runs.output);
  if (output.empty()) return false;
  if (x_server) runs.x_server.add(x_server->cpu_seconds() - server_before);
  runs.cpu.add(reported(output, "cpu_seconds"));
  runs.wall.add(reported(output, "wall_seconds"));
  runs.rasteriser.add(reported(output, "rasteriser_cpu_seconds"));
  runs.drawing_path = reported_text(output, "drawing_path");
  return true;
}

void report_play(RatioReport &report, const std::string &title, const PlayRuns &runs,
                 const Samples &peer, const Goal &goal) {
  report.ratio(title, runs.cpu, peer, Figure::of("cinelock player, create + play", runs.cpu, "s", 2),
               Figure::of("libavcodec decode only, clear", peer, "s", 2), goal);
  char text[240];
  std::snprintf(text, sizeof text,
                "drawing path: %s; wall time %.1f s (median); Mesa's rasteriser threads %.2f s",
                runs.drawing_path.c_str(), runs.wall.median(), runs.rasteriser.median());
  RatioReport::note(text);
  if (!runs.x_server.empty()) {
    std::snprintf(text, sizeof text,
                  "the X server (not counted above) spent %.2f s (median) putting the pictures "
                  "on its screen",
                  runs.x_server.median());
    RatioReport::note(text);
  }
}

// CPU time of the player against the decode-only peer: headless at the
// clip's own size, and in a host window on an X server without GL
// acceleration (Xvfb) at Morlan's 1024 x 576 and at full screen (1920 x
// 1080), each on the path the player chooses by itself; and once with the
// GL path forced, for what it costs without a GPU.
bool cpu_benchmark(RatioReport &report, const Clip &clip, const std::string &log) {
  folio_bench::XServer x_server(kFullScreenWidth, kFullScreenHeight);
  const bool x11 = !x_server.display().empty();
  const std::vector<std::pair<std::string, std::string>> on_x{{"DISPLAY", x_server.display()}};
  PlayRuns offscreen{Output{"offscreen", false, clip.width, clip.height, {}}};
  PlayRuns window{Output{"X11 window", true, kWindowWidth, kWindowHeight, on_x}};
  PlayRuns full_screen{Output{"X11 full screen", true, kFullScreenWidth, kFullScreenHeight, on_x}};
  PlayRuns forced_gl{Output{"offscreen, GL forced", false, kWindowWidth, kWindowHeight,
                            {{"CINELOCK_DRAWING", "gl"}}}};
  std::vector<PlayRuns *> kinds{&offscreen};
  if (x11) kinds.insert(kinds.end(), {&window, &full_screen});

  Samples peer;
  std::string frames;
  for (int round = 0; round < kCpuRounds; ++round) {
    // The peer first in one round, last in the next.
    for (int turn = 0; turn < 2; ++turn) {
      if ((round + turn) % 2 == 0) {
        const std::string output = run_child({"decode", clip.clear}, log);
        if (output.empty()) return false;
        peer.add(reported(output, "cpu_seconds"));
        frames = std::to_string(static_cast<long long>(reported(output, "video_frames"))) +
                 " pictures and " +
                 std::to_string(static_cast<long long>(reported(output, "audio_frames"))) +
                 " audio frames";
      } else {
        for (PlayRuns *kind : kinds)
          if (!play_once(*kind, clip, log, kind->output.x11 ? &x_server : nullptr)) return false;
      }
    }
  }
  if (!play_once(forced_gl, clip, log, nullptr)) return false;

  RatioReport::section("Playing a video: CPU time");
  if (x11) {
    report_play(report,
                "CPU time (user + system) to play the " + clip.name +
                    " protected clip in a 1024x576 host window on X11 without GL acceleration "
                    "(Xvfb) vs only decoding its packets",
                window, peer, Goal{Goal::at_most, kX11WindowGoal});
    RatioReport::note(clip_note(clip));
    RatioReport::note("the peer decoded " + frames + " per run");
    report_play(report,
                "the same in a 1920x1080 host window filling the screen (full screen)",
                full_screen, peer, Goal{Goal::at_most, kX11WindowGoal});
  } else {
    RatioReport::note("Xvfb is not installed or did not start: no figures on X11");
  }
  report_play(report,
              "the same headless (SDL's offscreen driver), window the clip's size (" +
                  std::to_string(clip.width) + "x" + std::to_string(clip.height) + ")",
              offscreen, peer, Goal{Goal::at_most, kCpuGoal});
  char text[240];
  std::snprintf(text, sizeof text,
                "with the GL path forced (CINELOCK_DRAWING=gl, offscreen, 1024x576, one run) the "
                "play took %.2f s, %.2fx the peer, of which Mesa's rasteriser threads %.2f s",
                forced_gl.cpu.median(), forced_gl.cpu.median() / peer.median(),
                forced_gl.rasteriser.median());
  RatioReport::note(text);
  return true;
}

// Peak resident MiB of kMemoryRuns children playing each clip, interleaved.
bool memory_benchmark(RatioReport &report, const Clip &short_clip, const Clip &long_clip,
                      const std::string &log) {
  Samples short_peaks, long_peaks, short_wall, long_wall;
  for (int run = 0; run < kMemoryRuns; ++run) {
    for (const Clip *clip : {&short_clip, &long_clip}) {
      const std::string output = play(*clip, log);
      if (output.empty()) return false;
      // VmHWM rather than ru_maxrss: it leaves out the exit-time clean-up
      // and whatever the child's copy of this process held before exec.
      (clip == &short_clip ? short_peaks : long_peaks).add(reported(output, "vm_hwm_kib") / 1024);
      (clip == &short_clip ? short_wall : long_wall).add(reported(output, "wall_seconds"));
    }
  }
  RatioReport::section("Playing a video: peak memory against the clip's length");
  report.excess("VmHWM growth from the " + short_clip.name + " to the " + long_clip.name + " clip",
                Figure::of("cinelock player, " + long_clip.name, long_peaks, "MiB", 1),
                Figure::of("cinelock player, " + short_clip.name, short_peaks, "MiB", 1),
                Goal{Goal::below, kGrowthGoalMiB});
  RatioReport::note(clip_note(short_clip));
  RatioReport::note(clip_note(long_clip));
  RatioReport::note("wall time of the plays, in s: " + short_clip.name + " " + short_wall.spread(1) +
                    "; " + long_clip.name + " " + long_wall.spread(1));
  return true;
}

}  // namespace

int main(int argc, char **) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: bench_player\n");
    return 2;
  }
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) {
    std::fprintf(stderr, "bench_player: no scratch directory\n");
    return 1;
  }
  auto clip = [&](const std::string &name, double seconds, int width, int height,
                  long long bit_rate) {
    const std::string stem = std::to_string(static_cast<int>(seconds)) + "s-" +
                             std::to_string(height) + "p";
    return Clip{name,           seconds, width, height, bit_rate, scratch.path(stem + "-clear.mp4"),
                scratch.path(stem + "-protected.mp4")};
  };
  // Bit rates of ordinary web video of these sizes; the generator's simple
  // pictures may come out below them (the notes print what was made).
  const Clip full_hd = clip("10 s 1080p", 10, 1920, 1080, 8'000'000);
  const Clip short_hd = clip("10 s 720p", 10, 1280, 720, 5'000'000);
  const Clip long_hd = clip("40 s 720p", 40, 1280, 720, 5'000'000);
  const std::string make_log = scratch.path("make.log");
  const std::string run_log = scratch.path("run.log");
  for (const Clip *each : {&full_hd, &short_hd, &long_hd})
    if (!make(*each, make_log)) return 1;

  RatioReport report;
  if (!cpu_benchmark(report, full_hd, run_log)) return 1;
  if (!memory_benchmark(report, short_hd, long_hd, run_log)) return 1;
  report.summary("bench_player");
  return 0;
}
