#include "protected_clips.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "cinelock.h"

extern "C" {
#include <libavutil/avutil.h>
}

namespace folio_test {

const Bytes &test_key() {
  static const Bytes key =
      from_hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  return key;
}

const Bytes &test_nonce() {
  static const Bytes nonce = from_hex("f0f1f2f3f4f5f6f7");
  return nonce;
}

const Bytes &test_header_block() {
  static const Bytes header = [] {
    Bytes bytes(512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
    return bytes;
  }();
  return header;
}

bool make_clip_in(const ScratchDir &dir, const std::string &name,
                  const media::ClipOptions &options) {
  try {
    media::make_clip(dir.path(name), options);
    return true;
  } catch (const std::exception &error) {
    ADD_FAILURE() << "could not make " << name << ": " << error.what();
    return false;
  }
}

int protect(const std::string &input, const std::string &output, int keybits) {
  const Bytes &header = test_header_block();
  return video_crypt_encrypt(input.c_str(), output.c_str(), test_key().data(), keybits,
                             test_nonce().data(), header.data(), static_cast<int>(header.size()));
}

int restore(const std::string &input, const std::string &output, int keybits) {
  return video_crypt_decrypt(input.c_str(), output.c_str(), test_key().data(), keybits,
                             test_nonce().data());
}

const media::StreamInfo *first_stream(const media::MediaFile &file, int media_type) {
  for (const auto &stream : file.streams)
    if (stream.media_type == media_type) return &stream;
  return nullptr;
}

std::vector<media::PacketInfo> packets_of(const media::MediaFile &file, int media_type) {
  std::vector<media::PacketInfo> packets;
  const media::StreamInfo *stream = first_stream(file, media_type);
  if (!stream) return packets;
  for (const auto &packet : file.packets)
    if (packet.stream == stream->index) packets.push_back(packet);
  return packets;
}

double seconds(std::int64_t timestamp, const media::StreamInfo &stream) {
  return static_cast<double>(timestamp) * stream.time_base_num / stream.time_base_den;
}

bool same_instant(std::int64_t a, const media::StreamInfo &a_stream, std::int64_t b,
                  const media::StreamInfo &b_stream) {
  if (a == AV_NOPTS_VALUE || b == AV_NOPTS_VALUE) return a == b;
  // a * a_num / a_den == b * b_num / b_den, without rounding.
  return static_cast<__int128>(a) * a_stream.time_base_num * b_stream.time_base_den ==
         static_cast<__int128>(b) * b_stream.time_base_num * a_stream.time_base_den;
}

std::int64_t trailer_offset(const media::PacketInfo &packet) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | packet.data[packet.data.size() - 8 + i];
  return static_cast<std::int64_t>(value);
}

}  // namespace folio_test
