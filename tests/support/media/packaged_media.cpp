#include "support/media/packaged_media.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace folio_test::media {

namespace {

bool exists(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

std::string cache_directory() {
  if (const char *own = std::getenv("FOLIO_TEST_MEDIA_CACHE"); own && *own) return own;
  if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
    return std::string(cache) + "/folio-test-media";
  const char *home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.cache/folio-test-media";
}

// Package names and paths come from the tests' own tables; quoted all
// the same.
std::string shell_quoted(const std::string &text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool run(const std::string &command) { return std::system(command.c_str()) == 0; }

}  // namespace

PackagedFile packaged_file(const std::string &package, const std::string &path_in_package) {
  const std::string cache = cache_directory();
  const std::string unpacked = cache + "/" + package;
  const std::string wanted = unpacked + "/" + path_in_package;
  if (exists(wanted)) return {wanted, ""};
  if (exists(unpacked)) return {"", package + " is cached in " + unpacked + " without " + path_in_package};

  if (!run("mkdir -p " + shell_quoted(cache))) return {"", "cannot create " + cache};
  std::string work = cache + "/." + package + ".XXXXXX";
  if (!::mkdtemp(work.data())) return {"", "cannot create a directory in " + cache};
  const std::string log = work + "/fetch.log";
  const bool fetched =
      run("cd " + shell_quoted(work) + " && apt-get download " + shell_quoted(package) + " >" + shell_quoted(log) +
          " 2>&1 && dpkg-deb -x " + shell_quoted(work) + "/" + shell_quoted(package) + "_*.deb " +
          shell_quoted(work + "/root") + " >>" + shell_quoted(log) + " 2>&1");
  if (fetched && ::rename((work + "/root").c_str(), unpacked.c_str()) != 0 && errno != EEXIST &&
      errno != ENOTEMPTY) {
    run("rm -rf " + shell_quoted(work));
    return {"", "cannot move the unpacked " + package + " into " + cache};
  }
  run("rm -rf " + shell_quoted(work));
  if (!fetched)
    return {"", "apt-get download " + package + " failed (no package lists or no archive here)"};
  if (!exists(wanted)) return {"", package + " has no " + path_in_package};
  return {wanted, ""};
}

}  // namespace folio_test::media
