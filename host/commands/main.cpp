// folio-host: the reference host tool. It protects files with libfolioc
// and restores them, so that the suite can be used end to end.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "commands/help_text.h"
#include "output/interrupt_cleanup.h"
#include "commands/messages.h"

using namespace folio_host;

namespace {

int dispatch(const std::vector<std::string> &words) {
  if (words.empty()) throw UsageError("", "missing command");
  const std::string &first = words[0];
  if (first == "-h" || first == "--help") {
    std::fputs(full_help("").c_str(), stdout);
    return kExitSuccess;
  }
  if (first == "--version") {
    std::fputs(version_text().c_str(), stdout);
    return kExitSuccess;
  }
  if (first == "help") {
    if (words.size() > 2) throw UsageError("", "help takes at most one command");
    const std::string command = words.size() == 2 ? words[1] : "";
    if (!command.empty() && !is_command(command))
      throw UsageError("", "unknown command '" + command + "'");
    std::fputs(full_help(command).c_str(), stdout);
    return kExitSuccess;
  }
  if (first.size() > 1 && first[0] == '-') throw UsageError("", "unknown option '" + first + "'");
  return run_command(first, std::vector<std::string>(words.begin() + 1, words.end()));
}

// Output that never reached standard output (a full disk, a closed pipe)
// is a failure, not a success.
int check_standard_output(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    report_failure(Failure("standard output", error_text(errno)));
    return kExitFailure;
  }
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  install_interrupt_cleanup();
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  int status;
  try {
    status = dispatch(words);
  } catch (const UsageError &error) {
    report_usage_error(error);
    status = kExitUsage;
  } catch (const Failure &failure) {
    report_failure(failure);
    status = kExitFailure;
  } catch (const std::exception &error) {
    report_failure(Failure("unexpected error", error.what()));
    status = kExitFailure;
  }
  return check_standard_output(status);
}
