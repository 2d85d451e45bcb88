// The bitstream filters the output muxer would run on each stream (its
// own check_bitstream decision: VP9 superframes, ADTS to MPEG-4 audio
// configuration, ...), run instead on the clear packets before sealing.
// Left to the muxer they would parse enciphered bytes as bitstream and
// merge or cut sealed packets, whose trailers then no longer close them:
// so the protected output's automatic filtering is turned off, and every
// packet it stores is one this library sealed (or left clear).
//
// The filters are run through a second muxer of the output's own format
// whose writing functions only collect what comes out of the filters:
// FFmpeg has no public call that names the filters a muxer chooses, so
// the muxer's own choice is taken by letting it choose. That muxer is
// copied from the output's AVOutputFormat, whose writing fields are
// FFmpeg 5's (libavformat 59) layout.
#ifndef CINELOCK_MUXER_FILTERS_H
#define CINELOCK_MUXER_FILTERS_H

#include <deque>

extern "C" {
#include <libavformat/avformat.h>
}

namespace cinelock {

class MuxerFilters {
 public:
  MuxerFilters() = default;
  ~MuxerFilters();
  MuxerFilters(const MuxerFilters &) = delete;
  MuxerFilters &operator=(const MuxerFilters &) = delete;

  // Mirrors output's streams (codec parameters and time bases, as they
  // stand once output's container header is written) and turns output's
  // automatic filtering off. An FFmpeg code.
  int open(AVFormatContext *output);

  // Takes the packet's reference (the packet is blank on return); what
  // the filters let out is then ready for take(). end() flushes what the
  // filters still hold. FFmpeg codes.
  int send(AVPacket *packet);
  int end();

  // Moves the next filtered packet into packet: true, or false when none
  // is ready.
  bool take(AVPacket *packet);

 private:
  static int collect(AVFormatContext *context, AVPacket *packet);

  AVOutputFormat format_{};
  AVFormatContext *context_ = nullptr;
  bool ended_ = false;
  std::deque<AVPacket *> ready_;
};

}  // namespace cinelock

#endif
