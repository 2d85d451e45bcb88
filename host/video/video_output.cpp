#include "video/video_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "commands/messages.h"
#include "output/output_paths.h"
#include "output/path_names.h"
#include "video/video_container.h"

namespace folio_host {

PendingVideoOutput::PendingVideoOutput(std::string destination)
    : destination_(std::move(destination)),
      temporary_(temporary_template(destination_, extension_of(destination_))),
      cleanup_(temporary_) {
  reject_directory(destination_);
  // Blocked so that an interrupt cannot fall between creating the file and
  // recording its real name.
  InterruptsBlocked blocked;
  // FFmpeg opens the file by name later; it only has to exist, so that the
  // name is ours and its mode stays 0600 until the video is complete.
  ::close(create_temporary(temporary_, destination_,
                           static_cast<int>(extension_of(destination_).size())));
  cleanup_.replace(temporary_);
}

PendingVideoOutput::~PendingVideoOutput() {
  if (!settled_) ::unlink(temporary_.c_str());
}

std::uint64_t PendingVideoOutput::current_size() const {
  struct stat now {};
  if (::stat(temporary_.c_str(), &now) != 0) return 0;
  return static_cast<std::uint64_t>(now.st_size);
}

void PendingVideoOutput::finish(mode_t mode) {
  const int fd = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) throw Failure(destination_, error_text(errno));
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    throw Failure(destination_, error_text(error));
  }
  if (::close(fd) != 0) throw Failure(destination_, error_text(errno));
}

void PendingVideoOutput::commit(PendingOutput *companion) {
  {
    InterruptsBlocked blocked;
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0)
      throw Failure(destination_, error_text(errno));
    // Until the companion is in place too an interrupt must take this back.
    cleanup_.replace(destination_);
  }
  if (companion) {
    try {
      commit_together({companion});
    } catch (const Failure &) {
      InterruptsBlocked blocked;
      ::unlink(destination_.c_str());
      settled_ = true;
      cleanup_.release();
      throw;
    }
  }
  sync_directory(directory_of(destination_));
  settled_ = true;
  cleanup_.release();
}

}  // namespace folio_host
