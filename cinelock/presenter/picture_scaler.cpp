#include "presenter/picture_scaler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/cpu.h>
}

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CINELOCK_SCALER_SSSE3 1
#endif

namespace cinelock {

namespace {

constexpr int kBandRows = 16;         // luma rows scaled, then converted, at a time
constexpr int kWeightBits = 6;        // fits a signed byte as 64 - f and f
constexpr int kWeightOne = 1 << kWeightBits;
constexpr double kMaxShrink = 3.5;    // 4 outputs' pairs within 16 bytes
constexpr int kRowPadding = 32;       // the shuffles load 16 bytes past a pair's start
constexpr int kBandSlack = 64;        // libswscale's loads past a band's last row

// Where output i of dst samples a source of src: the source sample before
// it and the weight of the one after, centres aligned (as GL samples a
// texture), clamped at the edges.
struct Sample {
  int position;
  int weight;
};

std::vector<Sample> samples_along(int src, int dst) {
  std::vector<Sample> samples(static_cast<size_t>(dst));
  const double step = static_cast<double>(src) / dst;
  for (int i = 0; i < dst; ++i) {
    const double at = std::max(0.0, (i + 0.5) * step - 0.5);
    int position = static_cast<int>(at);
    int weight = static_cast<int>(std::lround((at - position) * kWeightOne));
    if (weight == kWeightOne) {
      ++position;
      weight = 0;
    }
    if (position >= src - 1) {
      position = src - 1;
      weight = 0;
    }
    samples[static_cast<size_t>(i)] = Sample{position, weight};
  }
  return samples;
}

uint8_t blend(uint8_t a, uint8_t b, int weight) {
  return static_cast<uint8_t>((a * (kWeightOne - weight) + b * weight + kWeightOne / 2) >> kWeightBits);
}

void blend_rows_c(const uint8_t *a, const uint8_t *b, uint8_t *out, int count, int weight) {
  for (int i = 0; i < count; ++i) out[i] = blend(a[i], b[i], weight);
}

std::atomic<bool> simd_allowed{true};

#if CINELOCK_SCALER_SSSE3
bool has_ssse3() {
  static const bool present = (av_get_cpu_flags() & AV_CPU_FLAG_SSSE3) != 0;
  return present && simd_allowed.load(std::memory_order_relaxed);
}

// next_a and next_b: the rows the next output row blends, fetched into the
// cache meanwhile (the picture is read from memory once, and waiting for
// it is most of the cost; the processor's own prefetching does not look
// that far ahead). Null: none.
__attribute__((target("ssse3"))) void blend_rows_ssse3(const uint8_t *a, const uint8_t *b,
                                                      uint8_t *out, int count, int weight,
                                                      const uint8_t *next_a, const uint8_t *next_b) {
  // Bytes (64 - f, f) in every 16-bit lane, to weigh (a, b) pairs.
  const __m128i weights = _mm_set1_epi16(static_cast<int16_t>(weight << 8 | (kWeightOne - weight)));
  const __m128i round = _mm_set1_epi16(kWeightOne / 2);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    if (next_a != nullptr && (i & 63) == 0) {
      _mm_prefetch(reinterpret_cast<const char *>(next_a + i), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char *>(next_b + i), _MM_HINT_T0);
    }
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
    __m128i low = _mm_maddubs_epi16(_mm_unpacklo_epi8(va, vb), weights);
    __m128i high = _mm_maddubs_epi16(_mm_unpackhi_epi8(va, vb), weights);
    low = _mm_srli_epi16(_mm_add_epi16(low, round), kWeightBits);
    high = _mm_srli_epi16(_mm_add_epi16(high, round), kWeightBits);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(low, high));
  }
  blend_rows_c(a + i, b + i, out + i, count - i, weight);
}
#endif

}  // namespace

// One plane's tables: the rows each output row blends, and for every eight
// outputs across, the two loads, the shuffles that gather each output's
// pair of neighbours from them and the pairs' weights.
struct PictureScaler::Plane {
  int source_width = 0, source_height = 0, width = 0, height = 0;
  std::vector<Sample> rows;
  std::vector<Sample> columns;
  struct Block {
    int first_load;
    int second_load;
    alignas(16) uint8_t first_shuffle[16];
    alignas(16) uint8_t second_shuffle[16];
    alignas(16) int8_t weights[16];
  };
  std::vector<Block> blocks;
  std::vector<uint8_t> row;  // a vertically blended row of the source's width

  Plane(int source_width_, int source_height_, int width_, int height_)
      : source_width(source_width_), source_height(source_height_), width(width_), height(height_),
        rows(samples_along(source_height_, height_)), columns(samples_along(source_width_, width_)),
        row(static_cast<size_t>(source_width_) + kRowPadding, 0) {
    for (int x = 0; x < width; x += 8) {
      Block block{};
      block.first_load = columns[static_cast<size_t>(x)].position;
      block.second_load = columns[static_cast<size_t>(std::min(x + 4, width - 1))].position;
      for (int k = 0; k < 8; ++k) {
        const Sample &sample = columns[static_cast<size_t>(std::min(x + k, width - 1))];
        const int next = std::min(sample.position + 1, source_width - 1);
        uint8_t *own = k < 4 ? block.first_shuffle : block.second_shuffle;
        uint8_t *other = k < 4 ? block.second_shuffle : block.first_shuffle;
        const int load = k < 4 ? block.first_load : block.second_load;
        own[2 * k] = static_cast<uint8_t>(sample.position - load);
        own[2 * k + 1] = static_cast<uint8_t>(next - load);
        other[2 * k] = other[2 * k + 1] = 0x80;  // zero: the other load fills these
        block.weights[2 * k] = static_cast<int8_t>(kWeightOne - sample.weight);
        block.weights[2 * k + 1] = static_cast<int8_t>(sample.weight);
      }
      blocks.push_back(block);
    }
  }

  void blend_rows(const uint8_t *a, const uint8_t *b, int weight, const uint8_t *next_a,
                  const uint8_t *next_b) {
#if CINELOCK_SCALER_SSSE3
    if (has_ssse3()) return blend_rows_ssse3(a, b, row.data(), source_width, weight, next_a, next_b);
#else
    (void)next_a;
    (void)next_b;
#endif
    blend_rows_c(a, b, row.data(), source_width, weight);
  }

  void scale_across_c(uint8_t *out) const {
    for (int x = 0; x < width; ++x) {
      const Sample &sample = columns[static_cast<size_t>(x)];
      out[x] = blend(row[static_cast<size_t>(sample.position)],
                     row[static_cast<size_t>(std::min(sample.position + 1, source_width - 1))],
                     sample.weight);
    }
  }

#if CINELOCK_SCALER_SSSE3
  // Writes whole blocks of eight: out has room for the width rounded up.
  __attribute__((target("ssse3"))) void scale_across_ssse3(uint8_t *out) const {
    const __m128i round = _mm_set1_epi16(kWeightOne / 2);
    const uint8_t *source = row.data();
    for (const Block &block : blocks) {
      const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + block.first_load));
      const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + block.second_load));
      const __m128i pairs = _mm_or_si128(
          _mm_shuffle_epi8(first, _mm_load_si128(reinterpret_cast<const __m128i *>(block.first_shuffle))),
          _mm_shuffle_epi8(second, _mm_load_si128(reinterpret_cast<const __m128i *>(block.second_shuffle))));
      __m128i sums = _mm_maddubs_epi16(pairs, _mm_load_si128(reinterpret_cast<const __m128i *>(block.weights)));
      sums = _mm_srli_epi16(_mm_add_epi16(sums, round), kWeightBits);
      _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(sums, sums));
      out += 8;
    }
  }
#endif

  // Output rows first .. first + count - 1 into out, stride bytes apart.
  void scale_rows(const uint8_t *source, int source_stride, int first, int count, uint8_t *out,
                  int stride) {
    auto row_at = [&](int position) {
      return source + static_cast<ptrdiff_t>(std::min(position, source_height - 1)) * source_stride;
    };
    for (int y = first; y < first + count; ++y) {
      const Sample &sample = rows[static_cast<size_t>(y)];
      const uint8_t *next_a = nullptr;
      const uint8_t *next_b = nullptr;
      if (y + 1 < height) {
        const int next = rows[static_cast<size_t>(y + 1)].position;
        next_a = row_at(next);
        next_b = row_at(next + 1);
      }
      blend_rows(row_at(sample.position), row_at(sample.position + 1), sample.weight, next_a, next_b);
      uint8_t *line = out + static_cast<ptrdiff_t>(y - first) * stride;
#if CINELOCK_SCALER_SSSE3
      if (has_ssse3()) {
        scale_across_ssse3(line);
        continue;
      }
#endif
      scale_across_c(line);
    }
  }
};

PictureScaler::PictureScaler() = default;
PictureScaler::~PictureScaler() { sws_freeContext(converter_); }

void PictureScaler::allow_simd(bool allowed) { simd_allowed = allowed; }

bool PictureScaler::handles(const AVFrame *frame, int width, int height) {
  const bool planar_420 = frame->format == AV_PIX_FMT_YUV420P || frame->format == AV_PIX_FMT_YUVJ420P;
  return planar_420 && width >= 2 && height >= 2 && frame->width >= 2 && frame->height >= 2 &&
         frame->linesize[0] > 0 && frame->linesize[1] > 0 && frame->linesize[2] > 0 &&
         frame->width <= kMaxShrink * width && (frame->width + 1) / 2 <= kMaxShrink * ((width + 1) / 2);
}

SwsContext *PictureScaler::converter(int width, int height, AVPixelFormat target) {
  converter_ = sws_getCachedContext(converter_, width, height, AV_PIX_FMT_YUV420P, width, height,
                                    target, SWS_BILINEAR, nullptr, nullptr, nullptr);
  width_ = width;
  height_ = height;
  return converter_;
}

int PictureScaler::band_stride(int plane) const { return (planes_[plane]->width + 31) & ~31; }

void PictureScaler::prepare(const AVFrame *frame) {
  if (planes_[0] && source_width_ == frame->width && source_height_ == frame->height &&
      planes_[0]->width == width_ && planes_[0]->height == height_)
    return;
  source_width_ = frame->width;
  source_height_ = frame->height;
  const int chroma_source_width = (frame->width + 1) / 2;
  const int chroma_source_height = (frame->height + 1) / 2;
  planes_[0] = std::make_unique<Plane>(frame->width, frame->height, width_, height_);
  for (int i = 1; i <= 2; ++i)
    planes_[i] = std::make_unique<Plane>(chroma_source_width, chroma_source_height,
                                         (width_ + 1) / 2, (height_ + 1) / 2);
  // Rows of whole blocks of eight, which the shuffles write; libswscale's
  // converter reads in 16-byte loads, past a row's end on the last one.
  for (int i = 0; i < 3; ++i) {
    const int rows = i == 0 ? kBandRows : kBandRows / 2;
    band_[i].assign(static_cast<size_t>(band_stride(i)) * rows + kBandSlack, 0);
  }
}

void PictureScaler::scale(const AVFrame *frame, uint8_t *pixels, int pitch) {
  uint8_t *destination[4] = {pixels};
  int destination_pitch[4] = {pitch};
  if (frame->width == width_ && frame->height == height_) {
    // Shown at its own size: only converted.
    sws_scale(converter_, frame->data, frame->linesize, 0, frame->height, destination,
              destination_pitch);
    return;
  }
  prepare(frame);
  int strides[4] = {};
  const uint8_t *band[4] = {};
  for (int i = 0; i < 3; ++i) {
    strides[i] = band_stride(i);
    band[i] = band_[i].data();
  }
  for (int y = 0; y < height_; y += kBandRows) {
    const int rows = std::min(kBandRows, height_ - y);
    planes_[0]->scale_rows(frame->data[0], frame->linesize[0], y, rows, band_[0].data(), strides[0]);
    const int chroma_first = y / 2;
    const int chroma_rows = std::min((rows + 1) / 2, planes_[1]->height - chroma_first);
    for (int i = 1; i <= 2; ++i)
      planes_[i]->scale_rows(frame->data[i], frame->linesize[i], chroma_first, chroma_rows,
                             band_[i].data(), strides[i]);
    // A slice of the picture, in order from the top.
    sws_scale(converter_, band, strides, y, rows, destination, destination_pitch);
  }
}

}  // namespace cinelock
