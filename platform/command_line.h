// The program arguments as narrow strings. On Windows the process's UTF-16
// command line is split by the system's own rules (CommandLineToArgvW) and
// every argument converted to the ANSI code page (characters it lacks
// become the code page's default character). Elsewhere a program's argv is
// already narrow UTF-8 and is used as given.
#ifndef FOLIO_PLATFORM_COMMAND_LINE_H
#define FOLIO_PLATFORM_COMMAND_LINE_H

#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
// The arguments of command_line, the program name first; nothing when the
// system cannot split it.
std::optional<std::vector<std::string>> narrow_arguments(const wchar_t *command_line);

// The same for this process's own command line (GetCommandLineW).
std::optional<std::vector<std::string>> process_narrow_arguments();
#endif

// argc/argv over narrow strings, for a main() written the C way. The
// strings must outlive the view.
class ArgumentVector {
 public:
  explicit ArgumentVector(std::vector<std::string> &strings) {
    for (std::string &s : strings) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(pointers_.size() - 1); }
  char **argv() { return pointers_.data(); }

 private:
  std::vector<char *> pointers_;
};

#endif
