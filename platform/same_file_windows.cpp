// Windows: a file is known by its volume's serial number and its index on
// that volume, read from a handle opened without any access right (so that
// no sharing mode of the file can refuse it).
#include "same_file.h"

#include <windows.h>

#include "utf16_path.h"

namespace {

bool identify(const wchar_t *path, BY_HANDLE_FILE_INFORMATION &info) {
  const HANDLE file =
      CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool same_existing_file_wide(const wchar_t *first, const wchar_t *second) {
  if (!first || !second) return false;
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return identify(first, a) && identify(second, b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool same_existing_file(const char *first, const char *second) {
  if (!first || !second) return false;
  const std::wstring a = utf16_path(first);
  const std::wstring b = utf16_path(second);
  return !a.empty() && !b.empty() && same_existing_file_wide(a.c_str(), b.c_str());
}
