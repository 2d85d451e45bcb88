// Audio output: opening the process's audio device with its fall-backs,
// the device callback on SDL's audio thread (which also keeps the sample
// history the visualisation draws), and resampling the decoded frames.
#ifndef CINELOCK_AUDIO_OUTPUT_H
#define CINELOCK_AUDIO_OUTPUT_H

#include <SDL.h>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "player/video_state.h"

namespace cinelock {

// Opens process_output().audio_dev for the wanted layout and rate, filling
// *target with what was granted. The device buffer size in bytes, or a
// negative value (logged).
int audio_open(VideoState *is, const AVChannelLayout *wanted_layout, int wanted_sample_rate,
               audio_format_desc *target);
void audio_close();

// Test seam: how the device is opened (SDL_OpenAudioDevice by default), so
// that tests can refuse some combinations and see the ones asked for.
using AudioDeviceOpener = SDL_AudioDeviceID (*)(const SDL_AudioSpec *desired,
                                                SDL_AudioSpec *obtained);
void set_audio_device_opener(AudioDeviceOpener opener);

// SDL's audio callback: fills len bytes of stream with the player's audio
// (opaque is the VideoState), at its volume, or silence when muted, paused
// or starved; then sets the audio clock for the moment of the call.
void sdl_audio_callback(void *opaque, Uint8 *stream, int len);

// Takes the next current audio frame off the sample ring and makes it the
// player's audio buffer (is->audio_buf), converted to the device's format.
// The byte count, or a negative value when paused or no frame came in time.
int audio_fetch_frame(VideoState *is);

}  // namespace cinelock

#endif
