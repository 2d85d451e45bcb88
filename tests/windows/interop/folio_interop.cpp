// A host program in miniature, built once against each build of the
// document library (Linux libfolioc.so, Windows Folioc.dll), so that files
// and keystreams made by one build can be checked by the other:
//
//   folio_interop protect <plain> <protected> <key: 64 hex digits>
//       DocFileEncrypt, then the header and the ciphertext into one file
//   folio_interop unprotect <protected> <plain> <key: 64 hex digits>
//       DocGetHeader, DocGetNonce, then FileDecrypt past the header
//   folio_interop keystream <key hex> <nonce: 16 hex digits> <offset> <length>
//       the keystream at a stream offset (Foliocrypt over zeros), in hex
//
// It uses nothing but the library's exported C functions. Exit status 0 on
// success; any failure is named on standard error with its result code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "folioc.h"

namespace {

using Bytes = std::vector<unsigned char>;

bool from_hex(const char *text, Bytes &out) {
  const std::size_t length = std::strlen(text);
  if (length % 2) return false;
  out.clear();
  for (std::size_t i = 0; i < length; i += 2) {
    unsigned value = 0;
    if (std::sscanf(text + i, "%2x", &value) != 1) return false;
    out.push_back(static_cast<unsigned char>(value));
  }
  return true;
}

int fail(const char *what, int code) {
  std::fprintf(stderr, "folio_interop: %s failed (result %d)\n", what, code);
  return 1;
}

bool read_all(const char *path, Bytes &out) {
  std::FILE *file = std::fopen(path, "rb");
  if (!file) return false;
  unsigned char chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
    out.insert(out.end(), chunk, chunk + got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool write_all(const char *path, const Bytes &a, const Bytes &b) {
  std::FILE *file = std::fopen(path, "wb");
  if (!file) return false;
  bool ok = std::fwrite(a.data(), 1, a.size(), file) == a.size() &&
            std::fwrite(b.data(), 1, b.size(), file) == b.size();
  return std::fclose(file) == 0 && ok;
}

int protect(const char *plain, const char *protected_path, const Bytes &key) {
  Bytes key_block(FOLIOC_KEY_BLOCK_BYTES, 0);
  std::memcpy(key_block.data() + FOLIOC_KEY_BLOCK_KEY, key.data(), 32);
  const std::string ciphertext_path = std::string(protected_path) + ".ciphertext";
  Bytes header(512);
  int capacity = 512;
  const int result = DocFileEncrypt(plain, ciphertext_path.c_str(), key_block.data(), header.data(), &capacity);
  if (result != DOC_OK) return fail("DocFileEncrypt", result);
  Bytes ciphertext;
  const bool ok = read_all(ciphertext_path.c_str(), ciphertext) &&
                  write_all(protected_path, header, ciphertext);
  std::remove(ciphertext_path.c_str());
  return ok ? 0 : fail("writing the protected file", -1);
}

int unprotect(const char *protected_path, const char *plain, const Bytes &key) {
  unsigned char header[512];
  int capacity = 512;
  int result = DocGetHeader(protected_path, header, &capacity);
  if (result != DOC_OK) return fail("DocGetHeader", result);
  unsigned char nonce[FOLIOC_NONCE_BYTES];
  if ((result = DocGetNonce(header, 512, nonce)) != DOC_OK) return fail("DocGetNonce", result);
  const int handle = FoliocInit(key.data(), 32, nonce);
  if (handle < 1) return fail("FoliocInit", handle);
  result = FileDecrypt(handle, protected_path, plain, nullptr, 512);
  FoliocClean(handle);
  return result == DOC_OK ? 0 : fail("FileDecrypt", result);
}

int keystream(const Bytes &key, const Bytes &nonce, const char *offset_text, const char *length_text) {
  const unsigned long long offset = std::strtoull(offset_text, nullptr, 0);
  const unsigned long long length = std::strtoull(length_text, nullptr, 0);
  const int handle = FoliocInit(key.data(), static_cast<int>(key.size()), nonce.data());
  if (handle < 1) return fail("FoliocInit", handle);
  Bytes data(length, 0);
  const int result = Foliocrypt(handle, data.data(), length, offset);
  FoliocClean(handle);
  if (result != DOC_OK) return fail("Foliocrypt", result);
  for (unsigned char byte : data) std::printf("%02x", byte);
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  Bytes key, nonce;
  const std::string command = argc > 1 ? argv[1] : "";
  if ((command == "protect" || command == "unprotect") && argc == 5 && from_hex(argv[4], key) &&
      key.size() == 32)
    return command == "protect" ? protect(argv[2], argv[3], key) : unprotect(argv[2], argv[3], key);
  if (command == "keystream" && argc == 6 && from_hex(argv[2], key) && from_hex(argv[3], nonce) &&
      nonce.size() == 8)
    return keystream(key, nonce, argv[4], argv[5]);
  std::fprintf(stderr,
               "usage: folio_interop protect|unprotect <from> <to> <key: 64 hex digits>\n"
               "       folio_interop keystream <key hex> <nonce: 16 hex digits> <offset> <length>\n");
  return 2;
}
