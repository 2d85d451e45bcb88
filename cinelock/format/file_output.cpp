#include "format/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace cinelock {

namespace {

// The buffer holds the container's own fields between payloads; 64 KiB
// gathers a whole sample table of a long file in few writes.
constexpr int kBufferBytes = 64 * 1024;

// What the callbacks know of the file: its descriptor, and the first
// failure, kept so that closing reports it even when AVIO dropped it.
struct FileSink {
  int fd = -1;
  int error = 0;
};

// Writes with no need for a file-system prefix or protocol lookup.
const char *local_path(const char *path) {
  if (std::strncmp(path, "file:", 5) == 0) return path + 5;
  const char *protocol = avio_find_protocol_name(path);
  return protocol && std::strcmp(protocol, "file") == 0 ? path : nullptr;
}

int write_all(void *opaque, uint8_t *data, int size) {
  auto *sink = static_cast<FileSink *>(opaque);
  int left = size;
  while (left > 0) {
    const ssize_t written = ::write(sink->fd, data, static_cast<size_t>(left));
    if (written < 0) {
      if (errno == EINTR) continue;
      sink->error = AVERROR(errno);
      return sink->error;
    }
    data += written;
    left -= static_cast<int>(written);
  }
  return size;
}

int64_t seek_file(void *opaque, int64_t offset, int whence) {
  auto *sink = static_cast<FileSink *>(opaque);
  if (whence & AVSEEK_SIZE) {
    struct stat status;
    return ::fstat(sink->fd, &status) == 0 ? status.st_size : AVERROR(errno);
  }
  const off_t position = ::lseek(sink->fd, offset, whence & ~AVSEEK_FORCE);
  return position < 0 ? AVERROR(errno) : position;
}

// Marks a context as ours, so that closing knows how it was made.
int64_t no_read_seek(void *, int, int64_t, int) { return AVERROR(ENOSYS); }

}  // namespace

int open_file_output(const char *path, AVIOContext **pb) {
  const char *local = local_path(path);
  if (!local) return avio_open(pb, path, AVIO_FLAG_WRITE);
  auto *sink = new (std::nothrow) FileSink;
  auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
  if (sink) sink->fd = ::open(local, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  const int open_error = sink && sink->fd < 0 ? AVERROR(errno) : 0;
  AVIOContext *context = sink && buffer && sink->fd >= 0
                             ? avio_alloc_context(buffer, kBufferBytes, 1, sink, nullptr, write_all, seek_file)
                             : nullptr;
  if (!context) {
    if (sink && sink->fd >= 0) ::close(sink->fd);
    delete sink;
    av_free(buffer);
    return open_error < 0 ? open_error : AVERROR(ENOMEM);
  }
  context->seekable = AVIO_SEEKABLE_NORMAL;
  context->direct = 1;
  context->read_seek = no_read_seek;
  *pb = context;
  return 0;
}

int close_file_output(AVIOContext **pb) {
  AVIOContext *context = *pb;
  if (!context) return 0;
  if (context->read_seek != no_read_seek) return avio_closep(pb);
  avio_flush(context);
  auto *sink = static_cast<FileSink *>(context->opaque);
  int result = sink->error < 0 ? sink->error : context->error;
  if (::close(sink->fd) != 0 && result >= 0) result = AVERROR(errno);
  delete sink;
  av_freep(&context->buffer);
  avio_context_free(pb);
  return result;
}

}  // namespace cinelock
