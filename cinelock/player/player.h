// Opening and closing a player: its state, queues, clocks and demux
// thread.
#ifndef CINELOCK_PLAYER_H
#define CINELOCK_PLAYER_H

#include "player/video_state.h"

namespace cinelock {

// A player for path, deciphering with key (keybits / 8 bytes; null for a
// clear file) and nonce. Its demux thread starts at once. Null when key is
// given with keybits other than 128, 192 or 256, or set-up fails.
VideoState *player_open(const char *path, const unsigned char *key, int keybits,
                        const unsigned char *nonce);

// Stops every thread of the player and frees it.
void player_close(VideoState *is);

// Opens the decoder (and, for audio, the device) of one stream. 0 or a
// negative code.
int stream_component_open(VideoState *is, int stream_index);
void stream_component_close(VideoState *is, int stream_index);

// The demux thread (SDL thread function; the argument is the VideoState).
int read_thread(void *state);

}  // namespace cinelock

#endif
