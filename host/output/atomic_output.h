// Outputs that appear under the requested name only when complete, and
// that leave nothing behind when the tool is killed half-way.
//
// An output is made as a file with no name in the destination's directory
// (O_TMPFILE) and linked in only when complete: a kill -9 before then
// leaves nothing on disk. Where the file system refuses unnamed files it is
// made under a hidden name beside the destination instead, which an
// interrupt removes and which the next run removes after a kill -9
// (ended_runs.h). Either way it is finally renamed onto the destination.
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
  // Creates the unfinished file (mode 0600) for destination, after removing
  // what killed runs left in its directory. With an extension (".mp4"),
  // temporary_path() ends in it, for writers that choose a format by name.
  // Throws Failure naming destination when it is a directory or its
  // directory does not take new files.
  explicit PendingOutput(std::string destination, const std::string &extension = "");
  // Removes whatever name the unfinished file has unless it was committed.
  ~PendingOutput();
  PendingOutput(const PendingOutput &) = delete;
  PendingOutput &operator=(const PendingOutput &) = delete;

  const std::string &destination() const { return destination_; }
  // A path that opens the unfinished file, for a library that writes it by
  // name: the hidden name, or for an unnamed file this process's path to
  // its descriptor (or a link to that path carrying the extension).
  const std::string &temporary_path() const { return temporary_; }
  int fd() const { return fd_; }
  std::uint64_t current_size() const;

  // Throws Failure naming the destination when not every byte is taken.
  void write_all(const void *data, std::size_t size);
  // Sets the final mode and flushes the contents to disk.
  void finish(mode_t mode);

 private:
  friend void commit_together(std::initializer_list<PendingOutput *> outputs);
  void give_extension(const std::string &extension);
  // Puts the finished file under the destination's name, replacing what is
  // there. Throws Failure naming the destination.
  void place();
  void drop_alias();

  std::string destination_;
  std::string hidden_;     // the hidden name beside the destination; empty while unnamed
  std::string alias_;      // a link carrying the extension to the unnamed file; or empty
  std::string temporary_;  // see temporary_path()
  int fd_;
  bool committed_;
  InterruptCleanup cleanup_;        // the hidden name, then the destination
  InterruptCleanup alias_cleanup_;  // the alias
};

// Puts finished outputs under their destinations in order. If one fails,
// those already in place are removed again, so either all appear or none
// does. Throws Failure naming the destination that failed.
void commit_together(std::initializer_list<PendingOutput *> outputs);

// The mode a newly created file gets under the process's umask.
mode_t default_file_mode();

}  // namespace folio_host

#endif
