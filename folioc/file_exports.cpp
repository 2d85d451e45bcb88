// Whole-file encryption with a caller's handle and header, file digests and
// the Base64 exports.
#include <sys/stat.h>

#include <cstdio>

#include "base64.h"
#include "cipher_handles.h"
#include "file_pass.h"
#include "folioc.h"
#include "md5.h"
#include "pass_result.h"

using namespace folioc;

namespace {

// The seven-export build reports every file failure as DOC_ERR_FAIL.
int file_result(int code) {
#ifdef FOLIOC_SEVEN_EXPORTS
  return code == DOC_OK ? DOC_OK : DOC_ERR_FAIL;
#else
  return code;
#endif
}

int encrypt_file(int handle, const char *srcPath, const char *dstPath, const unsigned char *header,
                 int headerLength, char *digestText) {
  if (!srcPath || !dstPath || !header || !digestText || headerLength <= 0) return DOC_ERR_ARGUMENT;
  FilePair files(srcPath, dstPath);
  if (const int code = open_code(files)) return code;
  const auto length = static_cast<std::size_t>(headerLength);
  if (std::fwrite(header, 1, length, files.destination()) != length) return DOC_ERR_WRITE;
  const auto buffer = make_chunk_buffer();
  if (!buffer) return DOC_ERR_NO_MEMORY;

  MD5_CTX digest;
  MD5Init(&digest);
  const PassResult pass = run_pass(files.source(), files.destination(), buffer.get(),
                                   through_handle(handle), &digest);
  if (const int code = pass_code(pass, DOC_ERR_ENCRYPT_CHUNK)) return code;
  if (!files.close_destination()) return DOC_ERR_WRITE;
  MD5Final(&digest);
  MDPrint(&digest, digestText);
  return DOC_OK;
}

// Positions the source just past a header of `length` bytes. A source
// shorter than its header has nothing to position past: that is a failure,
// not an empty success.
bool skip_header(std::FILE *source, int length) {
  if (std::fseek(source, length, SEEK_SET) != 0) return false;
  struct stat status;
  return fstat(fileno(source), &status) != 0 || !S_ISREG(status.st_mode) ||
         status.st_size >= length;
}

int decrypt_file(int handle, const char *srcPath, const char *dstPath, unsigned char *header,
                 int headerLength) {
  if (!srcPath || !dstPath || headerLength <= 0) return DOC_ERR_ARGUMENT;
  FilePair files(srcPath, dstPath);
  if (const int code = open_code(files)) return code;
  if (header) {
    // A header shorter than asked for is accepted; an unreadable one is not.
    const std::size_t got = std::fread(header, 1, static_cast<std::size_t>(headerLength), files.source());
    if (got == 0 || std::ferror(files.source())) return DOC_ERR_READ;
  } else if (!skip_header(files.source(), headerLength)) {
    return DOC_ERR_SEEK;
  }
  const auto buffer = make_chunk_buffer();
  if (!buffer) return DOC_ERR_NO_MEMORY;

  const PassResult pass =
      run_pass(files.source(), files.destination(), buffer.get(), through_handle(handle));
  if (const int code = pass_code(pass, DOC_ERR_DECRYPT_CHUNK)) return code;
  return files.close_destination() ? DOC_OK : DOC_ERR_WRITE;
}

}  // namespace

extern "C" {

int FileEncrypt(int handle, const char *srcPath, const char *dstPath, const unsigned char *header,
                int headerLength, char *digestText) {
  return file_result(encrypt_file(handle, srcPath, dstPath, header, headerLength, digestText));
}

int FileDecrypt(int handle, const char *srcPath, const char *dstPath, unsigned char *header,
                int headerLength) {
  return file_result(decrypt_file(handle, srcPath, dstPath, header, headerLength));
}

int MD5File(const char *path, char *digestText) {
  if (!path || !digestText) return DOC_ERR_ARGUMENT;
  switch (md5_file_reported(path, digestText)) {
    case Md5FileResult::ok: return DOC_OK;
    case Md5FileResult::open_failed: return DOC_ERR_OPEN;
    case Md5FileResult::read_failed: return DOC_ERR_READ;
    case Md5FileResult::no_memory: return DOC_ERR_NO_MEMORY;
  }
  return DOC_ERR_FAIL;
}

int Base64Encode(const unsigned char *input, int length, char *output, int *capacity) {
  if (!input || !output || !capacity || length <= 0 || *capacity <= 0) return DOC_ERR_ARGUMENT;
  return base64_encode(input, length, output, *capacity, capacity);
}

int Base64Decode(const char *text, int length, unsigned char *output, int *capacity) {
  if (!text || !output || !capacity || length <= 0 || *capacity <= 0) return DOC_ERR_ARGUMENT;
  return base64_decode(text, length, output, *capacity, capacity);
}

}  // extern "C"
