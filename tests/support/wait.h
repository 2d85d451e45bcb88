// Waiting for a condition a test needs (a window mapped, a picture drawn,
// a process answering) instead of sleeping and hoping: the condition is
// polled until it holds or a deadline passes. Deadlines are generous on
// purpose: reaching one means a hang, not a slow machine.
#ifndef FOLIO_TESTS_SUPPORT_WAIT_H
#define FOLIO_TESTS_SUPPORT_WAIT_H

#include <chrono>
#include <thread>

namespace folio_test {

// Long enough for a sanitizer build on a loaded two-core machine.
constexpr std::chrono::seconds kGenerousDeadline{30};

// Polls ready() every poll until it returns true (then true) or limit has
// passed (then false, after one last try).
template <typename Ready>
bool wait_until(Ready &&ready, std::chrono::milliseconds limit = kGenerousDeadline,
                std::chrono::milliseconds poll = std::chrono::milliseconds(50)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (ready()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(poll);
  }
}

}  // namespace folio_test

#endif
