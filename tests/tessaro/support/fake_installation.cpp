#include "support/fake_installation.h"

#include <sys/stat.h>

#include <stdexcept>

#include "support/files.h"
#include "uno/installation.h"

namespace tessaro_test {

namespace {

void make_folder(const std::string &path) {
  if (mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("cannot make " + path);
}

}  // namespace

void make_fake_installation(const std::string &root, const FakeComponents &components) {
  make_folder(root);
  make_folder(root + "/program");
  make_folder(root + "/share");
  make_folder(root + "/share/registry");
  const std::string program = root + "/program/soffice.bin";
  folio_test::write_text(program, "#!/bin/sh\n: > \"$(dirname \"$0\")/../started\"\nsleep 60\n");
  chmod(program.c_str(), 0755);
  const struct {
    bool present;
    const char *module;
    const char *library;
  } parts[] = {{components.writer, "writer.xcd", "libswlo.so"},
               {components.calc, "calc.xcd", "libsclo.so"},
               {components.impress, "impress.xcd", "libslideshowlo.so"}};
  for (const auto &part : parts) {
    if (!part.present) continue;
    folio_test::write_text(root + "/share/registry/" + part.module, "");
    folio_test::write_text(root + "/program/" + part.library, "");
  }
}

bool fake_office_started(const std::string &root) { return folio_test::file_exists(root + "/started"); }

InstallationRootOverride::InstallationRootOverride(const std::string &root)
    : saved_(tessaro::uno_backend::installation_root()) {
  tessaro::uno_backend::set_installation_root(root);
}

InstallationRootOverride::~InstallationRootOverride() {
  tessaro::uno_backend::set_installation_root(saved_);
}

}  // namespace tessaro_test
