// Opening a media file for reading, with its stream information read.
#ifndef FOLIO_TEST_MEDIA_INPUT_FILE_H
#define FOLIO_TEST_MEDIA_INPUT_FILE_H

#include <string>

#include "support/media/av_handles.h"

namespace folio_test::media {

// Throws std::runtime_error naming path and FFmpeg's reason.
InputContextPtr open_input_file(const std::string &path);

// Index of the first stream of type, or -1.
int first_stream_of_type(const AVFormatContext *input, AVMediaType type);

// An opened single-threaded decoder for stream; throws when there is none.
CodecContextPtr open_decoder(const AVStream *stream);

// Calls on_frame for every frame the decoder gives for the packets of
// stream_index, then for the frames it still holds at the end.
template <typename OnFrame>
void decode_stream(AVFormatContext *input, int stream_index, AVCodecContext *decoder, OnFrame on_frame);

}  // namespace folio_test::media

#include "support/media/input_file_decode.h"

#endif
