#include "support/protected_document.h"

#include <algorithm>

#include "folioc.h"
#include "support/files.h"
#include "support/header_fields.h"

using namespace folio_test;

namespace folioc_test {

Bytes key_block_for(const Bytes &content_key) {
  Bytes block(4 + content_key.size());
  block[0] = 0xA5, block[1] = 0x5A, block[2] = 0xC3, block[3] = 0x3C;
  std::copy(content_key.begin(), content_key.end(), block.begin() + 4);
  return block;
}

EncryptedDocument encrypt_document(const ScratchDir &dir, const std::string &name,
                                   const Bytes &plaintext, const Bytes &content_key) {
  const std::string source = dir.path(name + ".plain");
  const std::string destination = dir.path(name + ".cipher");
  write_file(source, plaintext);
  const Bytes block = key_block_for(content_key);
  EncryptedDocument document{0, Bytes(kHeaderBytes), {}};
  int capacity = static_cast<int>(kHeaderBytes);
  document.result = DocFileEncrypt(source.c_str(), destination.c_str(), block.data(),
                                   document.header.data(), &capacity);
  if (file_exists(destination)) document.ciphertext = read_file(destination);
  return document;
}

}  // namespace folioc_test
