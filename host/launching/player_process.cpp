#include "launching/player_process.h"

#include "launching/child_program.h"

namespace folio_host {

namespace {

#ifdef FOLIO_DEFAULT_PLAYER
constexpr const char *kBuiltPlayer = FOLIO_DEFAULT_PLAYER;
#else
constexpr const char *kBuiltPlayer = nullptr;
#endif

constexpr ProgramChoice kPlayer = {"player", "--player", "FOLIO_MORLAN", "Morlan", kBuiltPlayer};

}  // namespace

std::string choose_player(const std::string *player_option) {
  return choose_program(player_option, kPlayer);
}

int run_player(const std::string &player, const std::vector<std::string> &arguments,
               const std::string *standard_input) {
  return run_child_program(player, kPlayer.role, arguments, standard_input);
}

}  // namespace folio_host
