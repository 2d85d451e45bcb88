// The player's costs, each side run as its own child process
// (bench_player_child) so that CPU time and peak memory are per side:
//
// 1. CPU time to play a protected 10 s 1920x1080 30 fps H.264 + AAC clip
//    (deciphering, decoding, resampling, presenting, paced in real time by
//    the dummy audio device) against only decoding the same packets from
//    the clear file with libavcodec, threaded alike. Each side runs three
//    times, interleaved, starting with a side chosen in turn; the goal is
//    met when both the medians' and the fastest runs' ratio meet it.
// 2. Peak memory playing a 40 s clip against a 10 s clip of the same kind
//    (1280x720): the read thread stops at its back-pressure bound and the
//    frame rings are of fixed size, so a longer clip should cost nothing.
//
//   bench_player                 3 to 4 minutes, mostly play at real-time
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
#include <vector>

#include "child_output.h"
#include "child_process.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kCpuRounds = 3;
constexpr int kMemoryRuns = 2;
constexpr double kCpuGoal = 1.25;
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

// SDL's own software renderer presenting into a plain memory surface: no
// GL and so no rasteriser threads. Set for one child, then put back.
class SoftwareRendering {
 public:
  SoftwareRendering() {
    for (Saved &variable : saved_) {
      const char *value = std::getenv(variable.name);
      variable.had = value != nullptr;
      if (value) variable.value = value;
    }
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
  }
  ~SoftwareRendering() {
    for (const Saved &variable : saved_) {
      if (variable.had)
        setenv(variable.name, variable.value.c_str(), 1);
      else
        unsetenv(variable.name);
    }
  }

 private:
  struct Saved {
    const char *name;
    bool had = false;
    std::string value;
  };
  Saved saved_[2] = {{"SDL_RENDER_DRIVER", false, {}}, {"SDL_FRAMEBUFFER_ACCELERATION", false, {}}};
};

// One play of the clip: its output, or empty when the child failed or the
// player ended well before the clip did (then nothing was measured).
std::string play(const Clip &clip, const std::string &log, bool software = false) {
  std::unique_ptr<SoftwareRendering> rendering;
  if (software) rendering = std::make_unique<SoftwareRendering>();
  const std::string output = run_child(
      {"play", clip.protected_path, std::to_string(clip.width), std::to_string(clip.height)}, log);
  if (output.empty()) return output;
  const double played = reported(output, "wall_seconds");
  if (!(played >= 0.9 * clip.seconds)) {
    std::fprintf(stderr, "bench_player: the player ended after %.1f s of the %s clip\n", played,
                 clip.name.c_str());
    return "";
  }
  return output;
}

std::string clip_note(const Clip &clip) {
  const double mib = file_mib(clip.protected_path);
  char text[160];
  std::snprintf(text, sizeof text, "%s clip: protected %.1f MiB (%.1f Mbit/s), clear %.1f MiB",
                clip.name.c_str(), mib, mib * 8 * 1.048576 / clip.seconds, file_mib(clip.clear));
  return text;
}

bool cpu_benchmark(RatioReport &report, const Clip &clip, const std::string &log) {
  Samples ours, peer, our_wall, rasteriser, ours_without_rasteriser, ours_software;
  std::string frames;
  for (int round = 0; round < kCpuRounds; ++round) {
    const std::string software = play(clip, log, true);
    if (software.empty()) return false;
    ours_software.add(reported(software, "cpu_seconds"));
    for (int turn = 0; turn < 2; ++turn) {
      const bool our_turn = (round + turn) % 2 == 0;
      const std::string output =
          our_turn ? play(clip, log) : run_child({"decode", clip.clear}, log);
      if (output.empty()) return false;
      (our_turn ? ours : peer).add(reported(output, "cpu_seconds"));
      if (our_turn) {
        const double drawing = reported(output, "rasteriser_cpu_seconds");
        our_wall.add(reported(output, "wall_seconds"));
        rasteriser.add(drawing);
        ours_without_rasteriser.add(reported(output, "cpu_seconds") - drawing);
      }
      if (!our_turn)
        frames = std::to_string(static_cast<long long>(reported(output, "video_frames"))) +
                 " pictures and " +
                 std::to_string(static_cast<long long>(reported(output, "audio_frames"))) +
                 " audio frames";
    }
  }
  RatioReport::section("Playing a video: CPU time");
  report.ratio("CPU time (user + system) to play the " + clip.name +
                   " protected clip vs only decoding its packets",
               ours, peer, Figure::of("cinelock player, create + play", ours, "s", 2),
               Figure::of("libavcodec decode only, clear", peer, "s", 2), Goal{Goal::at_most, kCpuGoal});
  RatioReport::note(clip_note(clip));
  RatioReport::note("the peer decoded " + frames + " per run");
  char text[200];
  std::snprintf(text, sizeof text, "the player's play took %.1f s of wall time (median, %s)",
                our_wall.median(), our_wall.spread(1).c_str());
  RatioReport::note(text);
  // Without a GPU, SDL's renderer draws through Mesa's llvmpipe: how much
  // of our figure is that rather than the player's own work.
  std::snprintf(text, sizeof text,
                "of our CPU time, Mesa's software rasteriser threads took %.2f s (median); "
                "the rest, %.2f s, is %.2fx the peer",
                rasteriser.median(), ours_without_rasteriser.median(),
                ours_without_rasteriser.median() / peer.median());
  RatioReport::note(text);
  std::snprintf(text, sizeof text,
                "with SDL's software renderer instead (SDL_RENDER_DRIVER=software, "
                "SDL_FRAMEBUFFER_ACCELERATION=0: no GL at all) the play took %.2f s (median), "
                "%.2fx the peer",
                ours_software.median(), ours_software.median() / peer.median());
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
