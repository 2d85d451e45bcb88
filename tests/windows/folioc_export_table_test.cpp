// Folioc.dll's export table, read back from the DLL as the loader maps it:
// the directory's own name, every name with its fixed ordinal (hosts import
// by ordinal, so these numbers are the interface), Foliocrypt and
// DocDecrypt one function, and the exports working when bound by ordinal.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "folioc.h"

namespace {

const std::map<std::string, WORD> kOrdinals = {
    {"FoliocInit", 1},      {"Foliocrypt", 2},      {"DocDecrypt", 3},      {"FoliocClean", 4},
    {"FileEncrypt", 5},     {"FileDecrypt", 6},     {"MD5File", 7},         {"Base64Encode", 8},
    {"Base64Decode", 9},    {"DocFileEncrypt", 10}, {"DocSetKeyCipher", 11}, {"DocGetKeyCipher", 12},
    {"DocFileDecrypt", 13}, {"DocGetHeader", 14},   {"DocGetNonce", 15}};

struct ExportTable {
  std::string dll_name;
  std::map<std::string, WORD> ordinals;  // name -> ordinal
  std::map<WORD, DWORD> addresses;       // ordinal -> RVA
};

ExportTable read_exports(HMODULE module) {
  const auto *base = reinterpret_cast<const unsigned char *>(module);
  const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ExportTable table;
  if (entry.VirtualAddress == 0) return table;
  const auto *dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + entry.VirtualAddress);
  table.dll_name = reinterpret_cast<const char *>(base + dir->Name);
  const auto *functions = reinterpret_cast<const DWORD *>(base + dir->AddressOfFunctions);
  const auto *names = reinterpret_cast<const DWORD *>(base + dir->AddressOfNames);
  const auto *name_ordinals = reinterpret_cast<const WORD *>(base + dir->AddressOfNameOrdinals);
  for (DWORD i = 0; i < dir->NumberOfFunctions; ++i)
    if (functions[i]) table.addresses[static_cast<WORD>(dir->Base + i)] = functions[i];
  for (DWORD i = 0; i < dir->NumberOfNames; ++i)
    table.ordinals[reinterpret_cast<const char *>(base + names[i])] =
        static_cast<WORD>(dir->Base + name_ordinals[i]);
  return table;
}

class FoliocDll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(L"Folioc.dll");
    ASSERT_NE(module_, nullptr) << "Folioc.dll does not load, error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  template <typename Function>
  Function by_ordinal(WORD ordinal) const {
    return reinterpret_cast<Function>(
        reinterpret_cast<void *>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))));
  }
  HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(FoliocDll, ExportDirectoryIsNamedFoliocDll) {
  EXPECT_EQ(read_exports(module_).dll_name, "Folioc.dll");
}

TEST_F(FoliocDll, ExactlyTheFifteenNamesWithTheirFixedOrdinals) {
  const ExportTable table = read_exports(module_);
  EXPECT_EQ(table.ordinals, kOrdinals);
  // No export without a name either.
  EXPECT_EQ(table.addresses.size(), 15u);
  for (const auto &[name, ordinal] : kOrdinals)
    EXPECT_EQ(table.addresses.count(ordinal), 1u) << name;
}

TEST_F(FoliocDll, FoliocryptAndDocDecryptAreOneFunction) {
  const ExportTable table = read_exports(module_);
  ASSERT_EQ(table.addresses.count(2), 1u);
  EXPECT_EQ(table.addresses.at(2), table.addresses.at(3));
  EXPECT_EQ(GetProcAddress(module_, "Foliocrypt"), GetProcAddress(module_, "DocDecrypt"));
  std::map<DWORD, int> uses;
  for (const auto &[ordinal, rva] : table.addresses) ++uses[rva];
  EXPECT_EQ(uses.size(), 14u) << "only ordinals 2 and 3 share an address";
}

// A host binding the way the video player does: by ordinal alone.
TEST_F(FoliocDll, ExportsBoundByOrdinalCipherAndRelease) {
  const auto init = by_ordinal<decltype(&FoliocInit)>(1);
  const auto crypt = by_ordinal<decltype(&Foliocrypt)>(2);
  const auto decrypt = by_ordinal<decltype(&DocDecrypt)>(3);
  const auto clean = by_ordinal<decltype(&FoliocClean)>(4);
  const auto base64_decode = by_ordinal<decltype(&Base64Decode)>(9);
  ASSERT_TRUE(init && crypt && decrypt && clean && base64_decode);

  const unsigned char key[32] = {1, 2, 3};
  const unsigned char nonce[8] = {9, 8, 7};
  const int handle = init(key, 32, nonce);
  ASSERT_GE(handle, 1);
  std::vector<unsigned char> data(100, 0x5A), original = data;
  EXPECT_EQ(crypt(handle, data.data(), data.size(), 7), DOC_OK);
  EXPECT_NE(data, original);
  EXPECT_EQ(decrypt(handle, data.data(), data.size(), 7), DOC_OK);
  EXPECT_EQ(data, original);
  EXPECT_EQ(clean(handle), DOC_OK);
  EXPECT_EQ(clean(handle), DOC_ERR_FAIL);

  const char text[] = "Zm9vYmFy";
  unsigned char decoded[16] = {};
  int capacity = sizeof decoded;
  EXPECT_EQ(base64_decode(text, static_cast<int>(std::strlen(text)), decoded, &capacity), DOC_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(decoded), static_cast<std::size_t>(capacity)), "foobar");
}
