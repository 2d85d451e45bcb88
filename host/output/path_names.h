// The directory and file-name parts of a path, as the commands need them
// to place temporaries next to a destination.
#ifndef FOLIO_HOST_PATH_NAMES_H
#define FOLIO_HOST_PATH_NAMES_H

#include <string>

namespace folio_host {

// "a/b/c" -> "a/b"; "c" -> "."; "/c" -> "/".
std::string directory_of(const std::string &path);
// "a/b/c" -> "c"; empty when the path ends with a slash.
std::string file_name_of(const std::string &path);

}  // namespace folio_host

#endif
