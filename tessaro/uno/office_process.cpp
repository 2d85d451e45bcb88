#include "uno/office_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/process_gone.h"
#include "uno/office_interrupts.h"
#include "uno/office_traces.h"

extern char **environ;

namespace tessaro::uno_backend {

namespace {

// soffice.bin's exit code when it has made a new profile and wants to be
// started again.
constexpr int kExitRestartAfterProfile = 81;
constexpr int kMaxRestarts = 2;

std::atomic<unsigned> pipe_serial{0};

// The profile's settings, made before the first start: no locking, so no
// lock file is ever written beside a user's document (an office killed at
// its time limit, or on a failed export with the document still open,
// would leave it there).
constexpr char kSettings[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
    "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Misc\">"
    "<prop oor:name=\"UseLocking\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Misc\">"
    "<prop oor:name=\"UseDocumentOOoLockFile\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Misc\">"
    "<prop oor:name=\"UseDocumentSystemFileLocking\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
    "</oor:items>\n";

bool write_new_file(const std::string &path, const std::string &content) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = write(fd, content.data(), content.size()) ==
                       static_cast<ssize_t>(content.size());
  return close(fd) == 0 && written;
}

// The office's build identifier ("buildid=" in program/versionrc); empty
// when it cannot be read.
std::string build_id(const std::string &program) {
  const std::string versionrc = program.substr(0, program.find_last_of('/') + 1) + "versionrc";
  std::FILE *file = std::fopen(versionrc.c_str(), "r");
  if (!file) return {};
  char line[512];
  std::string id;
  while (std::fgets(line, sizeof line, file)) {
    if (std::strncmp(line, "buildid=", 8) == 0) {
      id = line + 8;
      while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
      break;
    }
  }
  std::fclose(file);
  return id;
}

// A new profile makes the office set itself up and then exit, asking to be
// started again (about a quarter of a second). A profile that already
// names the office's build is taken as set up, so the office is started
// once. Should a later office want more, it asks for the restart, and
// poll() does it.
bool write_settings(const std::string &root, const std::string &program) {
  const std::string user = root + "/profile/user";
  if (mkdir((root + "/profile").c_str(), 0700) != 0 || mkdir(user.c_str(), 0700) != 0 ||
      !write_new_file(user + "/registrymodifications.xcu", kSettings))
    return false;
  const std::string id = build_id(program);
  if (id.empty() || mkdir((user + "/extensions").c_str(), 0700) != 0) return true;
  write_new_file(user + "/extensions/buildid", id);
  return true;
}

}  // namespace

std::unique_ptr<OfficeProcess> OfficeProcess::start(const std::string &program) {
  // What callers killed before they could clean up left behind.
  remove_callers_traces(process_gone);
  std::unique_ptr<OfficeProcess> office(new OfficeProcess);
  register_office(office.get());
  office->program_ = program;
  std::string pattern = private_folder_template();
  if (!mkdtemp(pattern.data())) return nullptr;
  office->root_ = pattern;
  office->profile_url_ = profile_url(office->root_);
  if (mkdir((office->root_ + "/tmp").c_str(), 0700) != 0 || !write_settings(office->root_, program)) {
    remove_office_traces(office->root_, std::string());
    return nullptr;
  }
  // Unique across processes (the pid) and calls (the serial and the
  // folder's random part).
  office->pipe_name_ = "tessaro-" + std::to_string(getpid()) + "-" +
                       std::to_string(pipe_serial.fetch_add(1)) + "-" +
                       office->root_.substr(office->root_.size() - 6);
  if (!office->spawn()) {
    office->finish();
    return nullptr;
  }
  return office;
}

bool OfficeProcess::spawn() {
  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls.
  const std::string accept = "--accept=pipe,name=" + pipe_name_ + ";urp;StarOffice.ComponentContext";
  const std::string profile = "-env:UserInstallation=" + profile_url_;
  std::vector<std::string> arguments = {program_,      "--headless",  "--invisible",
                                        "--nologo",    "--norestore", "--nolockcheck",
                                        "--nodefault", accept,        profile};
  std::vector<std::string> environment;
  for (char **entry = environ; *entry; ++entry) {
    if (std::strncmp(*entry, "HOME=", 5) != 0 && std::strncmp(*entry, "TMPDIR=", 7) != 0)
      environment.emplace_back(*entry);
  }
  // Nothing of the office reaches the user's home or the shared /tmp.
  environment.push_back("HOME=" + root_);
  environment.push_back("TMPDIR=" + root_ + "/tmp");

  std::vector<char *> argv;
  for (std::string &a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char *> envp;
  for (std::string &e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // A group of its own, so that a kill reaches whatever it starts; and
    // dead with its parent, so that a crashed caller leaves nothing behind.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The caller may hold interrupts back for a thread of its own (Brevint
    // does); the office handles its signals itself.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (getppid() != parent) _exit(127);
    const int null_device = open("/dev/null", O_RDWR);
    if (null_device >= 0) {
      // Its messages would mix with the caller's standard output.
      dup2(null_device, 0);
      dup2(null_device, 1);
      dup2(null_device, 2);
    }
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3U, ~0U, 0U) != 0)
#endif
    {
      for (int fd = 3; fd < 4096; ++fd) close(fd);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  setpgid(pid, pid);  // also from here, so that no kill can come before it
  std::lock_guard<std::mutex> hold(lock_);
  pid_ = pid;
  return true;
}

OfficeProcess::State OfficeProcess::poll() {
  int status = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (pid_ < 0) return State::gone;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      pid_ = -1;  // not our child any more: nothing left to wait for
      return State::gone;
    }
    if (info.si_pid == 0) return State::running;
    // The group may still hold children of the office; while the exited
    // office is not reaped its id cannot name anyone else.
    kill(-pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kExitRestartAfterProfile &&
      restarts_ < kMaxRestarts) {
    ++restarts_;
    return spawn() ? State::restart : State::gone;
  }
  return State::gone;
}

void OfficeProcess::kill_now() {
  std::lock_guard<std::mutex> hold(lock_);
  if (pid_ > 0) kill(-pid_, SIGKILL);
}

void OfficeProcess::finish() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (pid_ > 0) {
      // Its group too: whatever it started goes with it.
      kill(-pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
    }
  }
  if (!root_.empty()) {
    remove_office_traces(root_, pipe_name_);
    root_.clear();
  }
}

OfficeProcess::~OfficeProcess() {
  finish();
  unregister_office(this);
}

}  // namespace tessaro::uno_backend
