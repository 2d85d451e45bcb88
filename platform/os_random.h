// Bytes from the operating system's random source, for nonces and keys.
#ifndef FOLIO_PLATFORM_OS_RANDOM_H
#define FOLIO_PLATFORM_OS_RANDOM_H

#include <cstddef>

// Fills size bytes; false (errno set) if the source failed.
bool os_random(void *buffer, std::size_t size);

#endif
