// The state of one player: the demux thread, one decoder per open stream,
// their packet fifos and frame rings, the three clocks, and what the
// presenter and the audio callback keep between calls.
//
// Threads: the host's thread runs the event loop, refresh and display;
// read_thread demuxes; audio_decoder, video_decoder and subtitle_decoder
// decode; SDL's audio thread runs the device callback. Control flags are
// atomics that one thread writes and others poll.
#ifndef CINELOCK_VIDEO_STATE_H
#define CINELOCK_VIDEO_STATE_H

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "crypto/aes.h"
#include "decoded_ring.h"
#include "packet_fifo.h"
#include "presenter/media_clock.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct RDFTContext;

namespace cinelock {

class PictureScaler;
enum class ScaledInto { nowhere, texture, surface };

constexpr int kPictureRingCapacity = 3;
constexpr int kSubtitleRingCapacity = 16;
constexpr int kSampleRingCapacity = 9;
constexpr int kSampleHistory = 0x80000;  // 16-bit samples kept for the visualisation

enum class DisplayMode { none = -1, video = 0, waves = 1, spectrum = 2 };

struct stream_decoder {
  AVPacket *pending = nullptr;
  packet_fifo *fifo = nullptr;
  AVCodecContext *codec = nullptr;
  int packet_serial = -1;
  std::atomic<int> finished{0};  // the serial at which it met end of stream; 0 while decoding
  int packet_pending = 0;
  SDL_cond *empty_fifo_cond = nullptr;  // continue_read
  int64_t start_pts = AV_NOPTS_VALUE;
  AVRational start_pts_tb{0, 1};
  int64_t next_pts = AV_NOPTS_VALUE;
  AVRational next_pts_tb{0, 1};
  SDL_Thread *thread = nullptr;
};

struct audio_format_desc {
  int freq = 0;
  AVChannelLayout ch_layout{};
  AVSampleFormat fmt = AV_SAMPLE_FMT_NONE;
  int frame_size = 0;       // bytes per sample frame, all channels
  int bytes_per_sec = 0;
};

struct VideoState {
  // 1. Control.
  SDL_Thread *read_tid = nullptr;
  std::atomic<int> abort_request{0};
  std::atomic<int> force_refresh{0};
  std::atomic<int> paused{0};
  int last_paused = 0;
  std::atomic<int> queue_attachments_req{0};
  std::atomic<int> seek_req{0};
  std::atomic<int64_t> seek_pos{0};  // microseconds
  std::atomic<int64_t> seek_rel{0};  // microseconds
  int read_pause_return = 0;
  std::atomic<AVFormatContext *> ic{nullptr};

  // 2. Clocks.
  media_clock audclk;
  media_clock vidclk;
  media_clock extclk;

  // 3. Frame rings.
  decoded_ring pictq;
  decoded_ring subpq;
  decoded_ring sampq;

  // 4. Decoders.
  stream_decoder auddec;
  stream_decoder viddec;
  stream_decoder subdec;

  // 5. Audio.
  std::atomic<int> audio_stream{-1};
  std::atomic<double> audio_clock{0.0};
  std::atomic<int> audio_clock_serial{-1};
  AVStream *audio_st = nullptr;
  packet_fifo audioq;
  int audio_hw_buf_size = 0;
  uint8_t *audio_buf = nullptr;
  uint8_t *audio_buf1 = nullptr;
  unsigned audio_buf1_size = 0;
  unsigned audio_buf_size = 0;  // bytes
  int audio_buf_index = 0;      // bytes
  std::atomic<int> audio_write_buf_size{0};  // read by the visualisation
  std::atomic<int> audio_volume{SDL_MIX_MAXVOLUME};
  std::atomic<int> muted{0};
  audio_format_desc audio_src;
  audio_format_desc audio_tgt;
  SwrContext *swr_ctx = nullptr;

  // 6. Visualisation.
  std::atomic<DisplayMode> show_mode{DisplayMode::none};
  int16_t sample_array[kSampleHistory] = {};
  std::atomic<int> sample_array_index{0};  // written by the audio callback
  int last_i_start = 0;
  RDFTContext *rdft = nullptr;
  int rdft_bits = 0;
  float *rdft_data = nullptr;
  int xpos = 0;
  double last_vis_time = 0.0;

  // 7. Output.
  SDL_Texture *vis_texture = nullptr;
  SDL_Texture *sub_texture = nullptr;
  SDL_Texture *vid_texture = nullptr;

  // 8. Subtitles.
  std::atomic<int> subtitle_stream{-1};
  AVStream *subtitle_st = nullptr;
  packet_fifo subtitleq;

  // 9. Video.
  double frame_timer = 0.0;
  std::atomic<int> video_stream{-1};
  AVStream *video_st = nullptr;
  packet_fifo videoq;
  double max_frame_duration = 0.0;
  SwsContext *img_convert_ctx = nullptr;
  SwsContext *sub_convert_ctx = nullptr;
  // The software drawing path's scaler for 4:2:0 pictures, made on first
  // use; where the last shown picture was scaled to (vid_texture, or the
  // window surface itself), at which size, and whether a subtitle was
  // drawn over it there.
  PictureScaler *picture_scaler = nullptr;
  ScaledInto scaled_into = ScaledInto::nowhere;
  const SDL_Surface *scaled_surface = nullptr;
  int scaled_width = 0;
  int scaled_height = 0;
  bool scaled_covered = false;

  // 10. End of file, file name, picture area, stepping.
  std::atomic<int> eof{0};
  std::string filename;
  int width = 0;
  int height = 0;
  int xleft = 0;
  int ytop = 0;
  std::atomic<int> step{0};

  // 11. Decryption: keybits 0 for a clear file.
  unsigned char key[32] = {};
  int keybits = 0;
  unsigned char nonce[8] = {};

  // 12. Signalled by seeks and by decoders that find their fifo empty.
  SDL_cond *continue_read_thread = nullptr;

  // presenter
  // av_gettime_relative() when the status line was last written, 0 before.
  int64_t last_status_time = 0;
};

}  // namespace cinelock

#endif
