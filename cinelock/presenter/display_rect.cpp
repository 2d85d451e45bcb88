#include <algorithm>
#include <climits>
#include <cstdint>

extern "C" {
#include <libavutil/mathematics.h>
}

#include "output/process_output.h"
#include "presenter/presenter.h"

namespace cinelock {

void calculate_display_rect(SDL_Rect *rect, int area_x, int area_y, int area_width,
                            int area_height, int picture_width, int picture_height,
                            AVRational sar) {
  // A missing or nonsensical aspect ratio counts as square pixels.
  if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
  AVRational aspect{1, 1};
  if (picture_width > 0 && picture_height > 0) {
    aspect = av_mul_q(sar, AVRational{picture_width, picture_height});
  }
  if (aspect.num <= 0 || aspect.den <= 0) aspect = AVRational{1, 1};

  // Even sizes: YUV pictures are subsampled by two.
  int64_t height = area_height;
  int64_t width = av_rescale(height, aspect.num, aspect.den) & ~int64_t{1};
  if (width > area_width) {
    width = area_width;
    height = av_rescale(width, aspect.den, aspect.num) & ~int64_t{1};
  }
  const int64_t x = (area_width - width) / 2;
  const int64_t y = (area_height - height) / 2;
  rect->x = static_cast<int>(area_x + x);
  rect->y = static_cast<int>(area_y + y);
  rect->w = static_cast<int>(std::max<int64_t>(width, 1));
  rect->h = static_cast<int>(std::max<int64_t>(height, 1));
}

void set_default_window_size(int width, int height, AVRational sar) {
  ProcessOutput &output = process_output();
  const int max_width = output.screen_width ? output.screen_width : INT_MAX;
  int max_height = output.screen_height ? output.screen_height : INT_MAX;
  // Nothing to fit into: keep the picture's own height.
  if (max_width == INT_MAX && max_height == INT_MAX) max_height = height;
  SDL_Rect rect;
  calculate_display_rect(&rect, 0, 0, max_width, max_height, width, height, sar);
  output.default_width = rect.w;
  output.default_height = rect.h;
}

}  // namespace cinelock
