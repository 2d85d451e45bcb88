#include "automation/automation_object.h"

namespace tessaro {

AutomationError::AutomationError(HResult code, const Guid &interface_id, const std::string &what)
    : std::runtime_error(what), code_(code), interface_id_(interface_id) {}

ObjectRef require_object(const Variant &result, const Guid &interface_id, const Guid &concerning,
                         const char *what) {
  if (result.type() != Variant::Type::object || !result.as_object())
    throw AutomationError(kEPointer, concerning, std::string(what) + " gave no object");
  return result.as_object()->query(interface_id);
}

}  // namespace tessaro
