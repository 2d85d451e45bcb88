// A private copy of a document, for loading it editable without any chance
// of the user's file being written.
#ifndef TESSARO_UNO_PRIVATE_COPY_H
#define TESSARO_UNO_PRIVATE_COPY_H

#include <string>

namespace tessaro::uno_backend {

// Copies the file into a new folder under `folder`, keeping its name (the
// office tells formats partly by it); the copy's UTF-8 path, or empty when
// the source cannot be read or the copy not written.
std::string private_copy(const std::u16string &source, const std::string &folder);

// Removes every copy private_copy made under `folder`: a kept office's
// next document must not find the last one's clear copy.
void remove_private_copies(const std::string &folder);

}  // namespace tessaro::uno_backend

#endif
