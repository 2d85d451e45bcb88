// An environment variable set (or removed) for the children a test starts
// while it lives, and restored afterwards.
#ifndef FOLIO_TESTS_HOST_SCOPED_ENVIRONMENT_H
#define FOLIO_TESTS_HOST_SCOPED_ENVIRONMENT_H

#include <cstdlib>
#include <string>
#include <utility>

namespace host_test {

class ScopedEnvironment {
 public:
  // value null: the variable is removed.
  ScopedEnvironment(std::string name, const char *value) : name_(std::move(name)) {
    if (const char *old = std::getenv(name_.c_str())) saved_ = old, had_ = true;
    if (value)
      ::setenv(name_.c_str(), value, 1);
    else
      ::unsetenv(name_.c_str());
  }
  ~ScopedEnvironment() {
    if (had_)
      ::setenv(name_.c_str(), saved_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment &) = delete;
  ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

 private:
  std::string name_;
  std::string saved_;
  bool had_ = false;
};

}  // namespace host_test

#endif
