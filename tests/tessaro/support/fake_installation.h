// A stand-in office installation for the conversion's seams: the files the
// installation probe looks for, some components left out, and an office
// program that never answers.
#ifndef TESSARO_TESTS_FAKE_INSTALLATION_H
#define TESSARO_TESTS_FAKE_INSTALLATION_H

#include <string>

namespace tessaro_test {

struct FakeComponents {
  bool writer = true;
  bool calc = true;
  bool impress = true;
};

// Makes the installation under `root`: program/soffice.bin is a shell
// script that notes its start and sleeps for a minute without opening its
// pipe.
void make_fake_installation(const std::string &root, const FakeComponents &components);

// True once the installation's office program has been started.
bool fake_office_started(const std::string &root);

// Points the conversion at another installation while it lives.
class InstallationRootOverride {
 public:
  explicit InstallationRootOverride(const std::string &root);
  ~InstallationRootOverride();
  InstallationRootOverride(const InstallationRootOverride &) = delete;
  InstallationRootOverride &operator=(const InstallationRootOverride &) = delete;

 private:
  std::string saved_;
};

}  // namespace tessaro_test

#endif
