// The steps that protecting and restoring a file share: open and describe
// the input, make the muxer the output name selects, copy stream
// parameters, write the container header and, at the end, the trailer.
// Every step logs its own failure; results are FFmpeg codes.
#ifndef CINELOCK_REMUXER_H
#define CINELOCK_REMUXER_H

#include "cinelock.h"
#include "format/media_handles.h"
#include "format/media_log.h"
#include "format/packet_cipher.h"

namespace cinelock {

class Remuxer {
 public:
  // Opens input_path, reads its stream information, dumps its description
  // to the log and allocates the muxer for output_path.
  int open(const char *input_path, const char *output_path);

  AVFormatContext *input() const { return input_.get(); }
  AVFormatContext *output() const { return output_.get(); }

  // An output stream with the codec parameters of source, codec tag 0.
  int add_copy_of(const AVStream *source);
  // The header stream: data, AV_CODEC_ID_BIN_DATA, nothing else set.
  int add_header_stream();

  // Dumps the output description, opens the output file and writes the
  // container header.
  int start_output();

  // Writes the trailer (when the container header was written, also after
  // a failed packet) and closes the output. Returns result, or the
  // trailer's or close's failure when result was a success: a file whose
  // end never reached the disk is not a success. A failed output is
  // removed: half a file is of no use, and half a restored one is clear
  // content left behind.
  int finish(int result);

  // Removes the output file this remuxer opened (a local file, named
  // plainly or as a file: URL); other protocols are left alone.
  void remove_output();

 private:
  InputMedia input_;
  OutputMedia output_;
  const char *output_path_ = nullptr;
  bool header_written_ = false;
  bool file_opened_ = false;
};

// Opens path and reads its stream information, logging "Could not open
// input file" or "Failed to retrieve input stream information". A
// protected file is read without stream parsers and its analysis stays
// within the clear lead-in, so that FFmpeg never takes enciphered packets
// for bitstream.
int open_input_media(InputMedia &input, const char *path);

// A transcode's final result: 0 for success (a non-negative code or end of
// file), else 1 after logging "Error occurred: <text>".
int conclude(int result);

// The end of an entry point, once its key was accepted: refuses missing
// paths or nonce, builds the cipher and concludes what body(cipher) gives.
template <typename Body>
int run_transcode(const char *input_path, const char *output_path, const unsigned char *key,
                  int keybits, const unsigned char *nonce, Body body) {
  if (!nonce || !input_path || !output_path) {
    log_error("missing argument");
    return CINELOCK_FAILED;
  }
  const PacketCipher cipher(key, keybits, nonce);
  if (!cipher.ready()) {
    log_error("invalid file key");
    return CINELOCK_FAILED;
  }
  return conclude(body(cipher));
}

}  // namespace cinelock

#endif
