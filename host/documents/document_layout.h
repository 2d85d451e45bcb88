// What a protected file holds and how it is laid out, as protect records it
// in the key file and a viewer is told on its command line.
#ifndef FOLIO_HOST_DOCUMENT_LAYOUT_H
#define FOLIO_HOST_DOCUMENT_LAYOUT_H

#include <string>

namespace folio_host {

// A video is protected by the video library into a media container of its
// own, and has no container variant.
enum class DocumentKind { pdf, image, video };

// v1: the 512-byte header, then the ciphertext (file byte 512 + p holds
// stream offset p). v2: the ciphertext alone (file byte p holds offset p).
// An image is always laid out as v2.
enum class ContainerVariant { v1, v2 };

const char *kind_name(DocumentKind kind);
const char *variant_name(ContainerVariant variant);

// False (and the output untouched) for a name that is not exactly one of
// the names above. parse_kind takes the kinds protect makes (pdf, image);
// parse_recorded_kind takes every kind a key file may record.
bool parse_kind(const std::string &name, DocumentKind &kind);
bool parse_recorded_kind(const std::string &name, DocumentKind &kind);
bool parse_variant(const std::string &name, ContainerVariant &variant);

inline bool carries_header(ContainerVariant variant) { return variant == ContainerVariant::v1; }

}  // namespace folio_host

#endif
