#include "support/media/av_error.h"

#include <stdexcept>

extern "C" {
#include <libavutil/error.h>
}

namespace folio_test::media {

std::string av_error_text(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(error, text, sizeof text) < 0) return "FFmpeg error " + std::to_string(error);
  return text;
}

void throw_av_error(const std::string &what, int error) {
  throw std::runtime_error(what + ": " + av_error_text(error));
}

int check_av(int result, const std::string &what) {
  if (result < 0) throw_av_error(what, result);
  return result;
}

}  // namespace folio_test::media
