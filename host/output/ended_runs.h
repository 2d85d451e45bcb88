// What killed runs left: an unfinished output under its hidden name
// (".<name>.folio-<pid>-XXXXXX<suffix>", output_paths.h), a link that gave
// FFmpeg a name for an unnamed output. A run cleans up after its
// predecessors where it writes, so that a kill -9 leaves nothing behind
// for longer than until the next run.
#ifndef FOLIO_HOST_ENDED_RUNS_H
#define FOLIO_HOST_ENDED_RUNS_H

#include <string>

namespace folio_host {

// The id of the process that made a hidden name; -1 for a name that is
// not one of ours.
long hidden_name_owner(const std::string &name);

// Removes, from directory, the hidden names (files and symbolic links,
// not directories) that this user's runs made and whose process has
// ended. Names of runs still at work, other users' files and anything not
// named like ours are left alone; errors are ignored (a leftover that
// cannot be removed is no reason to fail the new run).
void remove_leftovers_of_ended_runs(const std::string &directory);

}  // namespace folio_host

#endif
