/*
 * cinelock.h - video protection library
 *
 * cinelock turns an ordinary media file into a protected video and back,
 * and reads back the header block that a protected video carries.
 *
 * THE PROTECTED FORMAT
 *   A protected video is a file in an ordinary container, holding:
 *     - stream 0, the header stream: a data stream (codec AV_CODEC_ID_BIN_DATA)
 *       whose single packet is the caller's header block, stored verbatim;
 *     - streams 1..n: the input's video, audio and subtitle streams, packet
 *       for packet, in input order. Other input streams are left out.
 *   Video packets whose decode time, in whole seconds rounded to nearest,
 *   exceeds CINELOCK_CLEAR_LEAD_SECONDS are enciphered with AES in counter
 *   mode at keystream offset O = the packet's decode time in its stream's
 *   time-base units, and carry an 8-byte trailer holding O little-endian:
 *   stored length = clear length + CINELOCK_TRAILER_BYTES. Earlier video
 *   packets (the clear lead-in, about 1.5 s) and all audio and subtitle
 *   packets are stored in clear and unchanged. A file is recognised as
 *   protected by its header stream alone.
 *
 *   The counter block for offset O is the 8 nonce bytes followed by O / 16
 *   as a big-endian 64-bit number; the first keystream byte used is byte
 *   O % 16 of that block: the keystream of the document library at stream
 *   offset O.
 *
 * CONTAINERS
 *   Output: MP4 (.mp4) only. It is the one container that keeps the header
 *   stream and gives every enciphered packet back as it was stored:
 *   Matroska, MOV, NUT, FLV and the .m4v muxer refuse a data stream, AVI
 *   drops it on reading, and MPEG-TS re-frames H.264 and MPEG-4 video on
 *   reading by searching for start codes, which merges enciphered packets.
 *   Encrypting to any other name fails ("Could not create output context").
 *   Input: anything FFmpeg can read whose streams MP4 can hold. Nothing
 *   rewrites a packet once it is sealed: H.264 in start-code form (from
 *   MPEG-TS) is rewritten into MP4's length-prefixed form, and the bitstream
 *   filters the MP4 muxer would run (VP9 superframes, ADTS audio) run on the
 *   clear packets, with the muxer's own filtering off. H.265 in start-code
 *   form and AV1, which the MP4 muxer rewrites itself, and codecs MP4 cannot
 *   hold are refused before anything is written, naming codec and container.
 *   Restored (clear) files may be written in any container.
 *
 * CONVENTIONS
 *   - The format functions are stateless and synchronous: each opens its
 *     input, works on the calling thread and closes everything before it
 *     returns. They return CINELOCK_OK (0) or CINELOCK_FAILED (1).
 *   - Diagnostics go to FFmpeg's log (av_log without a context), so a host
 *     sees them through av_log_set_callback / av_log_set_level.
 *   - Paths are NUL-terminated and handed to FFmpeg unchanged (UTF-8 here).
 *   - Buffers belong to the caller; nothing is kept after a call returns.
 *   - A failed protect or restore removes the output it had begun.
 *
 * KEYS AND HEADER BLOCKS
 *   The format functions take the raw key (keybits 128, 192 or 256) and the
 *   8-byte nonce. A host that keeps both in a 512-byte header block, as the
 *   protected document header does (magic, version, marker, wrapped content
 *   key at byte 48, nonce at byte 96, CRC-32 at byte 508), uses the helpers
 *   at the end of this file:
 *
 *     unsigned char header[512]; int length = sizeof header;
 *     video_header_block_create(header, &length);       fresh random nonce
 *     video_crypt_encrypt(in, out, key, 256, header + 96, header, 512);
 *     video_set_keycipher(wrapped_key, 32, header, &length);
 *
 *   and later, to play or decrypt, takes the nonce back out with
 *   video_header_block_nonce. A program that hands the library a "video key
 *   block" (a 32-bit key length in bits followed by the key bytes) passes
 *   block + 4 as the key and the block's first word as keybits.
 */
#ifndef CINELOCK_H
#define CINELOCK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#if defined(CINELOCK_BUILDING)
#define CINELOCK_API __declspec(dllexport)
#else
#define CINELOCK_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define CINELOCK_API __attribute__((visibility("default")))
#else
#define CINELOCK_API
#endif

/* ---- Results and sizes ---------------------------------------------------- */

#define CINELOCK_OK                  0
#define CINELOCK_FAILED              1
#define CINELOCK_NONCE_BYTES         8
#define CINELOCK_TRAILER_BYTES       8   /* keystream offset after an encrypted packet */
#define CINELOCK_CLEAR_LEAD_SECONDS  1   /* video packets up to this (rounded) stay clear */
#define CINELOCK_HEADER_BLOCK_BYTES  512 /* the header block the helpers below build */
#define CINELOCK_KEY_CIPHER_MAX      48  /* wrapped key bytes a header block holds */

/* Results of the header-block helpers: the values of the document library's
 * codes with the same meaning. */
#define CINELOCK_HEADER_ERR_ARGUMENT 0x00020000 /* null pointer, or size below 512 */
#define CINELOCK_HEADER_ERR_SIZE     0x00020002 /* key cipher over 48 bytes, or negative */
#define CINELOCK_HEADER_ERR_RANDOM   0x00020004 /* the system's random source failed */
#define CINELOCK_HEADER_ERR_CRC      0x00020007 /* not an intact header block */
#define CINELOCK_HEADER_ERR_VIDEO    0x00020008 /* the file cannot be read as a video */
#define CINELOCK_HEADER_ERR_MISMATCH 0x00020009 /* the file's own header block has another nonce */

/* ---- Protecting and restoring files -------------------------------------- */

/* Writes output_path, in the container its name selects, as the protected
 * form of input_path: header_len bytes of header in the header stream, video
 * packets enciphered under key (keybits / 8 bytes) and nonce (8 bytes).
 * A packet without a decode time is given one (counted back from the next
 * known one at the start of a stream, else the previous one plus its
 * duration); packets whose decode time is not above the previous one
 * written to their stream are left out. Once written, the file is read back
 * (its sample index and trailers, not its pictures): it must store every
 * video packet as sealed, or the protect fails. Fails for a null key,
 * keybits other than 128/192/256, a null header or header_len <= 0, a
 * stream that cannot be protected exactly, or any FFmpeg failure; a failed
 * protect leaves no output. */
CINELOCK_API int video_crypt_encrypt(const char *input_path, const char *output_path,
                                     const unsigned char *key, int keybits,
                                     const unsigned char *nonce, const unsigned char *header,
                                     int header_len);

/* Writes output_path in clear form from the protected input_path: the header
 * stream is left out and every enciphered video packet is deciphered and
 * loses its trailer. A stored packet too short to hold a trailer is left out
 * (with a log line). A clear input logs "Video not encrypted!", writes
 * nothing and returns CINELOCK_OK. */
CINELOCK_API int video_crypt_decrypt(const char *input_path, const char *output_path,
                                     const unsigned char *key, int keybits,
                                     const unsigned char *nonce);

/* Copies the header block of the protected file at path into buffer.
 * *length: in, the capacity of buffer (buffer may be null); out, the header
 * block's length, also when the buffer is too small ("buffer too small",
 * CINELOCK_FAILED: call again with that capacity). A file without a header
 * stream, or whose header stream has no packet, fails with "file header not
 * found". */
CINELOCK_API int video_crypt_getheader(const char *path, unsigned char *buffer, int *length);

/* As video_crypt_getheader, and also writes the container's duration in
 * whole seconds (truncated) to *duration_seconds, 0 when the container does
 * not know it. The duration is written as soon as the file's streams are
 * read, so also when the header is then not found. */
CINELOCK_API int video_crypt_get_infor(const char *path, unsigned char *buffer, int *length,
                                       int *duration_seconds);

/* Progress of video_crypt_encrypt and video_crypt_decrypt on the calling
 * thread: called after each packet read, with the input bytes consumed so
 * far and the input's size (-1 when unknown). Registered per thread; a
 * null callback stops the reports. The callback must not call back into
 * the format functions. */
typedef void (*video_crypt_progress_fn)(void *context, int64_t bytes_done, int64_t bytes_total);
CINELOCK_API void video_crypt_set_progress(video_crypt_progress_fn callback, void *context);

/* ---- Header blocks ---------------------------------------------------------- */

/* Fills header with a fresh 512-byte header block: magic, version, marker,
 * a nonce from the system's random source, no key cipher, sealed with its
 * CRC. *header_len: in, the capacity (at least 512); out, 512.
 * Returns CINELOCK_OK, CINELOCK_HEADER_ERR_ARGUMENT or
 * CINELOCK_HEADER_ERR_RANDOM. */
CINELOCK_API int video_header_block_create(unsigned char *header, int *header_len);

/* Copies the 8-byte nonce out of an intact header block (header_len at
 * least 512; bytes past 512 are ignored).
 * Returns CINELOCK_OK, CINELOCK_HEADER_ERR_ARGUMENT or CINELOCK_HEADER_ERR_CRC. */
CINELOCK_API int video_header_block_nonce(const unsigned char *header, int header_len,
                                          unsigned char nonce[CINELOCK_NONCE_BYTES]);

/* Stores length bytes of wrapped key (keycipher) in the header block in
 * place and reseals it; the document library's DocSetKeyCipher contract.
 * *header_len: in, the capacity (at least 512); out, 512.
 * Returns CINELOCK_OK, CINELOCK_HEADER_ERR_ARGUMENT, CINELOCK_HEADER_ERR_CRC
 * (the block was not intact; nothing changed) or CINELOCK_HEADER_ERR_SIZE. */
CINELOCK_API int video_set_keycipher(const unsigned char *keycipher, int length,
                                     unsigned char *header, int *header_len);

/* Writes the duration of the video at path in whole seconds to *seconds
 * (0 when the container does not know it), after checking that header is
 * an intact header block (header_len at least 512) and, when the file is
 * protected, that the file's own header block carries the same nonce (so
 * the header's key and nonce can decipher it).
 * Returns CINELOCK_OK, CINELOCK_HEADER_ERR_ARGUMENT, CINELOCK_HEADER_ERR_CRC,
 * CINELOCK_HEADER_ERR_VIDEO or CINELOCK_HEADER_ERR_MISMATCH. */
CINELOCK_API int video_get_timespan(const char *path, const unsigned char *header, int header_len,
                                    int *seconds);

/* ---- Playing ------------------------------------------------------------------ */

/* A player shows one protected (or clear) video in the process's window:
 *
 *   video_create_window(1024, 576, 1.0, native_window);   once per process
 *   video_player *player = video_crypt_player_create(path, key, 256, nonce);
 *   video_crypt_player_play(player);     blocks until the player ends
 *   video_destroy_window();
 *
 * While video_crypt_player_play runs on the thread that owns the window,
 * any thread may pause, resume, seek, ask the position or close: those
 * calls only post requests to the player's event loop. Once
 * video_crypt_player_play has returned, the handle is gone.
 *
 * One window, renderer and audio device serve the whole process, so one
 * player plays at a time. Results: 0, or -1 for a null or ended handle. */

typedef struct video_player video_player;

/* Sets up the media layers and the window: SDL draws into native_window
 * (an X11 window id here, a HWND on Windows) or, when it is null, into a
 * borderless window of its own of width x height (640 x 480 for width 0).
 * Sizes are multiplied by scale for the picture area. 0 or -1.
 *
 * DRAWING PATH. The window is drawn one of two ways, chosen here by what
 * the machine has:
 *   - GL: SDL's accelerated (OpenGL) renderer converts and scales each
 *     picture on the GPU. Kept wherever OpenGL is hardware-accelerated.
 *   - software: where SDL's renderer would be OpenGL on a software
 *     rasteriser (GL_RENDERER names llvmpipe, softpipe or swrast: virtual
 *     machines, remote desktops, X servers such as Xvfb) or there is no GL,
 *     no GL is used: each shown picture is converted and scaled once, to
 *     the size it is displayed at, on the CPU (SIMD), and presented through
 *     SDL's software renderer and the window surface (X11 shared memory),
 *     with SDL_FRAMEBUFFER_ACCELERATION=0 so that SDL does not draw the
 *     window surface through GL either.
 * Subtitles, the audio visualisation and the status line work on both.
 * The environment variable CINELOCK_DRAWING=gl or =software, set before
 * this call, forces a path (unset, empty or "auto": chosen as above).
 *
 * LOG LEVEL. This call sets FFmpeg's log level to AV_LOG_ERROR, or to the
 * level the environment variable CINELOCK_LOG names (quiet, error,
 * warning, info, verbose, debug). At info level the call logs the path it
 * chose ("cinelock: drawing through GL (SDL renderer opengl, GL renderer
 * ...)" or "cinelock: drawing without GL (...)") and playback writes the
 * status line (clock, A-V difference, queue sizes) to the log. */
CINELOCK_API int video_create_window(int width, int height, double scale, void *native_window);
CINELOCK_API void video_destroy_window(void);

/* The host's own message pump, called at least every 10 ms while
 * video_crypt_player_play runs, so that a host whose user interface shares
 * the thread keeps working (on Linux SDL does not serve another toolkit's
 * event queue). Null: none. */
CINELOCK_API void video_set_message_pump(void (*pump)(void *context), void *context);

/* A player for path, deciphering video packets with key (keybits 128, 192
 * or 256; a null key plays a clear file) and the 8-byte nonce. Reading
 * starts at once. Null when keybits is refused, video_create_window has
 * not been called, or set-up fails. */
CINELOCK_API video_player *video_crypt_player_create(const char *path, const unsigned char *key,
                                                     int keybits, const unsigned char *nonce);

/* Runs the player's event loop until the video has played to its end or
 * the player is closed, then frees the player. 0, or -1 for a null handle. */
CINELOCK_API int video_crypt_player_play(video_player *player);

CINELOCK_API int video_crypt_player_pause(video_player *player);
CINELOCK_API int video_crypt_player_resume(video_player *player);
/* Seeks by seconds from the current position / to seconds from the start.
 * A request posted while another is still pending is dropped. */
CINELOCK_API int video_crypt_player_seek(video_player *player, int seconds);
CINELOCK_API int video_crypt_player_seekto(video_player *player, int seconds);
/* The position in whole seconds; INT_MIN (-2147483648) when unknown
 * (nothing shown yet, just after a seek) or for a null handle. */
CINELOCK_API int video_crypt_player_getpos(video_player *player);
/* Asks the player to end; video_crypt_player_play then returns. */
CINELOCK_API int video_crypt_player_close(video_player *player);

#ifdef __cplusplus
}
#endif

#endif /* CINELOCK_H */
