// The small automation interface the conversion routines are written
// against: objects with properties and methods addressed by name (or by
// dispatch identifier), optional arguments passed as "missing", and errors
// carrying a result code and the interface they concern. The Windows back
// end maps it one to one onto IDispatch; the LibreOffice back end emulates
// the few Office objects the routines reach.
#ifndef TESSARO_AUTOMATION_AUTOMATION_OBJECT_H
#define TESSARO_AUTOMATION_AUTOMATION_OBJECT_H

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "automation/guid.h"
#include "automation/result_codes.h"
#include "automation/variant.h"

namespace tessaro {

using DispId = std::int32_t;
constexpr DispId kDispIdUnknown = -1;  // DISPID_UNKNOWN: look the name up

// A property or method: its name, and its dispatch identifier where the
// caller addresses it by identifier (the name is then only for back ends
// that have no identifiers and for messages).
struct Member {
  const char *name;
  DispId id = kDispIdUnknown;
};

// Locale identifiers handed to the application with a call.
using LocaleId = std::uint32_t;
constexpr LocaleId kLocaleNeutral = 0;          // what Excel's calls name explicitly
constexpr LocaleId kLocaleUserDefault = 0x400;  // LOCALE_USER_DEFAULT

// A failed automation call: the result code and the interface concerned.
class AutomationError : public std::runtime_error {
 public:
  AutomationError(HResult code, const Guid &interface_id, const std::string &what);
  HResult code() const { return code_; }
  const Guid &interface_id() const { return interface_id_; }

 private:
  HResult code_;
  Guid interface_id_;
};

// One automation object, seen through one of its interfaces. Every failure
// throws AutomationError naming interface_id().
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;

  virtual const Guid &interface_id() const = 0;

  // Property get, with arguments for parameterised properties (Item).
  virtual Variant get(const Member &member, const std::vector<Variant> &arguments = {},
                      LocaleId locale = kLocaleUserDefault) = 0;
  // Property put.
  virtual void put(const Member &member, const Variant &value,
                   LocaleId locale = kLocaleUserDefault) = 0;
  // Method call; arguments in declaration order, "missing" where omitted.
  virtual Variant call(const Member &member, const std::vector<Variant> &arguments = {},
                       LocaleId locale = kLocaleUserDefault) = 0;
  // The same object through another interface (QueryInterface); throws
  // AutomationError(E_NOINTERFACE) when it has none.
  virtual ObjectRef query(const Guid &interface_id) = 0;
};

// The object a call returned, through the interface the caller needs: a
// null or non-object result raises E_POINTER under `concerning`.
ObjectRef require_object(const Variant &result, const Guid &interface_id,
                         const Guid &concerning, const char *what);

}  // namespace tessaro

#endif
