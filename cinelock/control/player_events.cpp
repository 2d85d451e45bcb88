#include "control/player_events.h"

namespace cinelock {

int post_player_event(Uint32 type, Sint32 code, void *data) {
  SDL_Event event{};
  event.type = type;
  event.user.code = code;
  event.user.data1 = data;
  return SDL_PushEvent(&event) == 1 ? 0 : -1;
}

}  // namespace cinelock
