#include "launch_intake.h"

#include <unistd.h>

#include <array>

#include "platform/secret_arguments.h"

namespace pageview {

namespace {

constexpr char kTokenReadError[] = "launch token read error !";
constexpr int kTokenArgument = 2;
constexpr int kNonceArgument = 3;

// Overwrites the secret arguments whatever happened before.
class SecretArgumentsWiped {
 public:
  SecretArgumentsWiped(int argc, char **argv) : argc_(argc), argv_(argv) {}
  ~SecretArgumentsWiped() {
    if (!argv_) return;
    for (int index : {kTokenArgument, kNonceArgument})
      // "-" stays: it says where the secret came from, and is none.
      if (index < argc_ && !secret_comes_from_standard_input(argv_[index]))
        wipe_argument(argv_[index]);
  }
  SecretArgumentsWiped(const SecretArgumentsWiped &) = delete;
  SecretArgumentsWiped &operator=(const SecretArgumentsWiped &) = delete;

 private:
  int argc_;
  char **argv_;
};

}  // namespace

LaunchOutcome takeLaunchArguments(int argc, char **argv) {
  const SecretArgumentsWiped wiped(argc, argv);
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
