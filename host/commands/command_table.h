// Which commands exist, what each accepts, and running one by name.
#ifndef FOLIO_HOST_COMMAND_TABLE_H
#define FOLIO_HOST_COMMAND_TABLE_H

#include <string>
#include <vector>

namespace folio_host {

bool is_command(const std::string &name);

// Parses the words after the command name, checks the operand count,
// prints the command's help if asked, and runs it. Throws UsageError for a
// command line it cannot run, Failure for a file it cannot handle.
int run_command(const std::string &name, const std::vector<std::string> &words);

}  // namespace folio_host

#endif
