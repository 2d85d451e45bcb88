// Seeing a running tool's unfinished output from outside: an unnamed file
// it holds open (shown in /proc as "<directory>/#<inode> (deleted)"), or a
// hidden name in the directory. Tests wait for it to hold data before they
// kill the tool, so that the kill lands half-way through the writing.
#ifndef FOLIO_TESTS_HOST_UNFINISHED_OUTPUT_H
#define FOLIO_TESTS_HOST_UNFINISHED_OUTPUT_H

#include <sys/types.h>

#include <string>

namespace host_test {

// True when process pid holds open a file of directory that has no name
// any more, or directory has a hidden entry, with at least one byte in it.
bool unfinished_output_has_data(pid_t pid, const std::string &directory);

}  // namespace host_test

#endif
