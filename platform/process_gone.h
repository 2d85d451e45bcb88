// Whether the process that left a file behind has ended, so that what it
// left (an unfinished output, a private office profile, a pipe socket) can
// be removed by a later run without touching the files of one still at
// work.
#ifndef FOLIO_PLATFORM_PROCESS_GONE_H
#define FOLIO_PLATFORM_PROCESS_GONE_H

#include <string>

// True only when no process has the id: a process that exists but cannot
// be signalled (another user's) counts as alive. An id reused by a later
// process keeps the leftovers until that one ends too, which errs on the
// side of keeping.
bool process_gone(long pid);

// The process id at the start of text (decimal digits); -1 when text does
// not start with one, or it does not fit.
long leading_process_id(const std::string &text);

#endif
