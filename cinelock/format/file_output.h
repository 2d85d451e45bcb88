// The output file of a protect or restore, written without the copy that
// AVIO's buffer costs: FFmpeg's file protocol copies every packet into its
// 32 KiB buffer before writing it, while here (AVIOContext.direct) a
// packet's payload goes from the packet to the file in one write, and only
// the container's small fields are gathered in the buffer. The file's
// bytes are the same either way.
//
// Only for local files (a plain path or a file: URL); anything else is
// opened through FFmpeg's protocols as before.
#ifndef CINELOCK_FILE_OUTPUT_H
#define CINELOCK_FILE_OUTPUT_H

extern "C" {
#include <libavformat/avio.h>
}

namespace cinelock {

// Opens path for writing (created, or truncated) into *pb. An FFmpeg code.
int open_file_output(const char *path, AVIOContext **pb);

// Flushes and closes what open_file_output or avio_open made; *pb is null
// on return. The first failure of the file's writing or closing, else 0.
int close_file_output(AVIOContext **pb);

}  // namespace cinelock

#endif
