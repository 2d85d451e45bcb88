#include "support/virtual_screen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "support/files.h"

namespace xvfb_test {

namespace {

[[noreturn]] void exec_or_die(const std::vector<std::string> &arguments) {
  std::vector<char *> argv;
  for (const std::string &word : arguments) argv.push_back(const_cast<char *>(word.c_str()));
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  _exit(127);
}

std::uint32_t big_endian_32(const folio_test::Bytes &bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | bytes[at + i];
  return value;
}

void end_child(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

VirtualScreen::VirtualScreen(const std::string &frame_dir, int width, int height)
    : frame_path_(frame_dir + "/Xvfb_screen0") {
  int report[2];
  if (::pipe(report) != 0) throw std::runtime_error("pipe");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::close(report[0]);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    exec_or_die({"Xvfb", "-displayfd", std::to_string(report[1]), "-screen", "0",
                 std::to_string(width) + "x" + std::to_string(height) + "x24", "-fbdir", frame_dir,
                 "-nolisten", "tcp"});
  }
  ::close(report[1]);
  // Xvfb writes the display number once it accepts connections, and the
  // pipe closes empty when it fails to start.
  std::string number;
  char c;
  ssize_t got;
  while ((got = ::read(report[0], &c, 1)) == 1 && c != '\n') number += c;
  ::close(report[0]);
  if (number.empty()) {
    end_child(pid_);
    throw std::runtime_error("Xvfb did not start");
  }
  display_ = ":" + number;
}

VirtualScreen::~VirtualScreen() { end_child(pid_); }

// The frame buffer file is an XWD image: a header of 32-bit big-endian
// fields, a colour map of 12-byte entries, then the pixel rows.
Frame VirtualScreen::frame() const {
  const folio_test::Bytes bytes = folio_test::read_file(frame_path_);
  if (bytes.size() < 100) throw std::runtime_error("no frame buffer at " + frame_path_);
  const auto field = [&](int index) { return big_endian_32(bytes, 4u * index); };
  const std::uint32_t header_size = field(0), byte_order = field(7), bits_per_pixel = field(11),
                      bytes_per_line = field(12), colour_count = field(19);
  if (bits_per_pixel != 32 || byte_order != 0)
    throw std::runtime_error("unexpected frame buffer layout");
  Frame frame;
  frame.width = static_cast<int>(field(4));
  frame.height = static_cast<int>(field(5));
  const std::size_t start = header_size + 12u * colour_count;
  if (bytes.size() < start + static_cast<std::size_t>(bytes_per_line) * frame.height)
    throw std::runtime_error("short frame buffer");
  frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y) {
    const unsigned char *row = bytes.data() + start + std::size_t{bytes_per_line} * y;
    for (int x = 0; x < frame.width; ++x)
      frame.pixels[static_cast<std::size_t>(y) * frame.width + x] =
          std::uint32_t{row[4 * x + 2]} << 16 | std::uint32_t{row[4 * x + 1]} << 8 | row[4 * x];
  }
  return frame;
}

bool on_path(const std::string &program) {
  const char *path = std::getenv("PATH");
  if (!path) return false;
  std::string directories = path;
  std::size_t start = 0;
  while (start <= directories.size()) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    const std::string candidate = directories.substr(start, end - start) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

ToolRun run_tool(const std::string &display, std::vector<std::string> arguments,
                 int timeout_seconds) {
  arguments.insert(arguments.begin(), {"timeout", std::to_string(timeout_seconds)});
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    ::close(out[0]);
    ::dup2(out[1], 1);
    ::setenv("DISPLAY", display.c_str(), 1);
    exec_or_die(arguments);
  }
  ::close(out[1]);
  ToolRun run;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(out[0], buffer, sizeof buffer)) != 0) {
    if (got > 0)
      run.out.append(buffer, static_cast<std::size_t>(got));
    else if (errno != EINTR)
      break;
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  return run;
}

BackgroundProgram::BackgroundProgram(const std::string &display,
                                     const std::vector<std::string> &arguments,
                                     const std::string &stderr_path) {
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) ::dup2(err, 2);
    ::setenv("DISPLAY", display.c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");  // the real X connection, not offscreen
    exec_or_die(arguments);
  }
}

BackgroundProgram::~BackgroundProgram() {
  if (running()) end_child(pid_);
}

bool BackgroundProgram::running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
  pid_ = -1;
  if (WIFEXITED(status)) exit_code_ = WEXITSTATUS(status);
  return false;
}

}  // namespace xvfb_test
