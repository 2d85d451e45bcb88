// Why a document shows nothing. The window shows one message for every
// reason; the log names the reason, and the program's exit status tells the
// host that the document never opened.
#ifndef PAGEVIEW_DOCUMENT_DOCUMENT_FAILURE_H
#define PAGEVIEW_DOCUMENT_DOCUMENT_FAILURE_H

namespace pageview {

enum class DocumentFailure {
  none,
  missingKey,      // no content key or nonce was handed over
  fileUnreadable,  // missing, not a regular file, or not readable
  notDeciphered,   // the deciphered bytes are no PDF or image: wrong key,
                   // nonce or container variant
  damaged,         // deciphers to a PDF that PDFium cannot load
  pageNotDrawn,    // the document opened but its page could not be drawn
};

// One line for the log, e.g. "wrong key, nonce or container variant".
const char *describeDocumentFailure(DocumentFailure failure);

// The exit status after the user closes a window whose document never
// showed a page (launch failures exit with 1).
constexpr int kExitDocumentNotOpened = 2;

}  // namespace pageview

#endif
