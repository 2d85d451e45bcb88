#include "document_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <QFile>
#include <QString>
#include <limits>

DocumentFile openDocumentFile(const QString &path) {
  DocumentFile file(std::fopen(QFile::encodeName(path).constData(), "rb"));
  struct stat status {};
  if (file && (fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode)))
    file.reset();
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
