// The picture of frame n of a generated clip: a diagonal gradient that moves
// by three steps a frame, and a bright block whose place and shade follow n,
// so every frame differs from the one before and from the one after.
// On request, a band across the top carries the frame number in large
// black and white cells, so that a test can read which frame a screen
// shows, however the picture was scaled.
#ifndef FOLIO_TEST_MEDIA_TEST_PICTURE_H
#define FOLIO_TEST_MEDIA_TEST_PICTURE_H

extern "C" {
#include <libavutil/frame.h>
}

namespace folio_test::media {

// The band: kFrameBandCells cells of equal width across the picture, the
// top sixth of its height. The first cell is always white and the last
// always black (they tell a picture with a band from one without); the
// cells between hold the frame number's bits, most significant first,
// white for 1. Frame numbers wrap at 2^kFrameBandBits.
constexpr int kFrameBandCells = 12;
constexpr int kFrameBandBits = kFrameBandCells - 2;

// frame must be a writable YUV 4:2:0 planar picture.
void paint_test_picture(AVFrame *frame, long frame_number, bool frame_number_band = false);

}  // namespace folio_test::media

#endif
