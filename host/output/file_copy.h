// Copying bytes between open files inside the kernel where it can.
#ifndef FOLIO_HOST_FILE_COPY_H
#define FOLIO_HOST_FILE_COPY_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace folio_host {

// Writes all size bytes at the current position of fd, going on after
// short writes and interruptions. Throws Failure naming name on an error.
void write_all(int fd, const void *data, std::size_t size, const std::string &name);

// Copies exactly length bytes from the current position of from_fd to the
// current position of to_fd: copy_file_range, or read/write where the
// file systems do not support it. Throws Failure naming destination_name on
// any error, or when from_fd ends early.
void copy_file_bytes(int from_fd, int to_fd, std::uint64_t length,
                     const std::string &destination_name);

}  // namespace folio_host

#endif
