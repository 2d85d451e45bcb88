// Paths arrive as narrow strings in the process's encoding and go to the
// application as UTF-16.
#ifndef TESSARO_CONVERT_NARROW_PATH_H
#define TESSARO_CONVERT_NARROW_PATH_H

#include <string>

namespace tessaro {

// Windows: MultiByteToWideChar(CP_ACP). Elsewhere: UTF-8. False when the
// text is not valid in that encoding.
bool narrow_path_to_utf16(const char *path, std::u16string &out);

// Whether a regular file with at least one byte in it can be opened for
// reading at the path: an empty file is no document, though an office
// would open it as a blank one.
bool readable_document(const char *path);

// Whether both narrow paths name one existing file, under whatever names
// (hard links, "..", symbolic links): writing the PDF would destroy the
// document.
bool same_document(const char *first, const char *second);

}  // namespace tessaro

#endif
