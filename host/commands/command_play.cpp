// play: starts the video player on a protected video with a launch token
// for the key from its key file, or (--encrypt) on a clear video for the
// player to encrypt and then play; ends with the player's exit status.
#include "commands/commands.h"
#include "launching/player_arguments.h"
#include "launching/player_process.h"

namespace folio_host {

int run_play(const CommandArguments &arguments) {
  // The player is chosen first: without one, no launch token is issued.
  const std::string player = choose_player(arguments.option("--player"));
  const bool encrypt_first = arguments.option("--encrypt") != nullptr;
  return run_player(player, encrypt_first ? encrypt_then_play_arguments(arguments)
                                          : play_arguments(arguments));
}

}  // namespace folio_host
