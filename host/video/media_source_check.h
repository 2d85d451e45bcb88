// Whether a file is media FFmpeg can read, checked by the tool itself
// before the video library is called, so that the refusal names the file
// and says what is wrong with it.
#ifndef FOLIO_HOST_MEDIA_SOURCE_CHECK_H
#define FOLIO_HOST_MEDIA_SOURCE_CHECK_H

#include <string>

namespace folio_host {

// Throws Failure naming path when FFmpeg cannot read it as media, or when
// it holds no video, audio or subtitle stream (the only streams a
// protected video keeps).
void check_media_source(const std::string &path);

}  // namespace folio_host

#endif
