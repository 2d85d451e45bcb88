#include "output/atomic_output.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "commands/messages.h"
#include "output/ended_runs.h"
#include "output/file_copy.h"
#include "output/output_paths.h"
#include "output/path_names.h"

namespace folio_host {

namespace {

// Where links that only give an unnamed file a name live: not beside the
// destination, and holding no data of their own.
std::string alias_folder() {
  const char *tmp = ::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

PendingOutput::PendingOutput(std::string destination, const std::string &extension)
    : destination_(std::move(destination)), fd_(-1), committed_(false) {
  reject_directory(destination_);
  const std::string directory = directory_of(destination_);
  const std::string name_template = temporary_template(destination_, extension);
  remove_leftovers_of_ended_runs(directory);
  remove_leftovers_of_ended_runs(alias_folder());
  // Blocked so that an interrupt cannot fall between creating a named file
  // and recording its name.
  InterruptsBlocked blocked;
  fd_ = create_unnamed(directory);
  if (fd_ >= 0) {
    temporary_ = descriptor_path(fd_);
    if (!extension.empty()) give_extension(extension);
    return;
  }
  hidden_ = name_template;
  fd_ = create_temporary(hidden_, destination_, static_cast<int>(extension.size()));
  cleanup_.watch(hidden_);
  temporary_ = hidden_;
}

void PendingOutput::give_extension(const std::string &extension) {
  alias_ = hidden_template(alias_folder(), file_name_of(destination_), extension);
  const std::string target = temporary_;
  create_uniquely(
      alias_, static_cast<int>(extension.size()),
      [&target](const std::string &candidate) {
        return ::symlink(target.c_str(), candidate.c_str()) == 0;
      },
      destination_, "cannot create a link");
  alias_cleanup_.watch(alias_);
  temporary_ = alias_;
}

void PendingOutput::drop_alias() {
  if (alias_.empty()) return;
  InterruptsBlocked blocked;
  ::unlink(alias_.c_str());
  alias_cleanup_.release();
  alias_.clear();
}

PendingOutput::~PendingOutput() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !hidden_.empty()) ::unlink(hidden_.c_str());
  drop_alias();
}

std::uint64_t PendingOutput::current_size() const {
  struct stat now {};
  if (::fstat(fd_, &now) != 0) return 0;
  return static_cast<std::uint64_t>(now.st_size);
}

void PendingOutput::write_all(const void *data, std::size_t size) {
  folio_host::write_all(fd_, data, size, destination_);
}

void PendingOutput::finish(mode_t mode) {
  if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) throw Failure(destination_, error_text(errno));
}

void PendingOutput::place() {
  if (hidden_.empty()) {
    // An unnamed file is linked in under a hidden name first: linkat never
    // replaces a file, and the destination may exist.
    std::string name = temporary_template(destination_);
    const std::string source = descriptor_path(fd_);
    create_uniquely(
        name, 0,
        [&source](const std::string &candidate) {
          return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(),
                          AT_SYMLINK_FOLLOW) == 0;
        },
        destination_, "cannot link the finished file");
    hidden_ = name;
    cleanup_.watch(hidden_);
  }
  if (::rename(hidden_.c_str(), destination_.c_str()) != 0) {
    const int error = errno;
    ::unlink(hidden_.c_str());
    throw Failure(destination_, error_text(error));
  }
}

void commit_together(std::initializer_list<PendingOutput *> outputs) {
  std::vector<PendingOutput *> placed;
  for (PendingOutput *output : outputs) {
    InterruptsBlocked blocked;
    try {
      output->place();
    } catch (const Failure &) {
      for (PendingOutput *done : placed) ::unlink(done->destination_.c_str());
      throw;
    }
    // Until every output is in place an interrupt must take this one back.
    output->cleanup_.watch(output->destination_);
    placed.push_back(output);
  }
  for (PendingOutput *output : placed) {
    sync_directory(directory_of(output->destination_));
    output->committed_ = true;
    output->cleanup_.release();
    output->drop_alias();
  }
}

mode_t default_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666) & ~mask;
}

}  // namespace folio_host
