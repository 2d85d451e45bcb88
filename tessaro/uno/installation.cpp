#include "uno/installation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

namespace tessaro::uno_backend {

namespace {

std::mutex root_lock;
std::string &root_value() {
  static std::string root = TESSARO_OFFICE_ROOT;
  return root;
}

bool regular_file(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

struct Component {
  const char *registry_module;  // share/registry/<name>.xcd
  const char *library;          // program/<name>
};

// Writer, Calc, Impress: each ships its own configuration module and its
// own core library; a system without the package has neither.
constexpr Component kComponents[] = {
    {"writer.xcd", "libswlo.so"},
    {"calc.xcd", "libsclo.so"},
    {"impress.xcd", "libslideshowlo.so"},
};

}  // namespace

std::string installation_root() {
  std::lock_guard<std::mutex> hold(root_lock);
  return root_value();
}

void set_installation_root(const std::string &root) {
  std::lock_guard<std::mutex> hold(root_lock);
  root_value() = root;
}

std::string office_program() { return installation_root() + "/program/soffice.bin"; }

int component_installed(int office_type) {
  if (office_type < 0 || office_type > 2) return 0;
  const std::string root = installation_root();
  const Component &component = kComponents[office_type];
  const std::string program = root + "/program/soffice.bin";
  const bool installed = regular_file(program) && access(program.c_str(), X_OK) == 0 &&
                         regular_file(root + "/share/registry/" + component.registry_module) &&
                         regular_file(root + "/program/" + component.library);
  return installed ? 1 : 0;
}

}  // namespace tessaro::uno_backend
