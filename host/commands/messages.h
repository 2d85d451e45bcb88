// How folio-host reports trouble: one line on standard error per failure,
// "folio-host: <file>: <reason>", and the exit status that goes with it.
#ifndef FOLIO_HOST_MESSAGES_H
#define FOLIO_HOST_MESSAGES_H

#include <stdexcept>
#include <string>

namespace folio_host {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a file could not be handled
constexpr int kExitUsage = 2;    // the command line is wrong

// A file that could not be handled. Thrown by commands, reported by main.
class Failure : public std::runtime_error {
 public:
  Failure(std::string file, std::string reason);
  const std::string &file() const { return file_; }
  const std::string &reason() const { return reason_; }

 private:
  std::string file_;
  std::string reason_;
};

// A command line that cannot be run; command is empty for the tool itself.
class UsageError : public std::runtime_error {
 public:
  UsageError(std::string command, const std::string &message);
  const std::string &command() const { return command_; }

 private:
  std::string command_;
};

// The text of an errno value.
std::string error_text(int error_number);

// "folio-host: <file>: <reason>\n", and writing it to standard error.
std::string failure_line(const Failure &failure);
void report_failure(const Failure &failure);
// Prints the message and a short usage for the command (or the tool).
void report_usage_error(const UsageError &error);

}  // namespace folio_host

#endif
