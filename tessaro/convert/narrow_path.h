// Paths arrive as narrow strings in the process's encoding and go to the
// application as UTF-16.
#ifndef TESSARO_CONVERT_NARROW_PATH_H
#define TESSARO_CONVERT_NARROW_PATH_H

#include <string>

namespace tessaro {

// Windows: MultiByteToWideChar(CP_ACP). Elsewhere: UTF-8. False when the
// text is not valid in that encoding.
bool narrow_path_to_utf16(const char *path, std::u16string &out);

// Whether a regular file can be opened for reading at the path.
bool readable_file(const char *path);

}  // namespace tessaro

#endif
