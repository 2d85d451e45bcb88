// Whole-file benchmarks on a file in the page cache, each against a
// command-line peer run the same way in the same run:
//   - DocFileEncrypt against `dd bs=1M` (the I/O floor) and against
//     `openssl enc -aes-256-ctr`;
//   - DocFileEncrypt's peak memory against an idle process that only loads
//     the library, for the full-size file and a 64 MiB one;
//   - MD5File against `md5sum`.
// Our side runs in bench_doc_child, so both sides pay process start-up and
// every run has its own ru_maxrss. Each figure is the median of three runs,
// interleaved with the peer's and rotating who goes first; a timing goal is
// met only when the fastest runs' ratio meets it too. Outputs are removed
// before each run, so no run pays for truncating its predecessor's.
//
//   bench_files [--size BYTES[K|M|G]]     default 1G
//   BENCH_DIR=dir                         scratch files go there (made if
//                                         missing); default /tmp/folio-bench-*
//
// Exit status: 0 with every goal reported, met or MISSED; 1 when the run
// itself failed (a tool failed, or the two sides' outputs differ).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "pseudo_random.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::ChildRun;
using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::uint64_t kGiB = kMiB << 10;
constexpr std::uint64_t kSmallFileBytes = 64 * kMiB;
constexpr int kRounds = 5;
// The library's stream offsets follow the stored-file convention and part
// from the true file position at 2 GiB; openssl's do not.
constexpr std::uint64_t kComparableCipherBytes = 2 * kGiB;

// One program being timed, with what its runs measured.
struct Contender {
  Contender() = default;
  Contender(std::string label_, std::vector<std::string> argv_, std::string output_)
      : label(std::move(label_)), argv(std::move(argv_)), output(std::move(output_)) {}

  std::string label;
  std::vector<std::string> argv;
  std::string output;  // removed before each run; empty when it writes none
  Samples seconds;
  Samples max_rss_mib;   // ru_maxrss
  Samples own_peak_mib;  // VmHWM the child reported, ours only
  Samples call_seconds;  // the library call alone, as the child timed it; ours only
};

std::string size_text(std::uint64_t bytes) {
  char text[32];
  if (bytes % kGiB == 0)
    std::snprintf(text, sizeof text, "%llu GiB", static_cast<unsigned long long>(bytes / kGiB));
  else if (bytes % kMiB == 0)
    std::snprintf(text, sizeof text, "%llu MiB", static_cast<unsigned long long>(bytes / kMiB));
  else
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  return text;
}

// "1073741824", "512K", "64M", "1G"; 0 when not understood.
std::uint64_t parse_size(const std::string &text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return 0;
  char *end = nullptr;
  const unsigned long long number = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return 0;
  const std::string suffix = end;
  if (suffix.empty()) return number;
  if (suffix == "K" || suffix == "k") return number << 10;
  if (suffix == "M" || suffix == "m") return number << 20;
  if (suffix == "G" || suffix == "g") return number << 30;
  return 0;
}

// The value of a "key=value" line in a child's output; empty when absent.
std::string value_of(const std::string &log, const std::string &key) {
  const std::string marker = key + "=";
  std::size_t at = log.find(marker);
  while (at != std::string::npos && at != 0 && log[at - 1] != '\n')
    at = log.find(marker, at + 1);
  if (at == std::string::npos) return "";
  const std::size_t start = at + marker.size();
  return log.substr(start, log.find('\n', start) - start);
}

class Runner {
 public:
  explicit Runner(std::string log_path) : log_path_(std::move(log_path)) {}

  // One run of contender; with record, its figures join the samples.
  // Prints the child's output and returns false when it failed.
  bool run(Contender &contender, bool record) {
    if (!contender.output.empty()) folio_bench::remove_file(contender.output);
    const ChildRun run = folio_bench::run_child(contender.argv, log_path_);
    log_ = folio_bench::read_small_file(log_path_);
    if (!run.succeeded()) {
      std::fprintf(stderr, "%s failed (%s, exit %d):\n%s\n", contender.label.c_str(),
                   run.started ? "ran" : "could not start", run.exit_code, log_.c_str());
      return false;
    }
    if (record) {
      contender.seconds.add(run.seconds);
      contender.max_rss_mib.add(static_cast<double>(run.max_rss_kib) / 1024);
      const std::string own_peak = value_of(log_, "vm_hwm_kib");
      if (!own_peak.empty()) contender.own_peak_mib.add(std::atof(own_peak.c_str()) / 1024);
      const std::string call = value_of(log_, "call_seconds");
      if (!call.empty()) contender.call_seconds.add(std::atof(call.c_str()));
    }
    return true;
  }

  // kRounds rounds of every contender, the first one rotating each round
  // so a slow spell of the machine is shared out.
  //
  // A contender that writes a file gets an untimed run of its own just
  // before each timed one. How fast the kernel hands out page-cache memory
  // for a new file depends on how the previous writer left the memory it
  // freed (on a virtual machine that gives free memory back to the host, a
  // 1 GiB dd measured right after another program was seen to run 2-4x
  // slower, all of it kernel time); after its own run, each program meets
  // the state it leaves itself, as it would in repeated use.
  bool rounds(const std::vector<Contender *> &contenders) {
    for (int round = 0; round < kRounds; ++round)
      for (std::size_t i = 0; i < contenders.size(); ++i) {
        Contender &contender = *contenders[(round + i) % contenders.size()];
        if (!contender.output.empty() && !run(contender, false)) return false;
        if (!run(contender, true)) return false;
      }
    return true;
  }

  const std::string &last_log() const { return log_; }

 private:
  std::string log_path_;
  std::string log_;
};

std::string hex(const unsigned char *bytes, std::size_t length) {
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

std::string mib_text(double mib) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MiB", mib);
  return text;
}

// Our library call timed inside the child, without process start-up and
// exit, against the peers' whole runs.
std::string call_time_note(const Contender &ours, const std::vector<const Contender *> &peers) {
  const double call = ours.call_seconds.median();
  char piece[96];
  std::snprintf(piece, sizeof piece, "the call alone (no process start-up): %.3f s", call);
  std::string text = piece;
  for (const Contender *peer : peers) {
    std::snprintf(piece, sizeof piece, ", %.3f x %s", call / peer->seconds.median(),
                  peer->label.c_str());
    text += piece;
  }
  return text;
}

// One program's runs may differ wildly when the machine interferes (other
// tenants, a hypervisor handing memory back and forth); say so.
std::string spread_warning(const Contender &ours, const Contender &peer) {
  constexpr double kNoisySpread = 1.5;
  for (const Contender *side : {&ours, &peer})
    if (side->seconds.max() > kNoisySpread * side->seconds.min())
      return "runs of " + side->label + " differ by over 1.5x: the machine interfered";
  return "";
}

// A timed comparison of two contenders' runs (see RatioReport::ratio).
void compare_times(RatioReport &report, const std::string &title, const Contender &ours,
                   const std::string &ours_label, const Contender &peer, const Goal &goal) {
  report.ratio(title, ours.seconds, peer.seconds, Figure::of(ours_label, ours.seconds, "s", 3),
               Figure::of(peer.label, peer.seconds, "s", 3), goal);
  const std::string warning = spread_warning(ours, peer);
  if (!warning.empty()) RatioReport::note(warning);
}

struct Setup {
  std::string child;  // bench_doc_child
  folio_bench::ScratchDir &scratch;
  Runner &runner;
  std::string input;
  std::uint64_t size;
  std::string key_hex;  // the AES-256 key both sides encrypt with
};

Contender our_encryption(const Setup &setup, const std::string &input, const std::string &output) {
  return Contender{"DocFileEncrypt", {setup.child, "encrypt", input, output, setup.key_hex},
                   output};
}

// DocFileEncrypt against dd and openssl enc. Leaves ours' runs in `ours`
// for the memory comparison.
bool compare_encryption(RatioReport &report, Setup &setup, Contender &ours) {
  const std::string output = setup.scratch.path("cipher.bin");
  ours = our_encryption(setup, setup.input, output);
  Contender dd{"dd bs=1M", {"dd", "if=" + setup.input, "of=" + output, "bs=1M"}, output};

  // A warm-up run of ours also yields the nonce, with which openssl must
  // produce the very same ciphertext: proof that both sides do one job.
  if (!setup.runner.run(ours, false)) return false;
  const std::string nonce = value_of(setup.runner.last_log(), "nonce");
  if (nonce.size() != 16) {
    std::fprintf(stderr, "DocFileEncrypt child reported no nonce:\n%s\n",
                 setup.runner.last_log().c_str());
    return false;
  }
  const std::string check = setup.scratch.path("cipher-check.bin");
  Contender openssl{"openssl enc -aes-256-ctr",
                    {"openssl", "enc", "-aes-256-ctr", "-K", setup.key_hex, "-iv",
                     nonce + "0000000000000000", "-in", setup.input, "-out", check},
                    check};
  if (!setup.runner.run(openssl, false)) return false;
  const std::uint64_t compared = std::min(setup.size, kComparableCipherBytes);
  if (!folio_bench::same_leading_bytes(output, check, compared)) {
    std::fprintf(stderr, "DocFileEncrypt and openssl enc wrote different ciphertext\n");
    return false;
  }
  folio_bench::remove_file(check);
  openssl.argv.back() = output;
  openssl.output = output;
  if (!setup.runner.run(dd, false)) return false;

  if (!setup.runner.rounds({&ours, &dd, &openssl})) return false;
  folio_bench::remove_file(output);

  const std::string size = size_text(setup.size);
  const std::string ours_label = ours.label + " (child process)";
  compare_times(report, "DocFileEncrypt vs dd, " + size + " cached file (time)", ours, ours_label,
                dd, Goal{Goal::at_most, 1.5});
  compare_times(report, "DocFileEncrypt vs openssl enc, " + size + " cached file (time)", ours,
                ours_label, openssl, Goal{Goal::below, 1.0});
  RatioReport::note(call_time_note(ours, {&dd, &openssl}));
  RatioReport::note("ciphertext identical to openssl enc with the header's nonce (" +
                    size_text(compared) + " compared)");
  return true;
}

// Peak memory of DocFileEncrypt (from the timed runs, and on a 64 MiB file)
// against an idle child that only loads the library.
bool compare_memory(RatioReport &report, Setup &setup, const Contender &full) {
  const std::string small_input = setup.scratch.path("plain-64m.bin");
  if (!folio_bench::write_filler_file(small_input, kSmallFileBytes, 64) ||
      !folio_bench::read_through(small_input)) {
    std::fprintf(stderr, "could not write %s\n", small_input.c_str());
    return false;
  }
  Contender small = our_encryption(setup, small_input, full.output);
  Contender idle{"idle child (library loaded)", {setup.child, "idle"}, ""};
  if (!setup.runner.rounds({&idle, &small})) return false;
  folio_bench::remove_file(small.output);
  folio_bench::remove_file(small_input);

  const Figure idle_rss = Figure::of(idle.label, idle.max_rss_mib, "MiB", 2);
  const Figure full_rss = Figure::of(
      "DocFileEncrypt, " + size_text(setup.size) + " file", full.max_rss_mib, "MiB", 2);
  const Figure small_rss =
      Figure::of("DocFileEncrypt, " + size_text(kSmallFileBytes) + " file", small.max_rss_mib,
                 "MiB", 2);
  report.excess(
      "DocFileEncrypt peak memory above idle, " + size_text(setup.size) + " file (ru_maxrss)",
      full_rss, idle_rss, Goal{Goal::below, 16});
  report.excess("DocFileEncrypt peak memory above idle, " + size_text(kSmallFileBytes) +
                    " file (ru_maxrss)",
                small_rss, idle_rss, Goal{Goal::below, 16});
  report.excess("DocFileEncrypt peak memory growth, " + size_text(kSmallFileBytes) + " -> " +
                    size_text(setup.size) + " file (ru_maxrss)",
                full_rss, small_rss, Goal{Goal::at_most, 1.0});
  char startup[96];
  std::snprintf(startup, sizeof startup, "process start-up and exit (idle child): %.1f ms",
                1e3 * idle.seconds.median());
  RatioReport::note(startup);
  RatioReport::note("own peak since exec (VmHWM): idle " + mib_text(idle.own_peak_mib.median()) +
                    ", " + size_text(kSmallFileBytes) + " " +
                    mib_text(small.own_peak_mib.median()) + ", " + size_text(setup.size) + " " +
                    mib_text(full.own_peak_mib.median()));

  // No child of this process can report less than a forked child that does
  // nothing (see child_process.h): the figures above are the children's own
  // only while that floor stays below the idle child.
  const double floor = static_cast<double>(folio_bench::fork_floor_kib()) / 1024;
  RatioReport::note("ru_maxrss floor of a child of this process: " + mib_text(floor) +
                    (floor < idle.max_rss_mib.median()
                         ? ", below the idle child: the figures are the children's own"
                         : ", NOT below the idle child: the figures above are floored by it"));
  return true;
}

bool compare_digest(RatioReport &report, Setup &setup) {
  Contender ours{"MD5File (child process)", {setup.child, "md5", setup.input}, ""};
  Contender md5sum{"md5sum", {"md5sum", setup.input}, ""};
  if (!setup.runner.run(ours, false)) return false;
  const std::string our_digest = value_of(setup.runner.last_log(), "digest");
  if (!setup.runner.run(md5sum, false)) return false;
  const std::string their_digest = setup.runner.last_log().substr(0, 32);
  if (our_digest != their_digest) {
    std::fprintf(stderr, "MD5File says %s, md5sum says %s\n", our_digest.c_str(),
                 their_digest.c_str());
    return false;
  }
  if (!setup.runner.rounds({&ours, &md5sum})) return false;

  const std::string size = size_text(setup.size);
  compare_times(report, "MD5File vs md5sum, " + size + " cached file (time)", ours, ours.label,
                md5sum, Goal{Goal::at_most, 1.1});
  RatioReport::note(call_time_note(ours, {&md5sum}));
  char speeds[160];
  std::snprintf(speeds, sizeof speeds, "MiB/s: ours %.0f, md5sum %.0f; digests agree (%s)",
                static_cast<double>(setup.size) / kMiB / ours.seconds.median(),
                static_cast<double>(setup.size) / kMiB / md5sum.seconds.median(),
                our_digest.c_str());
  RatioReport::note(speeds);
  return true;
}

int run_benchmarks(std::uint64_t size) {
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) {
    std::fprintf(stderr, "bench_files: no scratch directory (BENCH_DIR not writable?)\n");
    return 1;
  }
  // The input, our output and openssl's check output exist at once.
  const std::uint64_t needed = 3 * size + 2 * kSmallFileBytes;
  if (scratch.free_bytes() < needed) {
    std::fprintf(stderr, "bench_files: %s needs %s free, has %s\n", scratch.directory().c_str(),
                 size_text(needed).c_str(), size_text(scratch.free_bytes()).c_str());
    return 1;
  }
  std::printf("scratch directory %s\n", scratch.directory().c_str());

  const std::string input = scratch.path("plain.bin");
  if (!folio_bench::write_filler_file(input, size, 1) || !folio_bench::read_through(input)) {
    std::fprintf(stderr, "bench_files: could not write %s\n", input.c_str());
    return 1;
  }
  Runner runner(scratch.path("run.log"));
  folio_bench::PseudoRandom random(0xd0cf11e0a1b11ae1ULL);
  unsigned char key[32];
  random.fill(key, sizeof key);
  Setup setup{FOLIO_BENCH_DOC_CHILD, scratch, runner, input, size, hex(key, sizeof key)};

  RatioReport report;
  RatioReport::section("Whole files, " + size_text(size) + " in the page cache, medians of " +
                       std::to_string(kRounds) + " interleaved runs");
  Contender ours;
  if (!compare_encryption(report, setup, ours) || !compare_memory(report, setup, ours) ||
      !compare_digest(report, setup))
    return 1;
  report.summary("bench_files");
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  std::uint64_t size = kGiB;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size" && i + 1 < argc) {
      size = parse_size(argv[++i]);
    } else if (arg.rfind("--size=", 0) == 0) {
      size = parse_size(arg.substr(7));
    } else {
      std::fprintf(stderr, "usage: %s [--size BYTES[K|M|G]]\n", argv[0]);
      return 2;
    }
    if (size == 0) {
      std::fprintf(stderr, "%s: --size wants a positive byte count such as 1G or 256M\n", argv[0]);
      return 2;
    }
  }
  return run_benchmarks(size);
}
