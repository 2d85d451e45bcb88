#include "documents/document_layout.h"

#include <initializer_list>

namespace folio_host {

const char *kind_name(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::pdf: return "pdf";
    case DocumentKind::image: return "image";
    case DocumentKind::video: return "video";
  }
  return "?";
}

const char *variant_name(ContainerVariant variant) {
  switch (variant) {
    case ContainerVariant::v1: return "v1";
    case ContainerVariant::v2: return "v2";
  }
  return "?";
}

namespace {

bool parse_kind_among(std::initializer_list<DocumentKind> kinds, const std::string &name,
                      DocumentKind &kind) {
  for (DocumentKind known : kinds) {
    if (name == kind_name(known)) {
      kind = known;
      return true;
    }
  }
  return false;
}

}  // namespace

bool parse_kind(const std::string &name, DocumentKind &kind) {
  return parse_kind_among({DocumentKind::pdf, DocumentKind::image}, name, kind);
}

bool parse_recorded_kind(const std::string &name, DocumentKind &kind) {
  return parse_kind_among({DocumentKind::pdf, DocumentKind::image, DocumentKind::video}, name,
                          kind);
}

bool parse_variant(const std::string &name, ContainerVariant &variant) {
  for (ContainerVariant known : {ContainerVariant::v1, ContainerVariant::v2}) {
    if (name == variant_name(known)) {
      variant = known;
      return true;
    }
  }
  return false;
}

}  // namespace folio_host
