// A video output written by FFmpeg under a temporary name next to its
// destination and renamed into place only when complete. FFmpeg picks the
// container from the name, so the temporary keeps the destination's
// extension: ".<name>.XXXXXX<extension>".
#ifndef FOLIO_HOST_VIDEO_OUTPUT_H
#define FOLIO_HOST_VIDEO_OUTPUT_H

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "output/atomic_output.h"
#include "output/interrupt_cleanup.h"

namespace folio_host {

class PendingVideoOutput {
 public:
  // Creates the empty temporary (mode 0600). Throws Failure naming
  // destination when it is a directory or its directory takes no new files.
  explicit PendingVideoOutput(std::string destination);
  // Removes the temporary unless it was committed.
  ~PendingVideoOutput();
  PendingVideoOutput(const PendingVideoOutput &) = delete;
  PendingVideoOutput &operator=(const PendingVideoOutput &) = delete;

  const std::string &destination() const { return destination_; }
  const std::string &temporary_path() const { return temporary_; }
  std::uint64_t current_size() const;

  // Sets the final mode and flushes what FFmpeg wrote to disk.
  void finish(mode_t mode);
  // Renames the video onto its destination, then the finished companion
  // (when given) onto its own; if the companion's rename fails the video is
  // removed again, so both appear or neither does. Throws Failure naming
  // the destination that failed.
  void commit(PendingOutput *companion);

 private:
  std::string destination_;
  std::string temporary_;
  bool settled_ = false;  // renamed into place, or removed for good
  InterruptCleanup cleanup_;
};

}  // namespace folio_host

#endif
