// The peer of the player's CPU benchmark: the least work any player of the
// file must do. Demuxes the file with libavformat and decodes every video
// and audio packet with libavcodec, threaded as the player's decoders are
// ("threads" = "auto"), and throws the frames away: no deciphering, no
// resampling, no pictures drawn, no pacing.
#ifndef FOLIO_BENCH_DECODE_ONLY_PEER_H
#define FOLIO_BENCH_DECODE_ONLY_PEER_H

#include <cstdint>
#include <string>

namespace folio_bench {

struct DecodeCount {
  std::int64_t video_frames = 0;
  std::int64_t audio_frames = 0;
};

// Decodes every video and audio packet of path, the decoders drained at
// the end. Empty on success, else what failed; count says what was decoded.
std::string decode_only(const std::string &path, DecodeCount &count);

}  // namespace folio_bench

#endif
