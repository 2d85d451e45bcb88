// Launch secrets handed to a viewer or player on its standard input rather
// than on its command line, where every local user could read them
// (/proc/<pid>/cmdline, ps): each secret argument is replaced with "-",
// which the programs take to mean "read it from standard input", and its
// text becomes one line of that input, in argument order.
#ifndef FOLIO_HOST_SECRET_INPUT_H
#define FOLIO_HOST_SECRET_INPUT_H

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace folio_host {

// What "-" stands for on a viewer's or player's command line.
constexpr char kSecretFromInput[] = "-";

// A program's arguments with the input that goes with them. The secret
// text is wiped when it goes out of scope.
struct LaunchWithInput {
  std::vector<std::string> arguments;
  std::string input;  // the secret lines, each ending with '\n'

  LaunchWithInput() = default;
  LaunchWithInput(LaunchWithInput &&) = default;
  LaunchWithInput(const LaunchWithInput &) = delete;
  LaunchWithInput &operator=(const LaunchWithInput &) = delete;
  ~LaunchWithInput();
};

// Moves the arguments at the given positions (0 is the first argument after
// the program name; in increasing order) into the input, "-" left in their
// place. The moved text is wiped from arguments.
LaunchWithInput secrets_to_input(std::vector<std::string> arguments,
                                 std::initializer_list<std::size_t> secret_positions);

}  // namespace folio_host

#endif
