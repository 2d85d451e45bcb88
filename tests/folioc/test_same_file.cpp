// A destination that is the source itself, under whatever name, is refused
// before anything is opened: every whole-file export returns
// DOC_ERR_SAME_FILE (DOC_ERR_FAIL from the seven-export build) and the file
// keeps every byte. Truncating it first would destroy the input; FileEncrypt
// would read back its own output until the disk filled.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "folioc.h"
#include "support/file_export_codes.h"
#include "support/files.h"
#include "support/open_handle.h"
#include "support/protected_document.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

const unsigned char kNonce[8] = {1, 2, 3, 4, 5, 6, 7, 8};
const Bytes kContentKey = random_bytes(32, 0x5A3E);

struct Spelling {
  const char *name;
  // Another path for the file at `path` in directory `dir/d`.
  std::function<std::string(const ScratchDir &dir, const std::string &path)> other_name;
};

const Spelling kSpellings[] = {
    {"the same path", [](const ScratchDir &, const std::string &path) { return path; }},
    {"a path through ..",
     [](const ScratchDir &dir, const std::string &) { return dir.path("d/../d/file"); }},
    {"a hard link",
     [](const ScratchDir &dir, const std::string &path) {
       const std::string link = dir.path("hard-link");
       if (::link(path.c_str(), link.c_str()) != 0) throw std::runtime_error("no hard link");
       return link;
     }},
    {"a symbolic link",
     [](const ScratchDir &dir, const std::string &path) {
       const std::string link = dir.path("symbolic-link");
       if (::symlink(path.c_str(), link.c_str()) != 0) throw std::runtime_error("no symlink");
       return link;
     }},
};

using Export = std::function<int(const char *source, const char *destination)>;

struct NamedExport {
  const char *name;
  int expected;
  Export run;
};

std::vector<NamedExport> every_export(const Bytes &header, int handle) {
  static const Bytes block = key_block_for(kContentKey);
  return {
      {"DocFileEncrypt", DOC_ERR_SAME_FILE,
       [](const char *source, const char *destination) {
         Bytes fresh(512);
         int capacity = 512;
         return DocFileEncrypt(source, destination, block.data(), fresh.data(), &capacity);
       }},
      {"DocFileDecrypt", DOC_ERR_SAME_FILE,
       [header](const char *source, const char *destination) {
         return DocFileDecrypt(source, destination, block.data(), header.data(), 512);
       }},
      {"FileEncrypt", file_export_failure(DOC_ERR_SAME_FILE),
       [handle](const char *source, const char *destination) {
         char digest[FOLIOC_DIGEST_TEXT_BYTES];
         const Bytes caller_header(512, 0x11);
         return FileEncrypt(handle, source, destination, caller_header.data(), 512, digest);
       }},
      {"FileDecrypt", file_export_failure(DOC_ERR_SAME_FILE),
       [handle](const char *source, const char *destination) {
         return FileDecrypt(handle, source, destination, nullptr, 512);
       }},
  };
}

}  // namespace

TEST(SameFile, EveryExportRefusesItsOwnSourceAsDestinationAndLeavesItWhole) {
  const EncryptedDocument valid = [] {
    ScratchDir scratch;
    return encrypt_document(scratch, "valid", random_bytes(10, 3), kContentKey);
  }();
  ASSERT_EQ(valid.result, DOC_OK);
  OpenHandle handle(kContentKey, kNonce);
  ASSERT_GT(handle.get(), 0);
  // Two chunks and a bit, so that a pass reading its own output would grow it.
  const Bytes contents = random_bytes(0x200123, 4);

  for (const Spelling &spelling : kSpellings) {
    for (const NamedExport &named : every_export(valid.header, handle.get())) {
      SCOPED_TRACE(std::string(named.name) + " with " + spelling.name);
      ScratchDir dir;
      dir.make_directory("d", 0700);
      const std::string path = dir.path("d/file");
      write_file(path, contents);
      const std::string other = spelling.other_name(dir, path);

      EXPECT_EQ(named.run(path.c_str(), other.c_str()), named.expected);
      EXPECT_EQ(read_file(path), contents) << "the source was changed";
    }
  }
}

TEST(SameFile, AnotherFileWithTheSameContentsIsNoReason) {
  ScratchDir dir;
  const Bytes contents = random_bytes(1000, 5);
  write_file(dir.path("a"), contents);
  write_file(dir.path("b"), contents);
  OpenHandle handle(kContentKey, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  const Bytes header(512, 0x22);
  EXPECT_EQ(FileEncrypt(handle.get(), dir.path("a").c_str(), dir.path("b").c_str(), header.data(),
                        512, digest),
            DOC_OK);
  EXPECT_EQ(read_file(dir.path("b")).size(), 512u + contents.size());
}
