// The three layouts a protected document can take, with the protect options
// that make each, for tests that run over all of them.
#ifndef FOLIO_TESTS_HOST_DOCUMENT_LAYOUTS_H
#define FOLIO_TESTS_HOST_DOCUMENT_LAYOUTS_H

#include <ostream>
#include <string>
#include <vector>

namespace host_test {

struct Layout {
  const char *name;
  std::vector<std::string> options;  // for folio-host protect
  const char *kind;
  const char *variant;
};

inline void PrintTo(const Layout &layout, std::ostream *out) { *out << layout.name; }

inline const Layout kLayouts[] = {
    {"PdfV1", {}, "pdf", "v1"},
    {"PdfV2", {"--variant", "v2"}, "pdf", "v2"},
    {"Image", {"--kind", "image"}, "image", "v2"},
};

}  // namespace host_test

#endif
