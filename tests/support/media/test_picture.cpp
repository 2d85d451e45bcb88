#include "support/media/test_picture.h"

#include <algorithm>
#include <cstdint>

namespace folio_test::media {

namespace {

void paint_frame_number_band(AVFrame *frame, long frame_number) {
  const int cell_width = frame->width / kFrameBandCells;
  const int band_height = frame->height / 6;
  for (int cell = 0; cell < kFrameBandCells; ++cell) {
    const int bit = kFrameBandBits - cell;  // cell 1 holds the top bit
    const bool white = cell == 0 || (cell < kFrameBandCells - 1 && ((frame_number >> bit) & 1));
    for (int y = 0; y < band_height; ++y)
      std::fill_n(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0] + cell * cell_width,
                  cell_width, white ? 235 : 16);
  }
  // Grey chroma, so the cells are pure black and white.
  for (int plane = 1; plane <= 2; ++plane)
    for (int y = 0; y < band_height / 2; ++y)
      std::fill_n(frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane], frame->width / 2,
                  128);
}

}  // namespace

void paint_test_picture(AVFrame *frame, long frame_number, bool frame_number_band) {
  const int width = frame->width;
  const int height = frame->height;
  const long shift = frame_number * 3;
  for (int y = 0; y < height; ++y) {
    std::uint8_t *row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
    for (int x = 0; x < width; ++x) row[x] = static_cast<std::uint8_t>((x + y + shift) & 0xff);
  }
  for (int y = 0; y < (height + 1) / 2; ++y) {
    std::uint8_t *u = frame->data[1] + static_cast<std::ptrdiff_t>(y) * frame->linesize[1];
    std::uint8_t *v = frame->data[2] + static_cast<std::ptrdiff_t>(y) * frame->linesize[2];
    for (int x = 0; x < (width + 1) / 2; ++x) {
      u[x] = static_cast<std::uint8_t>(128 + ((x + shift) & 0x3f) - 32);
      v[x] = static_cast<std::uint8_t>(128 + ((y + shift) & 0x3f) - 32);
    }
  }
  const int block = std::max(4, std::min(width, height) / 4);
  const int block_x = static_cast<int>((frame_number * 7) % std::max(1, width - block));
  const int block_y = static_cast<int>((frame_number * 5) % std::max(1, height - block));
  const auto shade = static_cast<std::uint8_t>(200 + frame_number % 50);
  for (int y = block_y; y < std::min(height, block_y + block); ++y) {
    std::fill_n(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0] + block_x,
                std::min(block, width - block_x), shade);
  }
  if (frame_number_band) paint_frame_number_band(frame, frame_number);
}

}  // namespace folio_test::media
