// The automation back end on Windows: COM on the calling thread, the
// registry under HKEY_CLASSES_ROOT, and Office's applications as local
// servers.
#ifdef _WIN32

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "automation/interrupts.h"
#include "automation/office_automation.h"
#include "com/com_dispatch_object.h"

namespace tessaro {

namespace {

// Every server kind: in-process server and handler, local and remote server.
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                             CLSCTX_REMOTE_SERVER;  // 23

const wchar_t *prog_id(OfficeType type) {
  switch (type) {
    case kWord: return L"Word.Application";
    case kExcel: return L"Excel.Application";
    case kPowerPoint: return L"Powerpoint.Application";
    default: return nullptr;
  }
}

class ComAutomation : public OfficeAutomation {
 public:
  // Single-threaded apartment; the result is not examined (a thread that is
  // already in an apartment stays in it).
  void enter_thread() override { CoInitialize(nullptr); }
  void leave_thread() override { CoUninitialize(); }

  // Registered: the ProgID has a CurVer subkey with a readable default
  // value (the value itself is not used).
  int is_registered(OfficeType type) override {
    const wchar_t *name = prog_id(type);
    if (!name) return 0;
    HKEY application = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_READ, &application) != ERROR_SUCCESS)
      return 0;
    HKEY current_version = nullptr;
    if (RegOpenKeyExW(application, L"CurVer", 0, KEY_READ, &current_version) != ERROR_SUCCESS) {
      RegCloseKey(application);
      return 0;
    }
    // A 510-byte buffer announced as 255 bytes: a value longer than that
    // fails the read, and the application counts as not registered.
    wchar_t value[255] = {};
    DWORD size = 255;
    const LONG read = RegQueryValueExW(current_version, nullptr, nullptr, nullptr,
                                       reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(current_version);
    RegCloseKey(application);
    return read == ERROR_SUCCESS ? 1 : 0;
  }

  CreatedApplication create_application(OfficeType, const Guid &class_id,
                                        const Guid &main_interface) override {
    const GUID clsid = com_backend::to_windows(class_id);
    IUnknown *unknown = nullptr;
    HRESULT step = CoCreateInstance(clsid, nullptr, kAnyServer, IID_IUnknown,
                                    reinterpret_cast<void **>(&unknown));
    if (FAILED(step)) return {static_cast<HResult>(step), nullptr};
    step = OleRun(unknown);
    IDispatch *application = nullptr;
    if (SUCCEEDED(step)) {
      const GUID main = com_backend::to_windows(main_interface);
      step = unknown->QueryInterface(main, reinterpret_cast<void **>(&application));
    }
    unknown->Release();
    if (FAILED(step)) return {static_cast<HResult>(step), nullptr};
    return {kSOk, std::make_shared<com_backend::DispatchObject>(application, main_interface)};
  }
};

}  // namespace

OfficeAutomation &platform_automation() {
  static ComAutomation automation;
  return automation;
}

// Office runs as its own COM server and keeps nothing of ours on disk:
// there is nothing for an interrupt to end or remove.
void end_offices_on_interrupt() {}

}  // namespace tessaro

#endif
