// The picture of frame n of a generated clip: a diagonal gradient that moves
// by three steps a frame, and a bright block whose place and shade follow n,
// so every frame differs from the one before and from the one after.
#ifndef FOLIO_TEST_MEDIA_TEST_PICTURE_H
#define FOLIO_TEST_MEDIA_TEST_PICTURE_H

extern "C" {
#include <libavutil/frame.h>
}

namespace folio_test::media {

// frame must be a writable YUV 4:2:0 planar picture.
void paint_test_picture(AVFrame *frame, long frame_number);

}  // namespace folio_test::media

#endif
