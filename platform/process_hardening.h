// Keeping a viewer's memory to itself: no core file of it, and no attaching
// to it (ptrace, /proc/<pid>/mem) by other processes of the same user. What
// it cannot stop: root (or a holder of CAP_SYS_PTRACE), and a modified
// viewer binary that never calls it.
#ifndef FOLIO_PLATFORM_PROCESS_HARDENING_H
#define FOLIO_PLATFORM_PROCESS_HARDENING_H

// Marks the process not dumpable (prctl(PR_SET_DUMPABLE, 0): no core file,
// /proc/<pid> owned by root, ptrace refused to unprivileged processes) and
// sets its core size limit to 0. Holds until the process ends or executes
// another program. False when the system refused either step.
bool harden_process();

// Whether the process is marked not dumpable (prctl(PR_GET_DUMPABLE)).
bool process_is_hardened();

#endif
