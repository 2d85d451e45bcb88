// What a protect handed the muxer for each video stream, and the check,
// once the file is complete, that the file stores exactly that: as many
// packets, each of its size, at its decode time, sealed where it was
// sealed with the trailer it was given, and clear where it was left
// clear, as a reader (the player, the restore) will judge it. A muxer
// that merged, split, rewrote or re-timed a packet would otherwise leave
// a file that plays or restores with pictures missing, while the protect
// reported success.
//
// The check reads the file's sample index and the 8 trailer bytes of
// each sealed packet, never the pictures: a few small reads per second of
// video.
#ifndef CINELOCK_SEALED_RECORD_H
#define CINELOCK_SEALED_RECORD_H

#include <cstdint>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace cinelock {

class SealedRecord {
 public:
  // Video streams of output are recorded; call once its streams exist.
  void watch(const AVFormatContext *output);
  // Records a packet about to be written (its size and decode time as
  // they stand); offset is its trailer's value, or AV_NOPTS_VALUE when it
  // is left clear. Throws std::bad_alloc.
  void add(const AVPacket *packet, std::int64_t offset);

  // Reads the finished file at path and compares. 0, or
  // AVERROR_INVALIDDATA after logging the first difference, or the code
  // of a failed read.
  int check(const char *path) const;

 private:
  struct Entry {
    std::int64_t dts;
    std::int64_t offset;  // AV_NOPTS_VALUE: clear
    int size;
  };
  struct Stream {
    bool video = false;
    AVRational time_base{0, 1};
    std::vector<Entry> entries;
  };
  int check_stream(AVFormatContext *stored, int index) const;

  std::vector<Stream> streams_;
};

}  // namespace cinelock

#endif
