// The commands of folio-host. Each returns the exit status for success or
// a partial failure already reported; failures that end the command are
// thrown as Failure and reported by main.
#ifndef FOLIO_HOST_COMMANDS_H
#define FOLIO_HOST_COMMANDS_H

#include "commands/command_line.h"

namespace folio_host {

int run_protect(const CommandArguments &arguments);
int run_convert(const CommandArguments &arguments);
int run_unprotect(const CommandArguments &arguments);
int run_digest(const CommandArguments &arguments);
int run_inspect(const CommandArguments &arguments);
int run_token(const CommandArguments &arguments);
int run_open(const CommandArguments &arguments);
#ifdef FOLIO_HOST_VIDEO
int run_protect_video(const CommandArguments &arguments);
int run_unprotect_video(const CommandArguments &arguments);
int run_play(const CommandArguments &arguments);
#endif

}  // namespace folio_host

#endif
