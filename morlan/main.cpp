// Morlan: plays one protected video that a host started it for.
#include "startup.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

// The host passes paths in the system's code page: the UTF-16 command line
// is split by the platform's rules and narrowed to it.
int main(int, char **) {
  int count = 0;
  LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return -1;
  std::vector<std::string> narrow;
  for (int i = 0; i < count; ++i) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size : 1, '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    narrow.push_back(text);
  }
  LocalFree(wide);
  std::vector<char *> argv;
  for (std::string &word : narrow) argv.push_back(word.data());
  argv.push_back(nullptr);
  return morlan::runMorlan(count, argv.data());
}
#else
int main(int argc, char *argv[]) { return morlan::runMorlan(argc, argv); }
#endif
