// Writing a whole buffer to an open file.
#ifndef FOLIO_HOST_FILE_COPY_H
#define FOLIO_HOST_FILE_COPY_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace folio_host {

// Writes all size bytes at the current position of fd, going on after
// short writes and interruptions. Throws Failure naming name on an error.
void write_all(int fd, const void *data, std::size_t size, const std::string &name);

}  // namespace folio_host

#endif
