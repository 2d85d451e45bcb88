// One LibreOffice process for one conversion: headless and invisible, in a
// fresh private profile (which also serves as its HOME and temporary
// folder), listening on a private pipe. The process dies with the thread
// that started it, can be killed from any thread (the time limit), and is
// killed, reaped and its profile removed when the object goes.
#ifndef TESSARO_UNO_OFFICE_PROCESS_H
#define TESSARO_UNO_OFFICE_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace tessaro::uno_backend {

class OfficeProcess {
 public:
  // Makes the profile and starts the program; null when either fails.
  static std::unique_ptr<OfficeProcess> start(const std::string &program);
  ~OfficeProcess();
  OfficeProcess(const OfficeProcess &) = delete;
  OfficeProcess &operator=(const OfficeProcess &) = delete;

  // The name of the pipe the office accepts connections on.
  const std::string &pipe_name() const { return pipe_name_; }

  // A folder inside the private one for the caller's own files; removed
  // with the profile.
  std::string scratch_folder() const { return root_ + "/tmp"; }

  enum class State { running, restart, gone };
  // Whether the office still runs. An office started in a fresh profile
  // exits once after making it, asking to be started again; that is done
  // here (State::restart, and the caller tries to connect again).
  State poll();

  // Kills the office and everything it started (safe from any thread,
  // idempotent).
  void kill_now();

  // Kills the office, reaps it, and removes the profile and the sockets it
  // leaves in the runtime's folder for pipes.
  void finish();

 private:
  OfficeProcess() = default;
  bool spawn();

  std::string program_;
  std::string root_;  // the private folder: profile, HOME, temporary files
  std::string pipe_name_;
  std::string profile_url_;
  std::mutex lock_;  // pid_ against the time limit's kill
  pid_t pid_ = -1;
  int restarts_ = 0;
};

}  // namespace tessaro::uno_backend

#endif
