// The output names the video commands accept, and how file names are
// handed to FFmpeg.
#ifndef FOLIO_HOST_VIDEO_CONTAINER_H
#define FOLIO_HOST_VIDEO_CONTAINER_H

#include <string>

namespace folio_host {

// The containers a protected video can be written to, as the help and the
// refusals name them.
constexpr char kProtectedVideoContainers[] = ".mp4";

// The extension of path's file name with its dot (".mp4"), as written;
// empty when the name has none.
std::string extension_of(const std::string &path);

// True when path ends in .mp4 in any letter case: the one container that
// keeps the header stream a protected video is known by and gives every
// enciphered packet back as stored (MPEG-TS re-frames video on reading).
bool carries_header_stream(const std::string &path);

// True when FFmpeg knows a container for path's extension.
bool names_known_container(const std::string &path);

// path as an FFmpeg URL that always means the local file: FFmpeg reads a
// plain name with a colon in it ("take:2.mp4", "concat:a|b") as a protocol.
std::string ffmpeg_file_url(const std::string &path);

}  // namespace folio_host

#endif
