// Clips made for a test and their protected forms, with the key, nonce and
// header block every format test uses, and views of their packets.
#ifndef FOLIO_TESTS_CINELOCK_PROTECTED_CLIPS_H
#define FOLIO_TESTS_CINELOCK_PROTECTED_CLIPS_H

#include <string>
#include <vector>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace folio_test {

// 32 key bytes; the first 16 and 24 of them are the 128- and 192-bit keys.
const Bytes &test_key();
const Bytes &test_nonce();        // 8 bytes
const Bytes &test_header_block();  // 512 bytes, no two alike

// Makes the clip at dir/name; fails the calling test (ADD_FAILURE) and
// returns false when the generator throws.
bool make_clip_in(const ScratchDir &dir, const std::string &name,
                  const media::ClipOptions &options);

// video_crypt_encrypt / video_crypt_decrypt with the test key and nonce.
int protect(const std::string &input, const std::string &output, int keybits = 256);
int restore(const std::string &input, const std::string &output, int keybits = 256);

// The packets of the first stream of a media type, in file order.
std::vector<media::PacketInfo> packets_of(const media::MediaFile &file, int media_type);
const media::StreamInfo *first_stream(const media::MediaFile &file, int media_type);

// Seconds of a timestamp in a stream's time base.
double seconds(std::int64_t timestamp, const media::StreamInfo &stream);

// True when two timestamps in their streams' time bases name the same instant.
bool same_instant(std::int64_t a, const media::StreamInfo &a_stream, std::int64_t b,
                  const media::StreamInfo &b_stream);

// The stream offset a sealed packet's last 8 bytes record (little-endian).
std::int64_t trailer_offset(const media::PacketInfo &packet);

}  // namespace folio_test

#endif
