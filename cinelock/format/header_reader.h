// Finding and reading the header block of a protected video.
#ifndef CINELOCK_HEADER_READER_H
#define CINELOCK_HEADER_READER_H

namespace cinelock {

enum class HeaderLookup {
  found,            // copied into the buffer
  too_small,        // the buffer is null or smaller than the block
  unreadable,       // the file cannot be opened or its streams read
  no_header_stream, // a clear file
  no_header_packet, // a header stream that ends before its packet
};

struct HeaderRead {
  HeaderLookup lookup = HeaderLookup::unreadable;
  int code = 0;              // FFmpeg's code when unreadable, else -1 for a failure
  int length = 0;            // the block's length, when its packet was met
  int duration_seconds = 0;  // whole seconds, 0 when unknown or unreadable
};

// Reads the header block of path into buffer (capacity bytes; buffer may
// be null), logging each failure as the header exports do.
HeaderRead read_header_block(const char *path, unsigned char *buffer, int capacity);

}  // namespace cinelock

#endif
