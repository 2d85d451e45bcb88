// The player control exports: create, play (the event loop), pause,
// resume, seek, position and close.
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>

#include "cinelock.h"
#include "control/event_loop.h"
#include "control/player_events.h"
#include "output/process_output.h"
#include "player/player.h"
#include "presenter/presenter.h"

extern "C" {
#include <libavutil/log.h>
}

// 16 bytes; the first word is the player. Nothing else is stored in it.
struct video_player {
  cinelock::VideoState *state;
  void *unused;
};
static_assert(sizeof(video_player) == 16);

namespace {

cinelock::VideoState *player_of(const video_player *handle) {
  return handle ? handle->state : nullptr;
}

void log_info(const char *text) { av_log(nullptr, AV_LOG_INFO, "%s", text); }

int post(video_player *handle, const char *enter, const char *leave, Uint32 type, Sint32 code,
         void *data) {
  log_info(enter);
  if (!player_of(handle)) return -1;
  cinelock::post_player_event(type, code, data);
  log_info(leave);
  return 0;
}

}  // namespace

extern "C" {

CINELOCK_API video_player *video_crypt_player_create(const char *path, const unsigned char *key,
                                                     int keybits, const unsigned char *nonce) {
  using namespace cinelock;
  log_info("[video_crypt_player_create] enter!\n");
  // The player draws through the process's renderer and opens its audio
  // device: without video_create_window there is neither.
  if (!process_output().renderer) {
    av_log(nullptr, AV_LOG_FATAL, "video_create_window has not been called\n");
    return nullptr;
  }
  if (!path) return nullptr;
  auto *handle = new (std::nothrow) video_player{nullptr, nullptr};
  if (!handle) return nullptr;
  handle->state = player_open(path, key, keybits, nonce);
  if (!handle->state) {
    delete handle;
    av_log(nullptr, AV_LOG_FATAL, "Failed to initialize VideoState!\n");
    return nullptr;
  }
  return handle;
}

CINELOCK_API int video_crypt_player_play(video_player *handle) {
  using namespace cinelock;
  log_info("[video_crypt_player_play] enter!\n");
  VideoState *is = player_of(handle);
  if (!is) return -1;
  run_event_loop(is);
  player_close(is);
  handle->state = nullptr;
  delete handle;
  log_info("[video_crypt_player_play] leave!\n");
  return 0;
}

CINELOCK_API int video_crypt_player_pause(video_player *handle) {
  return post(handle, "[video_crypt_player_pause] enter!\n", "[video_crypt_player_pause] leave!\n",
              cinelock::EVENT_PAUSE, 0, nullptr);
}

CINELOCK_API int video_crypt_player_resume(video_player *handle) {
  return post(handle, "[video_crypt_player_resume] enter!\n", "[video_crypt_player_resume] leave!\n",
              cinelock::EVENT_RESUME, 0, nullptr);
}

CINELOCK_API int video_crypt_player_seek(video_player *handle, int seconds) {
  return post(handle, "[video_crypt_player_seek] enter!\n", "[video_crypt_player_seek] leave!\n",
              cinelock::EVENT_SEEK, cinelock::kSeekRelative,
              reinterpret_cast<void *>(static_cast<intptr_t>(seconds)));
}

CINELOCK_API int video_crypt_player_seekto(video_player *handle, int seconds) {
  return post(handle, "[video_crypt_player_seekto] enter!\n", "[video_crypt_player_seekto] leave!\n",
              cinelock::EVENT_SEEK, cinelock::kSeekAbsolute,
              reinterpret_cast<void *>(static_cast<intptr_t>(seconds)));
}

CINELOCK_API int video_crypt_player_getpos(video_player *handle) {
  const cinelock::VideoState *is = player_of(handle);
  if (!is) return INT_MIN;
  const double position = cinelock::get_master_clock(is);
  if (std::isnan(position) || position >= 2147483648.0 || position <= -2147483649.0) return INT_MIN;
  return static_cast<int>(position);
}

CINELOCK_API int video_crypt_player_close(video_player *handle) {
  log_info("[video_crypt_player_close] enter!\n");
  if (!handle) return -1;
  if (handle->state) {
    log_info("[video_crypt_player_close] push event!\n");
    cinelock::post_player_event(cinelock::EVENT_QUIT, 0, handle->state);
  }
  log_info("[video_crypt_player_close] leave!\n");
  return 0;
}

CINELOCK_API void video_set_message_pump(void (*pump)(void *context), void *context) {
  cinelock::set_message_pump(pump, context);
}

}  // extern "C"
