// The software drawing path's scaler for 8-bit 4:2:0 pictures, what
// decoders of H.264 and most other video give: each plane scaled to the
// displayed size by bilinear interpolation (what the GL path's linear
// texture filtering does), in bands of rows that stay in the cache, each
// band then converted to RGB by libswscale's SIMD converter for pictures
// of unchanged size. libswscale's own scaled conversion filters every
// source row and converts in C: about three times the time, which on a
// machine without a GPU is most of what playing costs above decoding.
//
// A picture shown at its own size is only converted. The planes are
// scaled vertically first (two source rows blended into a
// row of the source's width), then horizontally from that row, with
// SSSE3 where the processor has it (byte shuffles gather the pairs of
// neighbours for four outputs from one 16-byte load, a multiply-add
// weighs them with 6-bit weights) and in plain C otherwise.
#ifndef CINELOCK_PICTURE_SCALER_H
#define CINELOCK_PICTURE_SCALER_H

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace cinelock {

class PictureScaler {
 public:
  PictureScaler();
  ~PictureScaler();
  PictureScaler(const PictureScaler &) = delete;
  PictureScaler &operator=(const PictureScaler &) = delete;

  // Whether this scaler takes frames of that format to width x height:
  // 8-bit 4:2:0 planar YUV, shrunk at most 3.5 times across (beyond that
  // the pairs of neighbours of four outputs no longer fit one load).
  static bool handles(const AVFrame *frame, int width, int height);

  // The converter from the scaled planes to width x height pixels of
  // target (a packed 32-bit RGB format), made or kept; null when it could
  // not be made. Its colour details are the caller's to set.
  SwsContext *converter(int width, int height, AVPixelFormat target);

  // Scales the frame into pixels (pitch bytes a row, at least
  // padded_width(width) pixels: libswscale's SIMD converter writes whole
  // groups of sixteen pixels, past the width, and leaves the last group
  // out where the rows are tighter) through the converter last asked for,
  // at its size.
  void scale(const AVFrame *frame, uint8_t *pixels, int pitch);
  static int padded_width(int width) { return (width + 15) & ~15; }

  // Test seam: false keeps the plain C loops even where SSSE3 is present.
  static void allow_simd(bool allowed);

 private:
  struct Plane;
  void prepare(const AVFrame *frame);
  int band_stride(int plane) const;

  std::unique_ptr<Plane> planes_[3];
  int source_width_ = 0, source_height_ = 0, width_ = 0, height_ = 0;
  std::vector<uint8_t> band_[3];
  SwsContext *converter_ = nullptr;
};

}  // namespace cinelock

#endif
