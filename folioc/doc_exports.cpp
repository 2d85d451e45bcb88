// The protected document exports: DocFileEncrypt, DocFileDecrypt and the
// header accessors.
#include <cstring>

#include "byte_order.h"
#include "cipher_handles.h"
#include "doc_header.h"
#include "file_pass.h"
#include "folioc.h"
#include "pass_result.h"
#include "platform/file_open.h"
#include "platform/os_random.h"

using namespace folioc;

namespace {

constexpr int kContentKeyBytes = 32;

const unsigned char *content_key(const unsigned char *key_block) {
  return key_block + FOLIOC_KEY_BLOCK_KEY;
}

}  // namespace

extern "C" {

int DocFileEncrypt(const char *srcPath, const char *dstPath, const unsigned char *keyBlock,
                   unsigned char *header, int *headerCapacity) {
  if (!srcPath || !dstPath || !keyBlock || !header || !headerCapacity ||
      *headerCapacity < kHeaderBytes)
    return DOC_ERR_ARGUMENT;
  const auto buffer = make_chunk_buffer();
  if (!buffer) return DOC_ERR_NO_MEMORY;
  FilePair files(srcPath, dstPath);
  if (const int code = open_code(files)) return code;

  // A fresh nonce from the operating system: a predictable or repeated one
  // would reuse keystream under the same content key.
  unsigned char nonce[FOLIOC_NONCE_BYTES];
  if (!os_random(nonce, sizeof nonce)) return DOC_ERR_FAIL;

  ScopedHandle handle(content_key(keyBlock), kContentKeyBytes, nonce);
  if (!handle.valid()) return DOC_ERR_FAIL;
  const PassResult pass =
      run_pass(files.source(), files.destination(), buffer.get(), through_handle(handle.get()));
  if (const int code = pass_code(pass, DOC_ERR_FAIL)) return code;
  if (!files.close_destination()) return DOC_ERR_WRITE;

  unsigned char fresh[kHeaderBytes];
  build_fresh_header(fresh, nonce, pass.bytes);
  std::memcpy(header, fresh, kHeaderBytes);
  *headerCapacity = kHeaderBytes;
  return handle.release() ? DOC_OK : DOC_ERR_FAIL;
}

int DocFileDecrypt(const char *srcPath, const char *dstPath, const unsigned char *keyBlock,
                   const unsigned char *header, int headerSize) {
  if (!srcPath || !dstPath || !keyBlock || !header || headerSize != kHeaderBytes)
    return DOC_ERR_ARGUMENT;
  const auto buffer = make_chunk_buffer();
  if (!buffer) return DOC_ERR_NO_MEMORY;
  FilePair files(srcPath, dstPath);
  if (const int code = open_code(files)) return code;
  if (!passes_reader_check(header)) return DOC_ERR_CRC;

  ScopedHandle handle(content_key(keyBlock), kContentKeyBytes, header + FOLIOC_HEADER_NONCE_AT);
  if (!handle.valid()) return DOC_ERR_FAIL;
  const PassResult pass =
      run_pass(files.source(), files.destination(), buffer.get(), through_handle(handle.get()));
  if (const int code = pass_code(pass, DOC_ERR_FAIL)) return code;
  if (!files.close_destination()) return DOC_ERR_WRITE;
  return pass.chunks > 0 ? DOC_OK : DOC_ERR_FAIL;
}

int DocGetHeader(const char *path, unsigned char *header, int *capacity) {
  if (!path || !header || !capacity) return DOC_ERR_ARGUMENT;
  if (*capacity < kHeaderBytes) {
    *capacity = kHeaderBytes;
    return DOC_ERR_SIZE;
  }
  std::FILE *file = open_utf8(path, "rb");
  if (!file) return DOC_ERR_OPEN;
  const std::size_t got = std::fread(header, 1, kHeaderBytes, file);
  std::fclose(file);
  if (got == 0) return DOC_ERR_READ;
  *capacity = static_cast<int>(got);
  return DOC_OK;
}

int DocGetKeyCipher(const unsigned char *header, int headerSize, unsigned char *out,
                    unsigned int *outCapacity) {
  if (!header || !out || !outCapacity || headerSize != kHeaderBytes) return DOC_ERR_ARGUMENT;
  if (!passes_reader_check(header)) return DOC_ERR_CRC;
  const std::uint32_t length = get_le32(header + FOLIOC_HEADER_KEY_CIPHER_LEN_AT);
  // No valid header stores more than the area holds; never read past it.
  if (length > FOLIOC_KEY_CIPHER_MAX) return DOC_ERR_ARGUMENT;
  if (*outCapacity < length) {
    *outCapacity = length;
    return DOC_ERR_SIZE;
  }
  std::memset(out, 0, *outCapacity);
  std::memcpy(out, header + FOLIOC_HEADER_KEY_CIPHER_AT, length);
  *outCapacity = length;
  return DOC_OK;
}

int DocSetKeyCipher(const unsigned char *keyCipher, int length, unsigned char *header,
                    int *headerCapacity) {
  return store_key_cipher(keyCipher, length, header, headerCapacity);
}

int DocGetNonce(const unsigned char *header, int headerSize, unsigned char *out) {
  if (!header || !out || headerSize != kHeaderBytes) return DOC_ERR_ARGUMENT;
  if (!passes_reader_check(header)) return DOC_ERR_CRC;
  std::memcpy(out, header + FOLIOC_HEADER_NONCE_AT, FOLIOC_NONCE_BYTES);
  return DOC_OK;
}

}  // extern "C"
