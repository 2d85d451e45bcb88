#include "launching/secret_input.h"

#include <string.h>

#include <stdexcept>

namespace folio_host {

namespace {

void wipe(std::string &text) { ::explicit_bzero(text.data(), text.size()); }

}  // namespace

LaunchWithInput::~LaunchWithInput() {
  wipe(input);
  for (std::string &argument : arguments) wipe(argument);
}

LaunchWithInput secrets_to_input(std::vector<std::string> arguments,
                                 std::initializer_list<std::size_t> secret_positions) {
  LaunchWithInput launch;
  launch.arguments = std::move(arguments);
  // One allocation: a growing buffer would leave copies in freed memory.
  std::size_t total = 0;
  for (std::size_t position : secret_positions) {
    const std::string &secret = launch.arguments.at(position);
    if (secret.find('\n') != std::string::npos)
      throw std::logic_error("a launch secret must be a single line");
    total += secret.size() + 1;
  }
  launch.input.reserve(total);
  for (std::size_t position : secret_positions) {
    std::string &secret = launch.arguments[position];
    launch.input += secret;
    launch.input += '\n';
    wipe(secret);
    secret = kSecretFromInput;
  }
  return launch;
}

}  // namespace folio_host
