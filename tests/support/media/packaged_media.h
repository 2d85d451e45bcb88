// Real media files that Debian packages ship, for tests that want input
// from encoders other than our own. A package is fetched with
// `apt-get download`, unpacked with `dpkg-deb -x` into a cache directory
// (never installed), and kept there for later runs:
// $FOLIO_TEST_MEDIA_CACHE, else ${XDG_CACHE_HOME:-$HOME/.cache}/folio-test-media.
#ifndef FOLIO_TEST_MEDIA_PACKAGED_MEDIA_H
#define FOLIO_TEST_MEDIA_PACKAGED_MEDIA_H

#include <string>

namespace folio_test::media {

struct PackagedFile {
  std::string path;     // the unpacked file; empty when it cannot be had
  std::string missing;  // why not (for the test's skip message)
};

// The file at path_in_package (e.g. "usr/share/sounds/x.oga") of the
// named package, fetched and unpacked on first use. Two processes may
// fetch the same package at once: each unpacks into a directory of its
// own and the first rename wins.
PackagedFile packaged_file(const std::string &package, const std::string &path_in_package);

}  // namespace folio_test::media

#endif
