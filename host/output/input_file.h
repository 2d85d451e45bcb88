// An input file opened by the tool itself before any library call, so that
// a missing, unreadable or unsuitable file is reported with the system's
// own reason, and so that a file changed underneath can be noticed.
#ifndef FOLIO_HOST_INPUT_FILE_H
#define FOLIO_HOST_INPUT_FILE_H

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace folio_host {

class InputFile {
 public:
  // Opens a regular file for reading; throws Failure naming it. `name`
  // is what messages call it when path is not the user's name for it (a
  // converted document's PDF at /proc/self/fd/N): the user's document.
  explicit InputFile(std::string path, std::string name = "");
  ~InputFile();
  InputFile(const InputFile &) = delete;
  InputFile &operator=(const InputFile &) = delete;

  const std::string &path() const { return path_; }
  const std::string &name() const { return name_; }
  int fd() const { return fd_; }
  // The size when the file was opened.
  std::uint64_t size() const { return static_cast<std::uint64_t>(opened_.st_size); }

  // Throws Failure when the file's size or modification time differs from
  // when it was opened; what says what the tool was doing with it.
  void check_unchanged(const std::string &what) const;

  // True when path names this very file (another name for it included).
  bool is_same_file_as(const std::string &path) const;

 private:
  std::string path_;
  std::string name_;
  int fd_;
  struct stat opened_;
};

// True when both paths exist and name the same file.
bool names_same_file(const std::string &first, const std::string &second);

}  // namespace folio_host

#endif
