// The loop video_crypt_player_play runs on the host's thread: it waits
// for events while refreshing the picture, pumps the host's own messages,
// and carries out the control requests.
#ifndef CINELOCK_EVENT_LOOP_H
#define CINELOCK_EVENT_LOOP_H

#include "player/video_state.h"

namespace cinelock {

// Runs until SDL's quit event or EVENT_QUIT.
void run_event_loop(VideoState *is);

// The host's message pump, called at least every 10 ms while the loop
// waits; nullptr for none.
void set_message_pump(void (*pump)(void *), void *context);

}  // namespace cinelock

#endif
