#include "uno/office_interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <thread>

#include "automation/interrupts.h"
#include "uno/office_process.h"
#include "uno/office_traces.h"

namespace tessaro {

namespace uno_backend {

namespace {

std::mutex live_lock;
std::set<OfficeProcess *> live_offices;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

void register_office(OfficeProcess *office) {
  std::lock_guard<std::mutex> hold(live_lock);
  live_offices.insert(office);
}

void unregister_office(OfficeProcess *office) {
  std::lock_guard<std::mutex> hold(live_lock);
  live_offices.erase(office);
}

namespace {

void end_offices_and_die(int signal_number) {
  // Held until the process dies: a conversion that sees its office gone
  // waits in unregister_office instead of returning, so the caller cannot
  // exit normally before the signal ends it.
  std::lock_guard<std::mutex> hold(live_lock);
  // Killed first, so that nothing writes into a folder being removed.
  for (OfficeProcess *office : live_offices) office->kill_now();
  const long self = getpid();
  remove_callers_traces([self](long pid) { return pid == self; });
  signal(signal_number, SIG_DFL);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &just_this, nullptr);
  raise(signal_number);
}

}  // namespace

}  // namespace uno_backend

void end_offices_on_interrupt() {
  sigset_t awaited;
  sigemptyset(&awaited);
  for (int signal_number : uno_backend::kInterruptSignals) {
    struct sigaction current {};
    if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
      continue;
    sigaddset(&awaited, signal_number);
  }
  pthread_sigmask(SIG_BLOCK, &awaited, nullptr);
  std::thread([awaited] {
    int signal_number = 0;
    while (sigwait(&awaited, &signal_number) != 0) {
    }
    uno_backend::end_offices_and_die(signal_number);
  }).detach();
}

}  // namespace tessaro
