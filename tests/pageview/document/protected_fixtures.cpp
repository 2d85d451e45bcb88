#include "protected_fixtures.h"

#include "support/files.h"
#include "support/oracle.h"

namespace pageview_test {

const Bytes &contentKey() {
  static const Bytes key = folio_test::random_bytes(32, 0x6b6579);
  return key;
}

const Bytes &contentNonce() {
  static const Bytes nonce = folio_test::random_bytes(8, 0x6e6f6e6365);
  return nonce;
}

std::string fixturePath(const std::string &name) {
  return std::string(PAGEVIEW_FIXTURE_DIR) + "/" + name;
}

Bytes fixture(const std::string &name) { return folio_test::read_file(fixturePath(name)); }

Bytes encipher(const Bytes &clear, const Bytes &key, const Bytes &nonce) {
  return folio_test::oracle::aes_ctr(key, nonce, 0, clear);
}

Bytes v1Container(const Bytes &clear) {
  return folio_test::concat(folio_test::random_bytes(512, 0x686561646572), encipher(clear));
}

std::string writeFixture(const folio_test::ScratchDir &dir, const std::string &name,
                         const Bytes &bytes) {
  const std::string path = dir.path(name);
  folio_test::write_file(path, bytes);
  return path;
}

}  // namespace pageview_test
