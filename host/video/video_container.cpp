#include "video/video_container.h"

#include <cctype>

extern "C" {
#include <libavformat/avformat.h>
}

#include "output/path_names.h"

namespace folio_host {

std::string extension_of(const std::string &path) {
  const std::string name = file_name_of(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool carries_header_stream(const std::string &path) {
  std::string extension = extension_of(path);
  for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".mp4";
}

bool names_known_container(const std::string &path) {
  const std::string name = file_name_of(path);
  return !extension_of(path).empty() && av_guess_format(nullptr, name.c_str(), nullptr) != nullptr;
}

std::string ffmpeg_file_url(const std::string &path) { return "file:" + path; }

}  // namespace folio_host
