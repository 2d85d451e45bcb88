#include "document_failure.h"

namespace pageview {

const char *describeDocumentFailure(DocumentFailure failure) {
  switch (failure) {
    case DocumentFailure::none:
      return "opened";
    case DocumentFailure::missingKey:
      return "no content key or nonce";
    case DocumentFailure::fileUnreadable:
      return "the file cannot be read (missing, not a regular file, or no permission)";
    case DocumentFailure::notDeciphered:
      return "the deciphered file is not a document: wrong key, nonce or container variant";
    case DocumentFailure::damaged:
      return "the document is damaged";
    case DocumentFailure::pageNotDrawn:
      return "the page cannot be drawn";
  }
  return "unknown";
}

}  // namespace pageview
