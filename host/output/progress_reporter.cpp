#include "output/progress_reporter.h"

#include <unistd.h>

#include <chrono>

#include "output/interrupt_cleanup.h"

namespace folio_host {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(500);

void write_to_stderr(const std::string &text) {
  const char *data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(STDERR_FILENO, data, left);
    if (written <= 0) return;  // a progress line is not worth failing over
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

}  // namespace

ProgressReporter::ProgressReporter(std::string label, std::uint64_t total,
                                   std::function<std::uint64_t()> done, std::uint64_t threshold)
    : label_(std::move(label)), total_(total), done_(std::move(done)) {
  if (total_ > threshold && ::isatty(STDERR_FILENO))
    thread_ = start_shielded_thread([this] { run(); });
}

ProgressReporter::~ProgressReporter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  draw(std::string());
}

std::string ProgressReporter::progress_text() {
  const std::uint64_t done = done_();
  const unsigned percent =
      done >= total_ ? 100 : static_cast<unsigned>(static_cast<double>(done) * 100 / total_);
  return label_ + ": " + std::to_string(percent) + "%";
}

void ProgressReporter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    draw(progress_text());
    wake_.wait_for(lock, kRedrawInterval, [this] { return stopping_; });
  }
}

void ProgressReporter::print_line(std::FILE *stream, const std::string &line) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool shown = thread_.joinable() && !stopping_;
  if (shown) draw(std::string());
  std::fputs(line.c_str(), stream);
  std::fflush(stream);
  if (shown) draw(progress_text());
}

void ProgressReporter::draw(const std::string &text) {
  // Spaces over the previous text wipe it whatever the terminal type.
  std::string line = "\r" + text;
  if (drawn_width_ > text.size()) line += std::string(drawn_width_ - text.size(), ' ');
  if (text.empty()) line += "\r";
  drawn_width_ = text.size();
  write_to_stderr(line);
}

}  // namespace folio_host
