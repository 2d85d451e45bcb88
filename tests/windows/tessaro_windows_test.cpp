// Tessaro on Windows without Office (as under wine): the probe library
// reports every type as not installed, the conversion refuses at once and
// starts nothing, the COM back end reports a registered but absent server
// the way Office's own failures are reported, and Brevint prints its line.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.h"
#include "support/files.h"
#include "tessaro.h"

using namespace folio_test;

namespace {

using Probe = int (*)(int);
using Convert = int (*)(int, const char *, const char *);

class Library {
 public:
  explicit Library(const wchar_t *name) : module_(LoadLibraryW(name)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;
  HMODULE get() const { return module_; }
  // Through void *: FARPROC's own type matches no export's.
  void *symbol(const char *name) const {
    return reinterpret_cast<void *>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

// A ProgID made to look registered, with no server behind its class.
// Written to HKEY_CLASSES_ROOT itself (wine does not merge the user's
// classes into it): the tests' own prefix allows it; elsewhere the case is
// skipped without administrator rights.
class FakeRegistration {
 public:
  explicit FakeRegistration(const std::wstring &prog_id) : key_(prog_id) {
    HKEY current_version = nullptr;
    made_ = RegCreateKeyExW(HKEY_CLASSES_ROOT, (key_ + L"\\CurVer").c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &current_version, nullptr) == ERROR_SUCCESS;
    if (!made_) return;
    const std::wstring value = prog_id + L".16";
    made_ = RegSetValueExW(current_version, nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE *>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(current_version);
  }
  ~FakeRegistration() { RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str()); }
  bool made() const { return made_; }

 private:
  std::wstring key_;
  bool made_ = false;
};

// Runs a program of this folder; its standard output and exit code.
struct ProgramRun {
  std::string output;
  DWORD exit_code = 0;
};
ProgramRun run_program(const std::wstring &command_line) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  ProgramRun result;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring writable = command_line;
  const BOOL started = CreateProcessW(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(write_end);
  if (started) {
    char chunk[256];
    DWORD got = 0;
    while (ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0) result.output.append(chunk, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.exit_code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(read_end);
  return result;
}

}  // namespace

TEST(TessaroProbeDll, NoOfficeTypeIsInstalled) {
  Library probe(L"TessaroProbe.dll");
  ASSERT_NE(probe.get(), nullptr);
  const auto is_installed = reinterpret_cast<Probe>(probe.symbol("IsInstallOffice"));
  ASSERT_NE(is_installed, nullptr);
  EXPECT_EQ(probe.symbol("ConvertOfficeFileToPdf"), nullptr) << "the probe library has one export";
  for (int type : {int(TESSARO_WORD), int(TESSARO_EXCEL), int(TESSARO_POWERPOINT), 3, -1})
    EXPECT_EQ(is_installed(type), 0) << "type " << type;
}

TEST(TessaroDll, ConversionWithoutOfficeFailsAtOnceAndWritesNothing) {
  Library tessaro(L"Tessaro.dll");
  ASSERT_NE(tessaro.get(), nullptr);
  const auto convert = reinterpret_cast<Convert>(tessaro.symbol("ConvertOfficeFileToPdf"));
  ASSERT_NE(convert, nullptr);
  EXPECT_EQ(tessaro.symbol("IsInstallOffice"), nullptr) << "the conversion library has one export";

  ScratchDir dir;
  write_text(dir.path("report.docx"), "not opened");
  for (int type : {int(TESSARO_WORD), int(TESSARO_EXCEL), int(TESSARO_POWERPOINT), 3, -1}) {
    testing::internal::CaptureStdout();
    const DWORD started = GetTickCount();
    const int result = convert(type, dir.path("report.docx").c_str(), dir.path("report.pdf").c_str());
    const DWORD took = GetTickCount() - started;
    // Nothing was created: creating an application prints its failure.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "type " << type;
    EXPECT_EQ(result, TESSARO_FAILED) << "type " << type;
    EXPECT_LT(took, 2000u) << "type " << type << " waited for something";
  }
  EXPECT_FALSE(file_exists(dir.path("report.pdf")));
}

TEST(TessaroDll, RegisteredApplicationWithoutServerIsACreationFailure) {
  FakeRegistration excel(L"Excel.Application");
  if (!excel.made()) GTEST_SKIP() << "no right to register a class here";
  Library probe(L"TessaroProbe.dll");
  const auto is_installed = reinterpret_cast<Probe>(probe.symbol("IsInstallOffice"));
  ASSERT_NE(is_installed, nullptr);
  EXPECT_EQ(is_installed(TESSARO_EXCEL), 1);
  EXPECT_EQ(is_installed(TESSARO_WORD), 0);

  Library tessaro(L"Tessaro.dll");
  const auto convert = reinterpret_cast<Convert>(tessaro.symbol("ConvertOfficeFileToPdf"));
  ASSERT_NE(convert, nullptr);
  ScratchDir dir;
  write_text(dir.path("book.xlsx"), "not opened");
  testing::internal::CaptureStdout();
  const int result = convert(TESSARO_EXCEL, dir.path("book.xlsx").c_str(), dir.path("book.pdf").c_str());
  // REGDB_E_CLASSNOTREG from CoCreateInstance: the class has no server.
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "CreateInstance failed w/err 0x80040154\n");
  EXPECT_EQ(result, TESSARO_FAILED);
  EXPECT_FALSE(file_exists(dir.path("book.pdf")));
}

TEST(BrevintExe, PrintsItsLineVerbatimAndExitsWithTheResult) {
  const ProgramRun brevint = run_program(L"Brevint.exe 0 a.docx 50%d.pdf");
  EXPECT_EQ(brevint.output, "Pardine: 0a.docx50%d.pdf");
  EXPECT_EQ(brevint.exit_code, static_cast<DWORD>(-1));
}
