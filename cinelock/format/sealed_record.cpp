#include "format/sealed_record.h"

#include <cinttypes>

#include "format/media_handles.h"
#include "format/media_log.h"
#include "format/packet_cipher.h"

namespace cinelock {

void SealedRecord::watch(const AVFormatContext *output) {
  streams_.assign(output->nb_streams, Stream{});
  for (unsigned i = 0; i < output->nb_streams; ++i) {
    streams_[i].video = output->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    streams_[i].time_base = output->streams[i]->time_base;
  }
}

void SealedRecord::add(const AVPacket *packet, std::int64_t offset) {
  Stream &stream = streams_.at(static_cast<std::size_t>(packet->stream_index));
  if (stream.video) stream.entries.push_back({packet->dts, offset, packet->size});
}

int SealedRecord::check(const char *path) const {
  InputMedia stored;
  if (const int result = stored.open(path); result < 0) {
    log_error("Could not read back '%s'\n", path);
    return result;
  }
  if (stored->nb_streams != streams_.size()) {
    log_error("'%s' holds %u streams, %zu were written\n", path, stored->nb_streams,
              streams_.size());
    return AVERROR_INVALIDDATA;
  }
  // From here on only trailers are read, 8 bytes at scattered places:
  // read directly, each would otherwise fill the whole read buffer.
  stored->pb->direct = 1;
  for (unsigned i = 0; i < stored->nb_streams; ++i) {
    if (!streams_[i].video) continue;
    if (const int result = check_stream(stored.get(), static_cast<int>(i)); result < 0) {
      log_error("'%s' does not hold what was sealed\n", path);
      return result;
    }
  }
  return 0;
}

int SealedRecord::check_stream(AVFormatContext *stored, int index) const {
  const Stream &written = streams_[static_cast<std::size_t>(index)];
  AVStream *stream = stored->streams[index];
  const int count = avformat_index_get_entries_count(stream);
  if (static_cast<std::size_t>(count) != written.entries.size()) {
    log_error("Stream %d stores %d video packets, %zu were written\n", index, count,
              written.entries.size());
    return AVERROR_INVALIDDATA;
  }
  for (int i = 0; i < count; ++i) {
    const AVIndexEntry *held = avformat_index_get_entry(stream, i);
    const Entry &entry = written.entries[static_cast<std::size_t>(i)];
    const bool sealed = entry.offset != AV_NOPTS_VALUE;
    if (held->size != entry.size ||
        av_compare_ts(held->timestamp, stream->time_base, entry.dts, written.time_base) != 0) {
      log_error("Stream %d, packet %d: stored as %d bytes at %" PRId64 ", written as %d at %" PRId64
                "\n",
                index, i, held->size, held->timestamp, entry.size, entry.dts);
      return AVERROR_INVALIDDATA;
    }
    // A reader deciphers by the stored decode time: it must see a sealed
    // packet as sealed, and a clear one as clear.
    if (past_clear_lead(held->timestamp, stream->time_base) != sealed) {
      log_error("Stream %d, packet %d: stored at a time that reads as %s\n", index, i,
                sealed ? "clear" : "sealed");
      return AVERROR_INVALIDDATA;
    }
    if (!sealed) continue;
    std::uint8_t trailer[kTrailerBytes];
    if (held->size < kTrailerBytes ||
        avio_seek(stored->pb, held->pos + held->size - kTrailerBytes, SEEK_SET) < 0 ||
        avio_read(stored->pb, trailer, kTrailerBytes) != kTrailerBytes) {
      log_error("Stream %d, packet %d: its trailer cannot be read\n", index, i);
      return AVERROR_INVALIDDATA;
    }
    if (trailer_offset(trailer) != entry.offset) {
      log_error("Stream %d, packet %d: its trailer does not close it\n", index, i);
      return AVERROR_INVALIDDATA;
    }
  }
  return 0;
}

}  // namespace cinelock
