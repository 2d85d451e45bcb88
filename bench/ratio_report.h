// Timing and reporting helpers shared by the benchmarks.
//
// Every figure of ours is printed beside a named peer's figure measured in
// the same run, with the ratio (always ours / peer) and the goal it is held
// to. A missed goal is printed as MISSED and counted, but never changes the
// exit status: these are measurements, not tests.
#ifndef FOLIO_BENCH_RATIO_REPORT_H
#define FOLIO_BENCH_RATIO_REPORT_H

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace folio_bench {

inline double monotonic_seconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The values of repeated runs of one measurement.
class Samples {
 public:
  void add(double value) { values_.push_back(value); }
  bool empty() const { return values_.empty(); }
  double min() const {
    return values_.empty() ? 0.0 : *std::min_element(values_.begin(), values_.end());
  }
  double max() const {
    return values_.empty() ? 0.0 : *std::max_element(values_.begin(), values_.end());
  }

  double median() const {
    std::vector<double> sorted = values_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    if (n == 0) return 0.0;
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }

  // "min .. max over N runs", so a reader can judge the noise behind a median.
  std::string spread(int precision) const {
    if (values_.empty()) return "no runs";
    const auto [low, high] = std::minmax_element(values_.begin(), values_.end());
    char text[96];
    std::snprintf(text, sizeof text, "%.*f .. %.*f over %zu runs", precision, *low, precision,
                  *high, values_.size());
    return text;
  }

 private:
  std::vector<double> values_;
};

// One side of a comparison: who produced it, the value and how to print it.
struct Figure {
  std::string label;
  double value;
  std::string unit;
  int precision;
  std::string note;  // e.g. the spread of the runs behind a median

  static Figure of(std::string label, const Samples &samples, std::string unit, int precision) {
    return Figure{std::move(label), samples.median(), std::move(unit), precision,
                  "median, " + samples.spread(precision)};
  }
};

// The bound a value (a ratio, or an excess over a baseline) is held to.
struct Goal {
  enum Kind { at_least, at_most, below } kind;
  double bound;

  bool met_by(double value) const {
    switch (kind) {
      case at_least: return value >= bound;
      case at_most: return value <= bound;
      case below: return value < bound;
    }
    return false;
  }

  std::string text(int precision, const std::string &unit = "") const {
    const char *relation = kind == at_least ? ">=" : kind == at_most ? "<=" : "<";
    char out[64];
    std::snprintf(out, sizeof out, "%s %.*f%s%s", relation, precision, bound,
                  unit.empty() ? "" : " ", unit.c_str());
    return out;
  }
};

// Prints comparisons and keeps count of the goals met and missed.
class RatioReport {
 public:
  // ours.value / peer.value against goal; both values in the same unit.
  void ratio(const std::string &title, const Figure &ours, const Figure &peer, const Goal &goal) {
    heading(title, ours, peer);
    const double ratio = peer.value > 0 ? ours.value / peer.value : 0.0;
    std::printf("  %-14s %.3f   goal %-12s %s\n", "ratio", ratio, goal.text(2).c_str(),
                verdict(title, goal.met_by(ratio)));
    std::fflush(stdout);
  }

  // The ratio of medians and the ratio of the fastest runs of each side;
  // the goal is met only when both meet it. For timings of few runs on a
  // shared machine: interference only ever slows a run, and can land on
  // most runs of one side, so a median alone may flatter either side.
  void ratio(const std::string &title, const Samples &ours_runs, const Samples &peer_runs,
             const Figure &ours, const Figure &peer, const Goal &goal) {
    heading(title, ours, peer);
    const double medians = ours_runs.median() / peer_runs.median();
    const double fastest = ours_runs.min() / peer_runs.min();
    std::printf("  %-14s %.3f (medians), %.3f (fastest runs)   goal %-12s %s\n", "ratio", medians,
                fastest, goal.text(2).c_str(),
                verdict(title, goal.met_by(medians) && goal.met_by(fastest)));
    std::fflush(stdout);
  }

  // ours.value - baseline.value against goal, in their unit.
  void excess(const std::string &title, const Figure &ours, const Figure &baseline,
              const Goal &goal) {
    heading(title, ours, baseline);
    const double excess = ours.value - baseline.value;
    std::printf("  %-14s %.*f %s   goal %-12s %s\n", "difference", ours.precision, excess,
                ours.unit.c_str(), goal.text(ours.precision, ours.unit).c_str(),
                verdict(title, goal.met_by(excess)));
    std::fflush(stdout);
  }

  // A line under the last comparison that holds no goal.
  static void note(const std::string &text) { std::printf("  %s\n", text.c_str()); }

  static void section(const std::string &title) {
    std::printf("\n== %s ==\n", title.c_str());
    std::fflush(stdout);
  }

  // Prints the tally; the benchmarks still exit 0 when goals are missed.
  void summary(const char *program) const {
    std::printf("\n%s: %d of %d goals met", program, met_, met_ + static_cast<int>(missed_.size()));
    if (missed_.empty()) {
      std::printf("\n");
    } else {
      std::printf("; MISSED:\n");
      for (const auto &title : missed_) std::printf("  MISSED  %s\n", title.c_str());
    }
    std::fflush(stdout);
  }

 private:
  static void heading(const std::string &title, const Figure &ours, const Figure &peer) {
    std::printf("\n%s\n", title.c_str());
    line("ours", ours);
    line("peer", peer);
  }

  static void line(const char *role, const Figure &figure) {
    std::printf("  %-4s %-34s %12.*f %-6s %s\n", role, figure.label.c_str(), figure.precision,
                figure.value, figure.unit.c_str(),
                figure.note.empty() ? "" : ("(" + figure.note + ")").c_str());
  }

  const char *verdict(const std::string &title, bool met) {
    if (met) {
      ++met_;
      return "met";
    }
    missed_.push_back(title);
    return "MISSED";
  }

  int met_ = 0;
  std::vector<std::string> missed_;
};

}  // namespace folio_bench

#endif
