#include "output/interrupt_cleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <cstring>

#include "commands/messages.h"

namespace folio_host {

namespace {

constexpr int kSlots = 8;
constexpr std::size_t kMaxPath = 4096;
constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct Slot {
  volatile sig_atomic_t used;
  char path[kMaxPath];
};

Slot g_slots[kSlots];

extern "C" void on_interrupt(int signal_number) {
  for (Slot &slot : g_slots)
    if (slot.used) ::unlink(slot.path);
  // The handler was installed with SA_RESETHAND: the signal, delivered again
  // once this handler returns, ends the process with the usual status.
  ::raise(signal_number);
}

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kInterruptSignals) sigaddset(&set, signal_number);
  return set;
}

void store_path(Slot &slot, const std::string &path) {
  std::memcpy(slot.path, path.c_str(), path.size() + 1);
}

}  // namespace

void install_interrupt_cleanup() {
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  action.sa_flags = SA_RESETHAND;
  action.sa_mask = interrupt_set();
  for (int signal_number : kInterruptSignals) {
    struct sigaction previous {};
    // A signal ignored by whoever started us stays ignored (nohup).
    if (::sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
      continue;
    ::sigaction(signal_number, &action, nullptr);
  }
}

InterruptsBlocked::InterruptsBlocked() {
  const sigset_t set = interrupt_set();
  ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptsBlocked::~InterruptsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

InterruptCleanup::InterruptCleanup(const std::string &path) : slot_(-1) { watch(path); }

InterruptCleanup::~InterruptCleanup() { release(); }

void InterruptCleanup::watch(const std::string &path) {
  if (path.size() >= kMaxPath) throw Failure(path, error_text(ENAMETOOLONG));
  InterruptsBlocked blocked;
  if (slot_ >= 0) {
    store_path(g_slots[slot_], path);
    return;
  }
  for (int i = 0; i < kSlots; ++i) {
    if (g_slots[i].used) continue;
    store_path(g_slots[i], path);
    g_slots[i].used = 1;
    slot_ = i;
    return;
  }
  throw Failure(path, "too many files in progress");
}

void InterruptCleanup::release() {
  if (slot_ < 0) return;
  InterruptsBlocked blocked;
  g_slots[slot_].used = 0;
  slot_ = -1;
}

}  // namespace folio_host
