// The steps every output written under a temporary name shares: the hidden
// temporary name beside the destination, refusing a directory as the
// destination, creating the temporary file, and making a rename durable.
#ifndef FOLIO_HOST_OUTPUT_PATHS_H
#define FOLIO_HOST_OUTPUT_PATHS_H

#include <string>

namespace folio_host {

// "<dir>/.<name>.XXXXXX<suffix>"; throws Failure for a name that is empty.
std::string temporary_template(const std::string &destination, const std::string &suffix = "");

// Throws Failure (EISDIR) when destination is an existing directory.
void reject_directory(const std::string &destination);

// Creates the file that path (a template) names, mode 0600, and replaces
// path with its real name; suffix_length bytes after the X's are kept.
// Returns the open descriptor; throws Failure naming destination.
int create_temporary(std::string &path, const std::string &destination, int suffix_length = 0);

// A rename is only durable once the directory entry itself reaches the disk.
void sync_directory(const std::string &directory);

}  // namespace folio_host

#endif
