// make-test-clip: writes a generated clip for benchmarks and demos.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "support/media/media_fixtures.h"

namespace {

using folio_test::media::AudioCodec;
using folio_test::media::ClipOptions;
using folio_test::media::VideoCodec;

const char usage[] =
    "usage: make-test-clip <out> [--seconds S] [--video CODEC] [--audio aac|mp2|vorbis|opus|none]\n"
    "                      [--fps N] [--vfr] [--b-frames N] [--size WxH] [--bitrate BPS]\n"
    "                      [--subtitles] [--data-only] [--frame-numbers]\n"
    "Video codecs: h264, mpeg4, hevc, vp8, vp9, av1, mpeg2, mjpeg, theora or none.\n"
    "The container follows the name of <out> (.mp4, .m4v, .mkv, .nut, .ts, ...).\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

long long whole_number(const std::string &option, const std::string &text) {
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception &) {
    used = 0;
  }
  if (used != text.size() || text.empty()) throw UsageError(option + " wants a whole number, not '" + text + "'");
  return value;
}

double seconds_value(const std::string &text) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception &) {
    used = 0;
  }
  if (used != text.size() || text.empty() || !(value > 0)) throw UsageError("--seconds wants a positive number, not '" + text + "'");
  return value;
}

VideoCodec video_codec(const std::string &name) {
  static const std::pair<const char *, VideoCodec> names[] = {
      {"h264", VideoCodec::h264},   {"mpeg4", VideoCodec::mpeg4}, {"hevc", VideoCodec::hevc},
      {"vp8", VideoCodec::vp8},     {"vp9", VideoCodec::vp9},     {"av1", VideoCodec::av1},
      {"mpeg2", VideoCodec::mpeg2}, {"mjpeg", VideoCodec::mjpeg}, {"theora", VideoCodec::theora},
      {"none", VideoCodec::none}};
  for (const auto &[text, codec] : names)
    if (name == text) return codec;
  throw UsageError("--video wants one of the video codecs listed below, not '" + name + "'");
}

AudioCodec audio_codec(const std::string &name) {
  static const std::pair<const char *, AudioCodec> names[] = {
      {"aac", AudioCodec::aac},     {"mp2", AudioCodec::mp2}, {"vorbis", AudioCodec::vorbis},
      {"opus", AudioCodec::opus},   {"none", AudioCodec::none}};
  for (const auto &[text, codec] : names)
    if (name == text) return codec;
  throw UsageError("--audio wants aac, mp2, vorbis, opus or none, not '" + name + "'");
}

void picture_size(const std::string &text, ClipOptions &options) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size wants WxH, not '" + text + "'");
  options.width = static_cast<int>(whole_number("--size", text.substr(0, x)));
  options.height = static_cast<int>(whole_number("--size", text.substr(x + 1)));
  if (options.width <= 0 || options.height <= 0) throw UsageError("--size wants a positive width and height");
}

int positive(const std::string &option, const std::string &text) {
  const long long value = whole_number(option, text);
  if (value <= 0 || value > 1000000) throw UsageError(option + " wants a positive number, not '" + text + "'");
  return static_cast<int>(value);
}

ClipOptions parse(int argc, char **argv, std::string &out) {
  ClipOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--seconds") options.seconds = seconds_value(value());
    else if (arg == "--video") options.video = video_codec(value());
    else if (arg == "--audio") options.audio = audio_codec(value());
    else if (arg == "--fps") options.fps = positive(arg, value());
    else if (arg == "--vfr") options.variable_frame_rate = true;
    else if (arg == "--b-frames") {
      const long long frames = whole_number(arg, value());
      if (frames < 0 || frames > 16) throw UsageError("--b-frames wants 0 to 16");
      options.b_frames = static_cast<int>(frames);
    } else if (arg == "--size") picture_size(value(), options);
    else if (arg == "--bitrate") {
      options.video_bit_rate = whole_number(arg, value());
      if (options.video_bit_rate <= 0) throw UsageError("--bitrate wants a positive number of bits a second");
    } else if (arg == "--subtitles") options.subtitles = true;
    else if (arg == "--data-only") options.data_stream_only = true;
    else if (arg == "--frame-numbers") options.frame_number_band = true;
    else if (arg.rfind("--", 0) == 0) throw UsageError("unknown option " + arg);
    else if (out.empty()) out = arg;
    else throw UsageError("more than one output file given");
  }
  if (out.empty()) throw UsageError("no output file given");
  return options;
}

}  // namespace

int main(int argc, char **argv) {
  std::string out;
  try {
    const ClipOptions options = parse(argc, argv, out);
    folio_test::media::make_clip(out, options);
    std::printf("wrote %s\n", out.c_str());
    return 0;
  } catch (const UsageError &error) {
    std::fprintf(stderr, "make-test-clip: %s\n%s", error.what(), usage);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "make-test-clip: cannot make %s: %s\n", out.c_str(), error.what());
  }
  return 1;
}
