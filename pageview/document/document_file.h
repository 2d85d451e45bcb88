// Reading protected files: opening by the viewer's path text, the size, and
// exact reads at an offset. Nothing here ever writes or creates a file.
#ifndef PAGEVIEW_DOCUMENT_DOCUMENT_FILE_H
#define PAGEVIEW_DOCUMENT_DOCUMENT_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

class QString;

struct DocumentFileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using DocumentFile = std::unique_ptr<std::FILE, DocumentFileCloser>;

// Opens path, converted to the local 8-bit encoding as Qt converts file
// names, for binary reading. Null when it cannot be opened or is not a
// regular file: a directory or a device opens, but never reads as a
// document of known size, and a named pipe would not even open until
// something writes to it.
DocumentFile openDocumentFile(const QString &path);

// The file's size in bytes; -1 when it cannot be had.
std::int64_t documentFileSize(std::FILE *file);

// Reads exactly size bytes from offset on. False when fewer could be read
// (end of file, an error, an offset the system cannot seek to); the file
// stays usable for the next read.
bool readExactlyAt(std::FILE *file, std::uint64_t offset, unsigned char *buffer,
                   std::size_t size);

#endif
