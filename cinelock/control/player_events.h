// The SDL user events through which control requests reach the event loop
// that video_crypt_player_play runs.
#ifndef CINELOCK_PLAYER_EVENTS_H
#define CINELOCK_PLAYER_EVENTS_H

#include <SDL.h>

namespace cinelock {

constexpr Uint32 EVENT_QUIT = 0x8002;    // data1: the VideoState (not examined)
constexpr Uint32 EVENT_SEEK = 0x8003;    // code: 0 relative, 1 absolute; data1: seconds
constexpr Uint32 EVENT_PAUSE = 0x8004;
constexpr Uint32 EVENT_RESUME = 0x8005;

constexpr Sint32 kSeekRelative = 0;
constexpr Sint32 kSeekAbsolute = 1;

// Posts a user event (thread-safe). 0, or -1 when SDL refused it.
int post_player_event(Uint32 type, Sint32 code, void *data);

}  // namespace cinelock

#endif
