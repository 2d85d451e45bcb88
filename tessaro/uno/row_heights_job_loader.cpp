#include "uno/row_heights_job_loader.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XSingleComponentFactory.hpp>
#include <com/sun/star/loader/XImplementationLoader.hpp>
#include <com/sun/star/registry/XRegistryKey.hpp>

#include "office_helper/row_heights_access.h"

// The job's library, linked in by row_heights_image.cpp (generated).
extern "C" const unsigned char tessaro_row_heights_image[];
extern "C" const unsigned char tessaro_row_heights_image_end[];

using namespace css;

namespace tessaro::uno_backend {

namespace {

// Writes the library's image to a new file; false when it cannot.
bool write_image(const std::string &path) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700);
  if (file < 0) return false;
  const unsigned char *at = tessaro_row_heights_image;
  bool ok = true;
  while (ok && at < tessaro_row_heights_image_end) {
    const ssize_t written =
        write(file, at, static_cast<std::size_t>(tessaro_row_heights_image_end - at));
    if (written > 0)
      at += written;
    else
      ok = written < 0 && errno == EINTR;
  }
  ok = close(file) == 0 && ok;
  if (!ok) unlink(path.c_str());
  return ok;
}

}  // namespace

uno::Reference<task::XJob> load_row_heights_job(OfficeSession &session) {
  const std::string path = session.scratch_folder() + "/row-heights-job.so";
  if (access(path.c_str(), F_OK) != 0 && !write_image(path)) return {};
  try {
    const uno::Reference<uno::XComponentContext> &office = session.office_context();
    const uno::Reference<loader::XImplementationLoader> loader(
        office->getServiceManager()->createInstanceWithContext("com.sun.star.loader.SharedLibrary",
                                                               office),
        uno::UNO_QUERY_THROW);
    const uno::Reference<lang::XSingleComponentFactory> factory(
        loader->activate(OUString::createFromAscii(row_heights::kJobImplementationName), OUString(),
                         file_url_utf8(path), uno::Reference<registry::XRegistryKey>()),
        uno::UNO_QUERY_THROW);
    return uno::Reference<task::XJob>(factory->createInstanceWithContext(office),
                                      uno::UNO_QUERY_THROW);
  } catch (const uno::Exception &) {
    return {};
  }
}

}  // namespace tessaro::uno_backend
