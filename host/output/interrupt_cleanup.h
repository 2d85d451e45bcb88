// Removing unfinished files when the tool is interrupted (SIGINT, SIGTERM,
// SIGHUP), so that no half-written file survives under any name.
//
// The paths live in fixed slots that the signal handler can read safely.
// Slots change only with those signals blocked, and helper threads are
// started with them blocked, so the handler always runs on the main thread
// and never sees a slot mid-update.
#ifndef FOLIO_HOST_INTERRUPT_CLEANUP_H
#define FOLIO_HOST_INTERRUPT_CLEANUP_H

#include <signal.h>

#include <string>
#include <thread>
#include <utility>

namespace folio_host {

// Installs the handler: it removes every registered path, then lets the
// signal end the process as it would have without the handler.
void install_interrupt_cleanup();

// A path removed if the process is interrupted while it is registered.
class InterruptCleanup {
 public:
  // Watches nothing yet: for a file that has no name so far.
  InterruptCleanup() : slot_(-1) {}
  // Throws Failure (naming path) when the path is too long or every slot is taken.
  explicit InterruptCleanup(const std::string &path);
  ~InterruptCleanup();
  InterruptCleanup(const InterruptCleanup &) = delete;
  InterruptCleanup &operator=(const InterruptCleanup &) = delete;

  // Watches path from now on: the file got a name, or now lives under
  // another one (after a rename). Throws as the constructor does.
  void watch(const std::string &path);
  // Stop watching: the file is final, or already gone.
  void release();

 private:
  int slot_;
};

// Holds the interrupt signals back on the calling thread while it lives.
class InterruptsBlocked {
 public:
  InterruptsBlocked();
  ~InterruptsBlocked();
  InterruptsBlocked(const InterruptsBlocked &) = delete;
  InterruptsBlocked &operator=(const InterruptsBlocked &) = delete;

 private:
  sigset_t previous_;
};

// A thread that never runs the interrupt handler.
template <typename Function>
std::thread start_shielded_thread(Function &&function) {
  InterruptsBlocked blocked;  // the new thread inherits the mask
  return std::thread(std::forward<Function>(function));
}

}  // namespace folio_host

#endif
