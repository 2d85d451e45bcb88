// Starting the video player program as a child and waiting for it to end.
#ifndef FOLIO_HOST_PLAYER_PROCESS_H
#define FOLIO_HOST_PLAYER_PROCESS_H

#include <string>
#include <vector>

namespace folio_host {

// Which player to start: the --player option (null when not given), else
// the FOLIO_MORLAN environment variable, else the player built with this
// tool. Throws Failure when there is none, or it is missing or not
// executable.
std::string choose_player(const std::string *player_option);

// Runs the player as run_child_program (child_program.h) does, with
// standard_input (when given) as its standard input.
int run_player(const std::string &player, const std::vector<std::string> &arguments,
               const std::string *standard_input = nullptr);

}  // namespace folio_host

#endif
