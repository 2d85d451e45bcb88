// play: starts the video player on a protected video with a launch token
// for the key from its key file, or (--encrypt) on a clear video for the
// player to encrypt and then play; ends with the player's exit status. The
// token and the header block reach the player on its standard input, one
// line each ("-" in their places on the command line).
#include "commands/commands.h"
#include "launching/player_arguments.h"
#include "launching/player_process.h"
#include "launching/secret_input.h"

namespace folio_host {

namespace {

constexpr std::size_t kPlayerTokenArgument = 1;   // after the video's path
constexpr std::size_t kPlayerHeaderArgument = 2;  // the enciphered header block

}  // namespace

int run_play(const CommandArguments &arguments) {
  // The player is chosen first: without one, no launch token is issued.
  const std::string player = choose_player(arguments.option("--player"));
  const bool encrypt_first = arguments.option("--encrypt") != nullptr;
  const LaunchWithInput launch =
      secrets_to_input(encrypt_first ? encrypt_then_play_arguments(arguments)
                                     : play_arguments(arguments),
                       {kPlayerTokenArgument, kPlayerHeaderArgument});
  return run_player(player, launch.arguments, &launch.input);
}

}  // namespace folio_host
