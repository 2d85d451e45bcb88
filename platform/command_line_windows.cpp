#include "command_line.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// CP_ACP, as a program's narrow main() would see the argument.
std::string ansi_of(const wchar_t *wide) {
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(length - 1));
  return narrow;
}

}  // namespace

std::optional<std::vector<std::string>> narrow_arguments(const wchar_t *command_line) {
  if (!command_line) return std::nullopt;
  int count = 0;
  wchar_t **wide = CommandLineToArgvW(command_line, &count);
  if (!wide) return std::nullopt;
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(ansi_of(wide[i]));
  LocalFree(wide);
  return arguments;
}

std::optional<std::vector<std::string>> process_narrow_arguments() {
  return narrow_arguments(GetCommandLineW());
}
