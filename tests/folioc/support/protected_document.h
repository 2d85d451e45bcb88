// Producing protected documents through DocFileEncrypt for tests that need
// a real header and its ciphertext.
#ifndef FOLIOC_TESTS_PROTECTED_DOCUMENT_H
#define FOLIOC_TESTS_PROTECTED_DOCUMENT_H

#include <string>

#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace folioc_test {

// A 36-byte key block: four bytes the library must ignore, then the key.
folio_test::Bytes key_block_for(const folio_test::Bytes &content_key);

struct EncryptedDocument {
  int result;                    // DocFileEncrypt's result
  folio_test::Bytes header;      // 512 bytes when result is DOC_OK
  folio_test::Bytes ciphertext;  // the destination file's contents
};

// Writes plaintext to dir/<name>.plain, enciphers it to dir/<name>.cipher
// under content_key (32 bytes).
EncryptedDocument encrypt_document(const folio_test::ScratchDir &dir, const std::string &name,
                                   const folio_test::Bytes &plaintext,
                                   const folio_test::Bytes &content_key);

}  // namespace folioc_test

#endif
