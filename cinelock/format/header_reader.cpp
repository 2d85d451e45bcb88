// video_crypt_getheader and video_crypt_get_infor: the header block a
// protected video carries, and its duration.
#include "format/header_reader.h"

#include <cstdint>
#include <cstring>

#include "cinelock.h"
#include "format/media_handles.h"
#include "format/media_log.h"
#include "format/remuxer.h"
#include "format/stream_kinds.h"

namespace cinelock {

namespace {

// The code whose text follows the library's own failures (no header, no
// room for it), as FFmpeg's logger names it.
constexpr int kOwnFailure = -1;

int whole_seconds(std::int64_t duration_us) {
  if (duration_us == AV_NOPTS_VALUE || duration_us < 0) return 0;
  return static_cast<int>(duration_us / AV_TIME_BASE);
}

HeaderRead failure(HeaderLookup lookup, HeaderRead read, int code = kOwnFailure) {
  read.lookup = lookup;
  read.code = code;
  return read;
}

}  // namespace

HeaderRead read_header_block(const char *path, unsigned char *buffer, int capacity) {
  HeaderRead read;
  InputMedia input;
  if (const int result = open_input_media(input, path); result < 0)
    return failure(HeaderLookup::unreadable, read, result);
  read.duration_seconds = whole_seconds(input->duration);
  av_dump_format(input.get(), 0, path, 0);

  const int header_stream = find_header_stream(input.get());
  if (header_stream < 0) {
    log_error("file header not found");
    return failure(HeaderLookup::no_header_stream, read);
  }
  Packet packet;
  if (!packet) return failure(HeaderLookup::unreadable, read, AVERROR(ENOMEM));
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    if (packet->stream_index != header_stream) {
      av_packet_unref(packet.get());
      continue;
    }
    read.length = packet->size;
    const bool fits = buffer && capacity >= read.length;
    if (fits) std::memcpy(buffer, packet->data, static_cast<std::size_t>(read.length));
    av_packet_unref(packet.get());
    if (fits) {
      read.lookup = HeaderLookup::found;
      return read;
    }
    log_error("buffer too small");
    return failure(HeaderLookup::too_small, read);
  }
  // A header stream without its packet holds no header either.
  log_error("file header not found");
  return failure(HeaderLookup::no_header_packet, read);
}

namespace {

int header_export(const char *path, unsigned char *buffer, int *length, int *duration_seconds) {
  if (!path || !length) {
    log_error("missing argument");
    return CINELOCK_FAILED;
  }
  const HeaderRead read = read_header_block(path, buffer, *length);
  // The duration is known once the streams are read, header or not.
  if (duration_seconds && read.lookup != HeaderLookup::unreadable)
    *duration_seconds = read.duration_seconds;
  if (read.lookup == HeaderLookup::found || read.lookup == HeaderLookup::too_small)
    *length = read.length;
  return read.lookup == HeaderLookup::found ? CINELOCK_OK : conclude(read.code);
}

}  // namespace

}  // namespace cinelock

extern "C" CINELOCK_API int video_crypt_getheader(const char *path, unsigned char *buffer,
                                                  int *length) {
  return cinelock::header_export(path, buffer, length, nullptr);
}

extern "C" CINELOCK_API int video_crypt_get_infor(const char *path, unsigned char *buffer,
                                                  int *length, int *duration_seconds) {
  return cinelock::header_export(path, buffer, length, duration_seconds);
}
