#include "output/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "commands/messages.h"

namespace folio_host {

InputFile::InputFile(std::string path, std::string name)
    : path_(std::move(path)), name_(name.empty() ? path_ : std::move(name)), fd_(-1), opened_{} {
  // Non-blocking so that a FIFO given by mistake is refused, not waited on;
  // reads from a regular file are unaffected.
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw Failure(name_, error_text(errno));
  if (::fstat(fd_, &opened_) != 0) {
    const int error = errno;
    ::close(fd_);
    throw Failure(name_, error_text(error));
  }
  if (!S_ISREG(opened_.st_mode)) {
    ::close(fd_);
    throw Failure(name_, S_ISDIR(opened_.st_mode) ? error_text(EISDIR) : "not a regular file");
  }
}

InputFile::~InputFile() { ::close(fd_); }

void InputFile::check_unchanged(const std::string &what) const {
  struct stat now {};
  if (::fstat(fd_, &now) != 0) throw Failure(name_, error_text(errno));
  if (now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
      now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec)
    throw Failure(name_, "the file changed while " + what);
}

bool InputFile::is_same_file_as(const std::string &path) const {
  struct stat other {};
  return ::stat(path.c_str(), &other) == 0 && other.st_dev == opened_.st_dev &&
         other.st_ino == opened_.st_ino;
}

bool names_same_file(const std::string &first, const std::string &second) {
  struct stat a {
  }, b{};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace folio_host
