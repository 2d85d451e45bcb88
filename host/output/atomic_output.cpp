#include "output/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "output/file_copy.h"
#include "commands/messages.h"
#include "output/output_paths.h"
#include "output/path_names.h"

namespace folio_host {

PendingOutput::PendingOutput(std::string destination)
    : destination_(std::move(destination)),
      temporary_(temporary_template(destination_)),
      fd_(-1),
      committed_(false),
      cleanup_(temporary_) {
  reject_directory(destination_);
  // Blocked so that an interrupt cannot fall between creating the file and
  // recording its real name.
  InterruptsBlocked blocked;
  fd_ = create_temporary(temporary_, destination_);
  cleanup_.replace(temporary_);
}

PendingOutput::~PendingOutput() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(temporary_.c_str());
}

std::uint64_t PendingOutput::current_size() const {
  struct stat now {};
  if (::stat(temporary_.c_str(), &now) != 0) return 0;
  return static_cast<std::uint64_t>(now.st_size);
}

void PendingOutput::write_all(const void *data, std::size_t size) {
  folio_host::write_all(fd_, data, size, destination_);
}

void PendingOutput::finish(mode_t mode) {
  if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) throw Failure(destination_, error_text(errno));
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw Failure(destination_, error_text(errno));
}

void PendingOutput::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
  cleanup_.release();
}

void commit_together(std::initializer_list<PendingOutput *> outputs) {
  std::vector<PendingOutput *> renamed;
  for (PendingOutput *output : outputs) {
    InterruptsBlocked blocked;
    if (::rename(output->temporary_.c_str(), output->destination_.c_str()) != 0) {
      const int error = errno;
      for (PendingOutput *done : renamed) ::unlink(done->destination_.c_str());
      throw Failure(output->destination_, error_text(error));
    }
    // Until every output is in place an interrupt must take this one back.
    output->cleanup_.replace(output->destination_);
    renamed.push_back(output);
  }
  for (PendingOutput *output : renamed) {
    sync_directory(directory_of(output->destination_));
    output->committed_ = true;
    output->cleanup_.release();
  }
}

mode_t default_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666) & ~mask;
}

}  // namespace folio_host
