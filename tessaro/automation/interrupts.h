// Ending a conversion program cleanly on SIGINT, SIGTERM or SIGHUP.
#ifndef TESSARO_AUTOMATION_INTERRUPTS_H
#define TESSARO_AUTOMATION_INTERRUPTS_H

namespace tessaro {

// For programs that convert (Brevint), called before any other thread
// starts: the interrupt signals are held back in every thread and awaited
// on one of their own, which ends the offices this process started,
// removes their private folders and sockets, and then ends the process by
// the signal as it would have ended without this. Signals the program
// was started ignoring (nohup) stay ignored. A library never does this to
// its host; a host killed mid-conversion is cleaned up after by the next
// conversion. Windows: nothing to do (Office runs as its own server).
void end_offices_on_interrupt();

}  // namespace tessaro

#endif
