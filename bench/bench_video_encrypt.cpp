// video_crypt_encrypt against a plain stream-copy re-mux of the same file
// to the same container, timed in one process in the same run: the cost of
// protecting a video beyond re-muxing it.
//
//   bench_video_encrypt [--input FILE]   default: a 1920x1080 H.264 + AAC
//                                        clip of about 100 MiB, made once
//                                        in the scratch directory
//   BENCH_DIR=dir                        where scratch files go
//
// One run of a side is the operation repeated enough times to take at
// least kMinRunSeconds of wall time (the count is found once, from a first
// timed copy), so that a loaded machine's hiccups do not decide the ratio;
// each side runs five times, interleaved, starting with a side chosen in
// turn; the goal is met when both the medians' and the fastest runs' ratio
// meet it. video_crypt_encrypt includes its read-back check of the written
// file, whose own cost is printed after (the library's check, timed alone
// on the last protected file). CPU time (user + system, all threads) is
// printed beside wall time.
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include <cstdio>
#include <cstring>
#include <string>

#include "cinelock.h"
#include "ratio_report.h"
#include "readback_check_cost.h"
#include "scratch_files.h"
#include "stream_copy_remux.h"
#include "support/media/media_fixtures.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kRounds = 5;
constexpr double kMinRunSeconds = 3.0;

double cpu_seconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double mebibytes(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / (1 << 20) : 0;
}

bool make_input(const std::string &path) {
  folio_test::media::ClipOptions options;
  // The generator's pictures are simple: size and bit rate are what make
  // the file about 100 MiB.
  options.seconds = 28;
  options.width = 1920;
  options.height = 1080;
  options.video_bit_rate = 400'000'000;
  std::printf("making a %.0f s %dx%d H.264 + AAC clip...\n", options.seconds, options.width,
              options.height);
  std::fflush(stdout);
  try {
    folio_test::media::make_clip(path, options);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_video_encrypt: %s\n", error.what());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  std::string input;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--input") == 0 && i + 1 < argc) {
      input = argv[++i];
    } else {
      std::fprintf(stderr, "usage: bench_video_encrypt [--input FILE]\n");
      return 2;
    }
  }
  av_log_set_level(AV_LOG_ERROR);
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) return 1;
  if (input.empty()) {
    input = scratch.path("source.mp4");
    if (!make_input(input)) return 1;
  }
  const std::string ours_out = scratch.path("protected.mp4");
  const std::string peer_out = scratch.path("remuxed.mp4");

  static const unsigned char key[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                        17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
  static const unsigned char nonce[8] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
  unsigned char header[512];
  int header_len = sizeof header;
  if (video_header_block_create(header, &header_len) != CINELOCK_OK) return 1;

  auto encrypt = [&] {
    if (video_crypt_encrypt(input.c_str(), ours_out.c_str(), key, 256, nonce, header, header_len) == 0)
      return true;
    std::fprintf(stderr, "bench_video_encrypt: video_crypt_encrypt failed\n");
    return false;
  };
  auto copy = [&] {
    const std::string error = folio_bench::stream_copy_remux(input, peer_out);
    if (error.empty()) return true;
    std::fprintf(stderr, "bench_video_encrypt: re-mux: %s\n", error.c_str());
    return false;
  };

  // Repeats per run, from one timed copy (after a first that warms the
  // page cache).
  if (!copy()) return 1;
  const double first = folio_bench::monotonic_seconds();
  if (!copy()) return 1;
  const double one_copy = std::max(folio_bench::monotonic_seconds() - first, 1e-3);
  const int repeats = std::max(1, static_cast<int>(std::ceil(kMinRunSeconds / one_copy)));

  Samples ours;
  Samples peer;
  Samples ours_cpu;
  Samples peer_cpu;
  for (int round = 0; round < kRounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool our_turn = (round + turn) % 2 == 0;
      const double cpu_start = cpu_seconds();
      const double start = folio_bench::monotonic_seconds();
      for (int i = 0; i < repeats; ++i) {
        std::remove(our_turn ? ours_out.c_str() : peer_out.c_str());
        if (!(our_turn ? encrypt() : copy())) return 1;
      }
      (our_turn ? ours : peer).add((folio_bench::monotonic_seconds() - start) / repeats);
      (our_turn ? ours_cpu : peer_cpu).add((cpu_seconds() - cpu_start) / repeats);
    }
  }

  RatioReport report;
  RatioReport::section("protecting a video");
  char title[160];
  std::snprintf(title, sizeof title, "video_crypt_encrypt of %.0f MiB to MP4 vs a stream-copy re-mux",
                mebibytes(input));
  report.ratio(title, ours, peer, Figure::of("video_crypt_encrypt", ours, "s", 3),
               Figure::of("libavformat stream copy", peer, "s", 3), Goal{Goal::at_most, 1.15});
  char cpu[200];
  std::snprintf(cpu, sizeof cpu,
                "per file, median of %d runs of %d: wall %.3f s vs %.3f s; CPU %.3f s vs %.3f s (ratio %.2f)",
                kRounds, repeats, ours.median(), peer.median(), ours_cpu.median(), peer_cpu.median(),
                peer_cpu.median() > 0 ? ours_cpu.median() / peer_cpu.median() : 0.0);
  RatioReport::note(cpu);
  const double check = folio_bench::readback_check_seconds(ours_out, 21);
  if (check < 0) {
    std::fprintf(stderr, "bench_video_encrypt: the read-back check failed on its own\n");
    return 1;
  }
  char check_line[160];
  std::snprintf(check_line, sizeof check_line,
                "of which the read-back check: %.2f ms a file (median of 21), %.1f %% of the protect",
                check * 1e3, 100 * check / ours.median());
  RatioReport::note(check_line);
  RatioReport::note("output sizes: protected " + std::to_string(static_cast<int>(mebibytes(ours_out))) +
                    " MiB, re-muxed " + std::to_string(static_cast<int>(mebibytes(peer_out))) + " MiB");
  report.summary("bench_video_encrypt");
  return 0;
}
