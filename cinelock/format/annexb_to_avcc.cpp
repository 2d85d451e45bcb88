#include "format/annexb_to_avcc.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace cinelock {

namespace {

struct Unit {
  const std::uint8_t *data;
  std::size_t size;
};

// The units between start codes (00 00 01, or 00 00 00 01), without the
// zero bytes that trail a unit before the next start code.
std::vector<Unit> split_units(const std::uint8_t *data, std::size_t size) {
  std::vector<Unit> units;
  std::size_t i = 0;
  auto next_start = [&](std::size_t from) {
    for (std::size_t k = from; k + 3 <= size; ++k)
      if (data[k] == 0 && data[k + 1] == 0 && data[k + 2] == 1) return k;
    return size;
  };
  i = next_start(0);
  while (i < size) {
    const std::size_t begin = i + 3;
    const std::size_t start = next_start(begin);
    std::size_t end = start;
    while (end > begin && data[end - 1] == 0) --end;
    if (end > begin) units.push_back({data + begin, end - begin});
    i = start;
  }
  return units;
}

int unit_type(const Unit &unit) { return unit.data[0] & 0x1F; }

constexpr int kSps = 7;
constexpr int kPps = 8;

void put_be16(std::vector<std::uint8_t> &out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

}  // namespace

bool is_annexb_h264(const AVCodecParameters *parameters) {
  if (parameters->codec_id != AV_CODEC_ID_H264) return false;
  return parameters->extradata_size == 0 || parameters->extradata[0] != 1;
}

int convert_annexb_extradata(AVCodecParameters *parameters) {
  std::vector<Unit> sps;
  std::vector<Unit> pps;
  for (const Unit &unit :
       split_units(parameters->extradata, static_cast<std::size_t>(parameters->extradata_size))) {
    if (unit_type(unit) == kSps && unit.size >= 4 && unit.size <= 0xFFFF) sps.push_back(unit);
    if (unit_type(unit) == kPps && unit.size <= 0xFFFF) pps.push_back(unit);
  }
  if (sps.empty() || pps.empty() || sps.size() > 31 || pps.size() > 255) return AVERROR_INVALIDDATA;

  // AVCDecoderConfigurationRecord: version 1, profile, compatibility and
  // level from the first SPS, 4-byte lengths, then the SPS and PPS units.
  std::vector<std::uint8_t> record = {1, sps[0].data[1], sps[0].data[2], sps[0].data[3], 0xFF,
                                      static_cast<std::uint8_t>(0xE0 | sps.size())};
  for (const Unit &unit : sps) {
    put_be16(record, unit.size);
    record.insert(record.end(), unit.data, unit.data + unit.size);
  }
  record.push_back(static_cast<std::uint8_t>(pps.size()));
  for (const Unit &unit : pps) {
    put_be16(record, unit.size);
    record.insert(record.end(), unit.data, unit.data + unit.size);
  }

  auto *extradata = static_cast<std::uint8_t *>(av_mallocz(record.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  if (!extradata) return AVERROR(ENOMEM);
  std::memcpy(extradata, record.data(), record.size());
  av_free(parameters->extradata);
  parameters->extradata = extradata;
  parameters->extradata_size = static_cast<int>(record.size());
  return 0;
}

int convert_annexb_packet(AVPacket *packet) {
  const std::vector<Unit> units = split_units(packet->data, static_cast<std::size_t>(packet->size));
  std::size_t size = 0;
  for (const Unit &unit : units) size += 4 + unit.size;
  if (size > INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE) return AVERROR(ERANGE);

  AVPacket *converted = av_packet_alloc();
  if (!converted) return AVERROR(ENOMEM);
  int result = av_new_packet(converted, static_cast<int>(size));
  if (result >= 0) result = av_packet_copy_props(converted, packet);
  if (result < 0) {
    av_packet_free(&converted);
    return result;
  }
  std::uint8_t *out = converted->data;
  for (const Unit &unit : units) {
    const auto length = static_cast<std::uint32_t>(unit.size);
    *out++ = static_cast<std::uint8_t>(length >> 24);
    *out++ = static_cast<std::uint8_t>(length >> 16);
    *out++ = static_cast<std::uint8_t>(length >> 8);
    *out++ = static_cast<std::uint8_t>(length);
    std::memcpy(out, unit.data, unit.size);
    out += unit.size;
  }
  converted->stream_index = packet->stream_index;
  av_packet_unref(packet);
  av_packet_move_ref(packet, converted);
  av_packet_free(&converted);
  return 0;
}

}  // namespace cinelock
