#include "launch_command_line.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace launch_test {

LaunchCommandLine::LaunchCommandLine(std::vector<std::optional<std::string>> words)
    : words_(std::move(words)) {
  words_.insert(words_.begin(), std::string("pageview"));
}

pageview::LaunchOutcome LaunchCommandLine::parse() const {
  std::vector<const char *> argv;
  for (const auto &word : words_) argv.push_back(word ? word->c_str() : nullptr);
  const int argc = static_cast<int>(argv.size());
  argv.push_back(nullptr);
  return pageview::parseLaunchArguments(argc, argv.data());
}

std::vector<std::optional<std::string>> wellFormedWords(const std::string &token,
                                                         const std::string &nonce) {
  return {"/docs/report.fpd", token, nonce, "v1", "pdf", "internal", "-"};
}

const pageview::LaunchParameters &parametersOf(const pageview::LaunchOutcome &outcome) {
  if (const auto *failure = std::get_if<pageview::LaunchFailure>(&outcome)) {
    ADD_FAILURE() << "start-up refused: \"" << (failure->message ? failure->message : "")
                  << "\", exit " << failure->exitCode;
    throw std::runtime_error("start-up refused");
  }
  return std::get<pageview::LaunchParameters>(outcome);
}

const pageview::LaunchFailure &failureOf(const pageview::LaunchOutcome &outcome) {
  if (!std::holds_alternative<pageview::LaunchFailure>(outcome)) {
    ADD_FAILURE() << "start-up accepted a command line it must refuse";
    throw std::runtime_error("start-up accepted");
  }
  return std::get<pageview::LaunchFailure>(outcome);
}

}  // namespace launch_test
