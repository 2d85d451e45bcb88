// Outputs written under a temporary name in the destination's directory and
// renamed into place only when complete, so that no half-written file ever
// appears under the requested name.
#ifndef FOLIO_HOST_ATOMIC_OUTPUT_H
#define FOLIO_HOST_ATOMIC_OUTPUT_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "output/interrupt_cleanup.h"

namespace folio_host {

class PendingOutput {
 public:
  // Creates the temporary ".<name>.XXXXXX" (mode 0600) next to destination.
  // Throws Failure naming destination when it is a directory or its
  // directory does not take new files.
  explicit PendingOutput(std::string destination);
  // Removes the temporary unless it was committed.
  ~PendingOutput();
  PendingOutput(const PendingOutput &) = delete;
  PendingOutput &operator=(const PendingOutput &) = delete;

  const std::string &destination() const { return destination_; }
  const std::string &temporary_path() const { return temporary_; }
  int fd() const { return fd_; }
  std::uint64_t current_size() const;

  // Throws Failure naming the destination when not every byte is taken.
  void write_all(const void *data, std::size_t size);
  // Sets the final mode, flushes the contents to disk and closes.
  void finish(mode_t mode);
  // Removes the temporary now: it was scratch space, never to be committed.
  void discard();

 private:
  friend void commit_together(std::initializer_list<PendingOutput *> outputs);

  std::string destination_;
  std::string temporary_;
  int fd_;
  bool committed_;
  InterruptCleanup cleanup_;
};

// Renames finished outputs onto their destinations in order. If one rename
// fails, those already renamed are removed again, so either all appear or
// none does. Throws Failure naming the destination that failed.
void commit_together(std::initializer_list<PendingOutput *> outputs);

// The mode a newly created file gets under the process's umask.
mode_t default_file_mode();

}  // namespace folio_host

#endif
