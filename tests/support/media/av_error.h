// FFmpeg failures turned into exceptions that say what was being done and
// what FFmpeg answered.
#ifndef FOLIO_TEST_MEDIA_AV_ERROR_H
#define FOLIO_TEST_MEDIA_AV_ERROR_H

#include <string>

namespace folio_test::media {

std::string av_error_text(int error);

[[noreturn]] void throw_av_error(const std::string &what, int error);

// Returns result unchanged when it is not an FFmpeg error code.
int check_av(int result, const std::string &what);

}  // namespace folio_test::media

#endif
