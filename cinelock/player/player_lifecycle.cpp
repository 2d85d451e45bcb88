// Opening a player (state, queues, clocks, demux thread) and closing it.
#include <cstring>
#include <new>

#include "player/player.h"
#include "presenter/presenter.h"

extern "C" {
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

bool accepted_keybits(int keybits) { return keybits == 128 || keybits == 192 || keybits == 256; }

int init_queues(VideoState *is) {
  // The rings draw from the fifos, which they only need to exist.
  if (decoded_ring_init(&is->pictq, &is->videoq, kPictureRingCapacity, true) < 0) return -1;
  if (decoded_ring_init(&is->subpq, &is->subtitleq, kSubtitleRingCapacity, false) < 0) return -1;
  if (decoded_ring_init(&is->sampq, &is->audioq, kSampleRingCapacity, true) < 0) return -1;
  if (packet_fifo_init(&is->videoq) < 0 || packet_fifo_init(&is->audioq) < 0 ||
      packet_fifo_init(&is->subtitleq) < 0)
    return -1;
  is->continue_read_thread = SDL_CreateCond();
  if (!is->continue_read_thread) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateCond(): %s\n", SDL_GetError());
    return -1;
  }
  return 0;
}

}  // namespace

VideoState *player_open(const char *path, const unsigned char *key, int keybits,
                        const unsigned char *nonce) {
  auto *is = new (std::nothrow) VideoState();
  if (!is) return nullptr;
  if (key && !accepted_keybits(keybits)) {
    delete is;
    return nullptr;
  }
  is->filename = path;
  is->xleft = 0;
  is->ytop = 0;

  if (init_queues(is) < 0) {
    player_close(is);
    return nullptr;
  }
  clock_init(&is->vidclk, &is->videoq.serial);
  clock_init(&is->audclk, &is->audioq.serial);
  clock_init(&is->extclk, &is->extclk.serial);  // follows itself
  is->audio_clock_serial = -1;
  is->audio_volume = SDL_MIX_MAXVOLUME;
  is->muted = 0;

  if (key) {
    std::memcpy(is->key, key, static_cast<std::size_t>(keybits / 8));
    is->keybits = keybits;
    if (nonce) std::memcpy(is->nonce, nonce, sizeof is->nonce);
  }

  is->read_tid = SDL_CreateThread(read_thread, "read_thread", is);
  if (!is->read_tid) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateThread(): %s\n", SDL_GetError());
    player_close(is);
    return nullptr;
  }
  return is;
}

void player_close(VideoState *is) {
  is->abort_request = 1;
  if (is->read_tid) SDL_WaitThread(is->read_tid, nullptr);
  is->read_tid = nullptr;
  if (AVFormatContext *ic = is->ic) {
    if (is->audio_stream >= 0) stream_component_close(is, is->audio_stream);
    if (is->video_stream >= 0) stream_component_close(is, is->video_stream);
    if (is->subtitle_stream >= 0) stream_component_close(is, is->subtitle_stream);
    avformat_close_input(&ic);
    is->ic = nullptr;
  }
  packet_fifo_destroy(&is->videoq);
  packet_fifo_destroy(&is->audioq);
  packet_fifo_destroy(&is->subtitleq);
  decoded_ring_destroy(&is->pictq);
  decoded_ring_destroy(&is->sampq);
  decoded_ring_destroy(&is->subpq);
  if (is->continue_read_thread) SDL_DestroyCond(is->continue_read_thread);
  sws_freeContext(is->img_convert_ctx);
  sws_freeContext(is->sub_convert_ctx);
  free_picture_scaler(is);
  if (is->vis_texture) SDL_DestroyTexture(is->vis_texture);
  if (is->vid_texture) SDL_DestroyTexture(is->vid_texture);
  if (is->sub_texture) SDL_DestroyTexture(is->sub_texture);
  av_channel_layout_uninit(&is->audio_src.ch_layout);
  av_channel_layout_uninit(&is->audio_tgt.ch_layout);
  // The key does not linger in freed memory.
  volatile unsigned char *key = is->key;
  for (std::size_t i = 0; i < sizeof is->key; ++i) key[i] = 0;
  delete is;
}

}  // namespace cinelock
