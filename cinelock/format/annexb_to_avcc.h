// H.264 in start-code form (Annex B, as MPEG-TS carries it) rewritten into
// the length-prefixed form MP4 stores. The MP4 muxer would otherwise make
// that rewrite itself, after encryption, by searching the enciphered bytes
// for start codes: it has to happen on the clear packet, before sealing.
#ifndef CINELOCK_ANNEXB_TO_AVCC_H
#define CINELOCK_ANNEXB_TO_AVCC_H

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavcodec/packet.h>
}

namespace cinelock {

// True for H.264 parameters whose stream is in start-code form (no
// configuration record in the extradata).
bool is_annexb_h264(const AVCodecParameters *parameters);

// Replaces the parameters' start-code extradata (SPS and PPS units) with an
// AVC configuration record. 0, AVERROR_INVALIDDATA when it holds no SPS or
// no PPS, or AVERROR(ENOMEM).
int convert_annexb_extradata(AVCodecParameters *parameters);

// Rewrites the packet's units with 4-byte big-endian length prefixes in
// place of start codes, keeping its timestamps and flags. 0 or an AVERROR.
int convert_annexb_packet(AVPacket *packet);

}  // namespace cinelock

#endif
