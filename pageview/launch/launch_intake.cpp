#include "launch_intake.h"

#include <unistd.h>

#include <array>

#include "platform/secret_arguments.h"

namespace pageview {

namespace {

constexpr char kTokenReadError[] = "launch token read error !";
constexpr int kTokenArgument = 2;
constexpr int kNonceArgument = 3;

}  // namespace

LaunchOutcome takeLaunchArguments(int argc, char **argv) {
  const SecretArgumentsWiped wiped(argc, argv, kTokenArgument, kNonceArgument);
  if (argc != kLaunchArgumentCount || !argv || !secret_comes_from_standard_input(argv[kTokenArgument]))
    return parseLaunchArguments(argc, argv);

  SecretLine token;
  if (!token.read_from(STDIN_FILENO)) return LaunchFailure{kTokenReadError, 1};
  std::array<const char *, kLaunchArgumentCount + 1> arguments{};
  for (int i = 0; i < argc; ++i) arguments[i] = argv[i];
  arguments[kTokenArgument] = token.c_str();
  return parseLaunchArguments(argc, arguments.data());
}

}  // namespace pageview
