#include "uno/descriptor_output.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include <com/sun/star/io/IOException.hpp>
#include <cppuhelper/implbase1.hxx>

using namespace css;

namespace tessaro::uno_backend {

namespace {

class DescriptorStream : public cppu::WeakImplHelper1<io::XOutputStream> {
 public:
  explicit DescriptorStream(int descriptor) : descriptor_(descriptor) {}

  void SAL_CALL writeBytes(const uno::Sequence<sal_Int8> &data) override {
    const sal_Int8 *at = data.getConstArray();
    std::size_t left = static_cast<std::size_t>(data.getLength());
    while (left > 0) {
      const ssize_t written = ::write(descriptor_, at, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) throw io::IOException("the PDF cannot be written", nullptr);
      at += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  void SAL_CALL flush() override {}
  // The descriptor stays the caller's to close.
  void SAL_CALL closeOutput() override {}

 private:
  int descriptor_;
};

}  // namespace

int named_descriptor(const std::string &path) {
  std::string number;
  for (const char *prefix : {"/dev/fd/", "/proc/self/fd/"})
    if (path.rfind(prefix, 0) == 0) number = path.substr(std::string(prefix).size());
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos ||
      number.size() > 9)
    return -1;
  const int descriptor = std::atoi(number.c_str());
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) return -1;
  return descriptor;
}

uno::Reference<io::XOutputStream> descriptor_stream(int descriptor) {
  return new DescriptorStream(descriptor);
}

}  // namespace tessaro::uno_backend
