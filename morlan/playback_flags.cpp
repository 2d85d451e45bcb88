#include "playback_flags.h"

namespace morlan {

bool g_paused = true;
bool g_playerRunning = false;

}  // namespace morlan
