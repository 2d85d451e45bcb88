#include "readback_check_cost.h"

#include <algorithm>
#include <vector>

#include "format/media_handles.h"
#include "format/packet_cipher.h"
#include "format/sealed_record.h"
#include "ratio_report.h"

namespace folio_bench {

namespace {

// What the protect recorded, rebuilt from the stored file: each video
// packet's size and decode time, and the trailer of each sealed one.
bool record_of(const std::string &path, cinelock::SealedRecord &record) {
  cinelock::InputMedia stored;
  if (stored.open(path.c_str()) < 0) return false;
  record.watch(stored.get());
  cinelock::Packet packet;
  for (unsigned i = 0; i < stored->nb_streams; ++i) {
    AVStream *stream = stored->streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
    for (int n = 0; n < avformat_index_get_entries_count(stream); ++n) {
      const AVIndexEntry *entry = avformat_index_get_entry(stream, n);
      std::int64_t offset = AV_NOPTS_VALUE;
      if (cinelock::past_clear_lead(entry->timestamp, stream->time_base)) {
        std::uint8_t trailer[cinelock::kTrailerBytes];
        if (avio_seek(stored->pb, entry->pos + entry->size - cinelock::kTrailerBytes, SEEK_SET) < 0 ||
            avio_read(stored->pb, trailer, cinelock::kTrailerBytes) != cinelock::kTrailerBytes)
          return false;
        offset = cinelock::trailer_offset(trailer);
      }
      packet->stream_index = static_cast<int>(i);
      packet->dts = entry->timestamp;
      packet->size = entry->size;
      record.add(packet.get(), offset);
    }
  }
  packet->size = 0;
  return true;
}

}  // namespace

double readback_check_seconds(const std::string &protected_path, int runs) {
  cinelock::SealedRecord record;
  if (!record_of(protected_path, record)) return -1;
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = monotonic_seconds();
    if (record.check(protected_path.c_str()) != 0) return -1;
    times.push_back(monotonic_seconds() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace folio_bench
