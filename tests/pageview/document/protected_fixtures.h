// Clear fixtures and their protected copies. The clear PDFs come from
// samples/make-sample-pdf at build time; ciphertext is made by the OpenSSL
// oracle, independently of the code under test.
#ifndef PAGEVIEW_TESTS_DOCUMENT_PROTECTED_FIXTURES_H
#define PAGEVIEW_TESTS_DOCUMENT_PROTECTED_FIXTURES_H

#include <QString>
#include <string>

#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace pageview_test {

using folio_test::Bytes;

// The content key (32 bytes) and nonce (8 bytes) every fixture is
// protected with.
const Bytes &contentKey();
const Bytes &contentNonce();

// Clear fixture PDFs:
//   report.pdf       the sample report: 3 letter pages (612 x 792 points)
//   mixed.pdf        4 pages alternating letter and A4 landscape (842 x 595)
//   translucent.pdf  3 letter pages whose bars are half transparent
//   annotated.pdf    3 letter pages with bookmarks; page 1 has a filled text
//                    field (blue, 72,500-272,540 pt) and a stamp (red,
//                    300,500-400,540 pt); every page has a line reading
//                    文档搜索 at 72,640 pt
std::string fixturePath(const std::string &name);
Bytes fixture(const std::string &name);

// clear enciphered with AES-256-CTR from keystream offset 0.
Bytes encipher(const Bytes &clear, const Bytes &key = contentKey(),
               const Bytes &nonce = contentNonce());

// A "v1" container: 512 header bytes, then the ciphertext. The header is
// arbitrary bytes: the viewer must neither need nor read it.
Bytes v1Container(const Bytes &clear);

// Writes bytes to dir/name and returns the path.
std::string writeFixture(const folio_test::ScratchDir &dir, const std::string &name,
                         const Bytes &bytes);

inline QString qpath(const std::string &path) { return QString::fromStdString(path); }

}  // namespace pageview_test

#endif
