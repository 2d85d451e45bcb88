#include "encrypted_copy_path.h"

namespace morlan {

std::string encryptedCopyPath(const std::string &sourcePath) {
  std::string path = sourcePath;
  const std::size_t dot = path.rfind('.');
  path.insert(dot == std::string::npos ? path.size() : dot, "_e");
  return path;
}

}  // namespace morlan
