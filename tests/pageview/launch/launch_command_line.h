// Command lines for the viewer's start-up, built word by word, with the
// argv that main would see (a null where a test leaves a word out).
#ifndef FOLIO_TESTS_PAGEVIEW_LAUNCH_LAUNCH_COMMAND_LINE_H
#define FOLIO_TESTS_PAGEVIEW_LAUNCH_LAUNCH_COMMAND_LINE_H

#include <optional>
#include <string>
#include <vector>

#include "pageview/launch/launch_arguments.h"

namespace launch_test {

class LaunchCommandLine {
 public:
  // The program name followed by words; std::nullopt stands for a null.
  explicit LaunchCommandLine(std::vector<std::optional<std::string>> words);

  pageview::LaunchOutcome parse() const;

 private:
  std::vector<std::optional<std::string>> words_;
};

// A nonce argument that decodes to 8 bytes.
constexpr const char *kSampleNonce = "AAECAwQFBgc=";

// A well-formed command line around token and nonce: a PDF of variant v1
// at /docs/report.fpd, watermark "internal", seventh argument "-".
std::vector<std::optional<std::string>> wellFormedWords(const std::string &token,
                                                         const std::string &nonce);

// The parameters of an outcome that must have succeeded, or the failure of
// one that must have failed; either fails the test (and throws) otherwise.
const pageview::LaunchParameters &parametersOf(const pageview::LaunchOutcome &outcome);
const pageview::LaunchFailure &failureOf(const pageview::LaunchOutcome &outcome);

}  // namespace launch_test

#endif
