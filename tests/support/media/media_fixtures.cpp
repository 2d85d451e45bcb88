#include "support/media/media_fixtures.h"

#include <memory>
#include <stdexcept>

#include "support/media/av_error.h"
#include "support/media/av_handles.h"
#include "support/media/clip_audio.h"
#include "support/media/clip_data.h"
#include "support/media/clip_subtitles.h"
#include "support/media/clip_video.h"

namespace folio_test::media {

namespace {

std::vector<std::unique_ptr<ClipTrack>> make_tracks(AVFormatContext *output, const ClipOptions &options) {
  std::vector<std::unique_ptr<ClipTrack>> tracks;
  if (options.data_stream_only) {
    tracks.push_back(std::make_unique<DataClipTrack>(output, options));
    return tracks;
  }
  if (options.video != VideoCodec::none) tracks.push_back(std::make_unique<VideoClipTrack>(output, options));
  if (options.audio != AudioCodec::none) tracks.push_back(std::make_unique<AudioClipTrack>(output, options));
  if (options.subtitles) tracks.push_back(std::make_unique<SubtitleClipTrack>(output, options));
  if (tracks.empty()) throw std::runtime_error("a clip needs at least one stream (video, audio, subtitles or data)");
  return tracks;
}

ClipTrack *earliest_unfinished(const std::vector<std::unique_ptr<ClipTrack>> &tracks) {
  ClipTrack *earliest = nullptr;
  for (const auto &track : tracks) {
    if (track->finished()) continue;
    if (!earliest || track->next_time_seconds() < earliest->next_time_seconds()) earliest = track.get();
  }
  return earliest;
}

}  // namespace

bool h264_encoder_available() { return avcodec_find_encoder_by_name("libx264") != nullptr; }

void make_clip(const std::string &path, const ClipOptions &options) {
  if (!(options.seconds > 0)) throw std::runtime_error("a clip must last more than zero seconds");
  AVFormatContext *raw = nullptr;
  check_av(avformat_alloc_output_context2(&raw, nullptr, nullptr, path.c_str()),
           "choosing a container for " + path);
  OutputContextPtr output(raw);
  output->flags |= AVFMT_FLAG_BITEXACT;  // no version strings: same options, same bytes
  const std::string container = output->oformat->name;

  std::vector<std::unique_ptr<ClipTrack>> tracks = make_tracks(output.get(), options);
  if (!(output->oformat->flags & AVFMT_NOFILE)) {
    check_av(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "opening " + path + " for writing");
  }
  check_av(avformat_write_header(output.get(), nullptr), "writing the " + container + " header of " + path);
  while (ClipTrack *track = earliest_unfinished(tracks)) track->write_next();
  for (const auto &track : tracks) track->finish();
  check_av(av_write_trailer(output.get()), "writing the " + container + " trailer of " + path);
}

}  // namespace folio_test::media
