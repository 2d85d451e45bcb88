#include "uno/private_copy.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <rtl/ustring.hxx>

#include "uno/office_traces.h"

namespace tessaro::uno_backend {

namespace {

constexpr char kCopyFolderPrefix[] = "workbook-";

bool copy_bytes(int from, int to) {
  std::vector<char> buffer(0x100000);
  for (;;) {
    const ssize_t got = read(from, buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += put;
    }
  }
}

}  // namespace

std::string private_copy(const std::u16string &source, const std::string &folder) {
  const std::string path =
      rtl::OUStringToOString(
          rtl::OUString(reinterpret_cast<const sal_Unicode *>(source.data()),
                        static_cast<sal_Int32>(source.size())),
          RTL_TEXTENCODING_UTF8)
          .getStr();
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return {};

  std::string place = folder + "/" + kCopyFolderPrefix + "XXXXXX";
  if (!mkdtemp(place.data())) return {};
  const std::string copy = place + "/" + name;

  const int from = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return {};
  const int to = open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool copied = to >= 0 && copy_bytes(from, to);
  close(from);
  if (to >= 0 && close(to) != 0) copied = false;
  return copied ? copy : std::string();
}

void remove_private_copies(const std::string &folder) {
  for (const std::string &name : entries(folder))
    if (name.rfind(kCopyFolderPrefix, 0) == 0) remove_tree(folder + "/" + name);
}

}  // namespace tessaro::uno_backend
