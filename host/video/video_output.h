// A video output written by FFmpeg and put under its destination's name
// only when complete (atomic_output.h: unnamed until then where the file
// system allows). FFmpeg picks the container from the name, so the path it
// is given keeps the destination's extension.
#ifndef FOLIO_HOST_VIDEO_OUTPUT_H
#define FOLIO_HOST_VIDEO_OUTPUT_H

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "output/atomic_output.h"

namespace folio_host {

class PendingVideoOutput {
 public:
  // Creates the empty unfinished file (mode 0600). Throws Failure naming
  // destination when it is a directory or its directory takes no new files.
  explicit PendingVideoOutput(std::string destination);

  const std::string &destination() const { return output_.destination(); }
  // The path FFmpeg writes to, ending in the destination's extension.
  const std::string &temporary_path() const { return output_.temporary_path(); }
  std::uint64_t current_size() const { return output_.current_size(); }

  // Sets the final mode and flushes what FFmpeg wrote to disk.
  void finish(mode_t mode) { output_.finish(mode); }
  // Puts the video under its destination, then the finished companion
  // (when given) under its own; both appear or neither does. Throws Failure
  // naming the destination that failed.
  void commit(PendingOutput *companion);

 private:
  PendingOutput output_;
};

}  // namespace folio_host

#endif
