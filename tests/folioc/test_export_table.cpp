// The shared library's export table: exactly the documented functions are
// visible (fifteen, or seven in the seven-export build) and they work when
// loaded at run time the way a host loads the library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "folioc.h"

namespace {

// The table hosts link against; a change here is a change of the interface.
const std::vector<std::string> kHandleAndFileExports = {
    "FoliocInit", "Foliocrypt", "DocDecrypt", "FoliocClean", "FileEncrypt", "FileDecrypt", "MD5File"};
const std::vector<std::string> kDocumentExports = {
    "Base64Encode",    "Base64Decode", "DocFileEncrypt", "DocSetKeyCipher",
    "DocGetKeyCipher", "DocFileDecrypt", "DocGetHeader", "DocGetNonce"};

std::set<std::string> expected_exports() {
  std::set<std::string> names(kHandleAndFileExports.begin(), kHandleAndFileExports.end());
#ifndef FOLIOC_SEVEN_EXPORTS
  names.insert(kDocumentExports.begin(), kDocumentExports.end());
#endif
  return names;
}

std::set<std::string> split_names(const std::string &list, char separator) {
  std::set<std::string> names;
  std::istringstream in(list);
  for (std::string name; std::getline(in, name, separator);)
    if (!name.empty()) names.insert(name);
  return names;
}

// Names of the defined dynamic symbols, as `nm -D --defined-only` lists them.
std::set<std::string> defined_dynamic_symbols(const std::string &library, std::string *error) {
  const std::string command = std::string(FOLIOC_TEST_NM) + " -D --defined-only '" + library + "'";
  std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), &pclose);
  std::set<std::string> names;
  if (!pipe) {
    *error = "cannot run " + command;
    return names;
  }
  char line[1024];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (!words.empty()) names.insert(words.back());
  }
  if (pclose(pipe.release()) != 0) *error = command + " failed";
  return names;
}

class LoadedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(FOLIOC_TEST_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_) dlclose(handle_);
  }

  template <typename Function>
  Function *symbol(const char *name) {
    return reinterpret_cast<Function *>(dlsym(handle_, name));
  }

  void *handle_ = nullptr;
};

}  // namespace

TEST(ExportTable, SharedLibraryDefinesExactlyTheDocumentedNames) {
  std::string error;
  const std::set<std::string> defined = defined_dynamic_symbols(FOLIOC_TEST_SHARED_LIBRARY, &error);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_EQ(defined, expected_exports());
}

TEST(ExportTable, BuildListsTheSameExports) {
  EXPECT_EQ(split_names(FOLIOC_TEST_EXPORT_LIST, ','), expected_exports());
}

TEST_F(LoadedLibrary, EveryExportResolves) {
  for (const std::string &name : expected_exports())
    EXPECT_NE(dlsym(handle_, name.c_str()), nullptr) << name;
}

TEST_F(LoadedLibrary, NothingElseResolves) {
#ifdef FOLIOC_SEVEN_EXPORTS
  for (const std::string &name : kDocumentExports)
    EXPECT_EQ(dlsym(handle_, name.c_str()), nullptr) << name << " must not be exported";
#endif
  for (const char *internal : {"open_handle", "_ZN6folioc11open_handleEPKhiS1_", "run_pass", "aes_crypt_ctr",
                               "MD5Init", "crc32_compute", "base64_encode"})
    EXPECT_EQ(dlsym(handle_, internal), nullptr) << internal << " must stay internal";
}

TEST_F(LoadedLibrary, HandlesWorkThroughTheLoadedLibrary) {
  auto *init = symbol<decltype(FoliocInit)>("FoliocInit");
  auto *crypt = symbol<decltype(Foliocrypt)>("Foliocrypt");
  auto *decrypt = symbol<decltype(DocDecrypt)>("DocDecrypt");
  auto *clean = symbol<decltype(FoliocClean)>("FoliocClean");
  ASSERT_TRUE(init && crypt && decrypt && clean);

  // AES-128 of the all-zero block under the all-zero key (FIPS-197 based
  // known answer): with a zero nonce, offset 0 enciphers exactly that block.
  const unsigned char key[16] = {0};
  const unsigned char nonce[8] = {0};
  const unsigned char expected[16] = {0x66, 0xE9, 0x4B, 0xD4, 0xEF, 0x8A, 0x2C, 0x3B,
                                      0x88, 0x4C, 0xFA, 0x59, 0xCA, 0x34, 0x2B, 0x2E};
  const int handle = init(key, 16, nonce);
  ASSERT_GE(handle, 1);
  unsigned char data[16] = {0};
  EXPECT_EQ(crypt(handle, data, sizeof data, 0), DOC_OK);
  EXPECT_TRUE(std::equal(data, data + 16, expected));
  EXPECT_EQ(decrypt(handle, data, sizeof data, 0), DOC_OK);
  EXPECT_TRUE(std::all_of(data, data + 16, [](unsigned char b) { return b == 0; }));
  EXPECT_EQ(init(key, 20, nonce), DOC_ERR_FAIL);
  EXPECT_EQ(clean(handle), DOC_OK);
  EXPECT_EQ(clean(handle), DOC_ERR_FAIL);
  EXPECT_EQ(crypt(handle, data, sizeof data, 0), DOC_ERR_FAIL);
}
