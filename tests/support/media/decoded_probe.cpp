// The decoding half of the media probe: digests of pictures and the bytes
// of decoded sound.
#include <stdexcept>

#include <openssl/evp.h>

#include "support/media/input_file.h"
#include "support/media/media_probe.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

namespace folio_test::media {

namespace {

struct DigestContextRelease {
  void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

std::string hex(const unsigned char *bytes, unsigned length) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned i = 0; i < length; ++i) {
    out.push_back(digits[bytes[i] >> 4]);
    out.push_back(digits[bytes[i] & 0x0f]);
  }
  return out;
}


void append_samples(const AVFrame *frame, std::vector<std::uint8_t> &out) {
  const auto format = static_cast<AVSampleFormat>(frame->format);
  const int channels = frame->ch_layout.nb_channels;
  const int sample_bytes = av_get_bytes_per_sample(format);
  if (av_sample_fmt_is_planar(format)) {
    const std::size_t plane_bytes = static_cast<std::size_t>(frame->nb_samples) * static_cast<std::size_t>(sample_bytes);
    for (int channel = 0; channel < channels; ++channel) {
      const std::uint8_t *plane = frame->extended_data[channel];
      out.insert(out.end(), plane, plane + plane_bytes);
    }
  } else {
    const std::size_t bytes = static_cast<std::size_t>(frame->nb_samples) * static_cast<std::size_t>(channels) *
                              static_cast<std::size_t>(sample_bytes);
    out.insert(out.end(), frame->extended_data[0], frame->extended_data[0] + bytes);
  }
}

}  // namespace

// MD5 of the visible bytes of every plane: each row's width in bytes, not
// the decoder's padding after it.
std::string picture_md5(const AVFrame *frame) {
  const auto format = static_cast<AVPixelFormat>(frame->format);
  const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor) throw std::runtime_error("decoded picture has an unknown pixel format");
  int row_bytes[4] = {};
  check_av(av_image_fill_linesizes(row_bytes, format, frame->width), "measuring picture rows");

  std::unique_ptr<EVP_MD_CTX, DigestContextRelease> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) {
    throw std::runtime_error("cannot start an MD5 digest");
  }
  const int planes = av_pix_fmt_count_planes(format);
  for (int plane = 0; plane < planes; ++plane) {
    const bool chroma = plane == 1 || plane == 2;
    const int rows = chroma ? AV_CEIL_RSHIFT(frame->height, descriptor->log2_chroma_h) : frame->height;
    for (int row = 0; row < rows; ++row) {
      const std::uint8_t *start = frame->data[plane] + static_cast<std::ptrdiff_t>(row) * frame->linesize[plane];
      if (EVP_DigestUpdate(context.get(), start, static_cast<std::size_t>(row_bytes[plane])) != 1) {
        throw std::runtime_error("MD5 digest update failed");
      }
    }
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) throw std::runtime_error("MD5 digest failed");
  return hex(digest, length);
}

std::vector<std::string> decoded_frame_digests(const std::string &path) {
  InputContextPtr input = open_input_file(path);
  const int stream_index = first_stream_of_type(input.get(), AVMEDIA_TYPE_VIDEO);
  if (stream_index < 0) throw std::runtime_error(path + " has no video stream");
  CodecContextPtr decoder = open_decoder(input->streams[stream_index]);
  std::vector<std::string> digests;
  decode_stream(input.get(), stream_index, decoder.get(),
                [&](const AVFrame *frame) { digests.push_back(picture_md5(frame)); });
  return digests;
}

std::vector<std::uint8_t> decoded_audio(const std::string &path) {
  InputContextPtr input = open_input_file(path);
  const int stream_index = first_stream_of_type(input.get(), AVMEDIA_TYPE_AUDIO);
  if (stream_index < 0) throw std::runtime_error(path + " has no audio stream");
  CodecContextPtr decoder = open_decoder(input->streams[stream_index]);
  std::vector<std::uint8_t> samples;
  decode_stream(input.get(), stream_index, decoder.get(), [&](const AVFrame *frame) { append_samples(frame, samples); });
  return samples;
}

}  // namespace folio_test::media
