// The checks that need no key: is this protected file laid out as its key
// file says, and does it belong to that key file?
#ifndef FOLIO_HOST_PROTECTED_FILE_CHECK_H
#define FOLIO_HOST_PROTECTED_FILE_CHECK_H

#include <string>

#include "output/input_file.h"
#include "keys/key_file.h"

namespace folio_host {

// v1: a sound header whose nonce and size match the key file, and exactly
// as many bytes after it as it says. v2 and images: exactly as many bytes
// as the key file's size (there is no header to check). Throws Failure
// naming the protected file otherwise; key_path appears in the reason when
// the key file belongs to another file.
void check_protected_file(const InputFile &input, const KeyMaterial &material,
                          const std::string &key_path);

}  // namespace folio_host

#endif
