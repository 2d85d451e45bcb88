#include "document_layout.h"

namespace folio_host {

const char *kind_name(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::pdf: return "pdf";
    case DocumentKind::image: return "image";
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

bool parse_kind(const std::string &name, DocumentKind &kind) {
  for (DocumentKind known : {DocumentKind::pdf, DocumentKind::image}) {
    if (name == kind_name(known)) {
      kind = known;
      return true;
    }
  }
  return false;
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
