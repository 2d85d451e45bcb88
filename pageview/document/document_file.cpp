#include "document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <limits>

DocumentFile openDocumentFile(const QString &path) {
  // Opened without blocking and checked before anything else: opening a
  // named pipe for reading waits for a writer that never comes.
  const int descriptor =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
      fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  DocumentFile file(fdopen(descriptor, "rb"));
  if (!file) ::close(descriptor);
  return file;
}

std::int64_t documentFileSize(std::FILE *file) {
  struct stat status {};
  if (!file || fstat(fileno(file), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

bool readExactlyAt(std::FILE *file, std::uint64_t offset, unsigned char *buffer,
                   std::size_t size) {
  if (!file || !buffer) return false;
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
  std::clearerr(file);  // an earlier short read must not fail this one
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, size, file) == size;
}
