// A window made by another toolkit and wrapped by SDL: SDL draws into it
// but is not told when it is resized, so the library asks the window
// system for the wrapped window's structure events on SDL's own
// connection; SDL then reports resizes as for its own windows.
#ifndef CINELOCK_FOREIGN_WINDOW_H
#define CINELOCK_FOREIGN_WINDOW_H

#include <SDL.h>

namespace cinelock {

void follow_foreign_window_size(SDL_Window *window);

}  // namespace cinelock

#endif
