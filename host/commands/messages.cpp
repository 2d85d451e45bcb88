#include "commands/messages.h"

#include <cstdio>
#include <cstring>

#include "commands/help_text.h"

namespace folio_host {

Failure::Failure(std::string file, std::string reason)
    : std::runtime_error(file + ": " + reason),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

UsageError::UsageError(std::string command, const std::string &message)
    : std::runtime_error(message), command_(std::move(command)) {}

std::string error_text(int error_number) { return std::strerror(error_number); }

std::string failure_line(const Failure &failure) {
  return "folio-host: " + failure.file() + ": " + failure.reason() + "\n";
}

void report_failure(const Failure &failure) { std::fputs(failure_line(failure).c_str(), stderr); }

void report_usage_error(const UsageError &error) {
  std::fprintf(stderr, "folio-host: %s\n%s", error.what(), short_usage(error.command()).c_str());
}

}  // namespace folio_host
