// The two process-wide flags the start-up and the window share. Plain
// booleans: everything that touches them runs on the main thread, events
// included, since they are dispatched from within the playback call.
#ifndef MORLAN_PLAYBACK_FLAGS_H
#define MORLAN_PLAYBACK_FLAGS_H

namespace morlan {

extern bool g_paused;         // initially true
extern bool g_playerRunning;  // true only while video_crypt_player_play runs

}  // namespace morlan

#endif
