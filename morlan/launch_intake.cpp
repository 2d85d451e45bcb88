#include "launch_intake.h"

#include <unistd.h>

#include "platform/secret_arguments.h"

namespace morlan {

namespace {

constexpr int kTokenArgument = 2;
constexpr int kHeaderArgument = 3;

}  // namespace

std::optional<LaunchKeys> takeLaunchKeys(int argc, char **argv) {
  const SecretArgumentsWiped wiped(argc, argv, kTokenArgument, kHeaderArgument);
  if (!argv || argc <= kTokenArgument) return std::nullopt;
  const bool tokenFromInput = secret_comes_from_standard_input(argv[kTokenArgument]);
  if (!tokenFromInput && argc <= kHeaderArgument) return std::nullopt;

  SecretLine tokenLine, headerLine;
  const char *token = argv[kTokenArgument];
  if (tokenFromInput) {
    if (!tokenLine.read_from(STDIN_FILENO)) return std::nullopt;
    token = tokenLine.c_str();
  }
  const char *header = argc > kHeaderArgument ? argv[kHeaderArgument] : nullptr;
  if (tokenFromInput && (!header || secret_comes_from_standard_input(header))) {
    if (!headerLine.read_from(STDIN_FILENO)) return std::nullopt;
    header = headerLine.c_str();
  }
  if (!header) return std::nullopt;
  return unwrapLaunchKeys(token, header);
}

}  // namespace morlan
