// A zip archive of stored (uncompressed) entries: enough for the Office
// Open XML and OpenDocument packages the tests make.
#ifndef TESSARO_TESTS_ZIP_WRITER_H
#define TESSARO_TESTS_ZIP_WRITER_H

#include <string>
#include <vector>

namespace tessaro_test {

class ZipWriter {
 public:
  // Entries keep the order they are added in (OpenDocument wants
  // "mimetype" first).
  void add(const std::string &name, const std::string &content);
  // The whole archive; std::runtime_error when it cannot be written.
  void write(const std::string &path) const;

 private:
  struct Entry {
    std::string name;
    std::string content;
  };
  std::vector<Entry> entries_;
};

}  // namespace tessaro_test

#endif
