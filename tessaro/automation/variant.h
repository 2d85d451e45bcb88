// A value passed to or returned from an automation call: the few VARIANT
// types the conversion routines use, with the same meaning as in OLE
// Automation.
#ifndef TESSARO_AUTOMATION_VARIANT_H
#define TESSARO_AUTOMATION_VARIANT_H

#include <cstdint>
#include <memory>
#include <string>

namespace tessaro {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;

class Variant {
 public:
  enum class Type {
    empty,    // VT_EMPTY
    null,     // VT_NULL
    missing,  // VT_ERROR holding DISP_E_PARAMNOTFOUND: an omitted optional argument
    boolean,  // VT_BOOL
    int32,    // VT_I4
    integer,  // VT_INT
    real,     // VT_R8
    string,   // VT_BSTR (UTF-16)
    object    // VT_DISPATCH
  };

  Variant() = default;
  static Variant missing() { return Variant(Type::missing); }
  static Variant null() { return Variant(Type::null); }
  static Variant boolean(bool value);
  static Variant int32(std::int32_t value);
  static Variant integer(int value);
  static Variant real(double value);
  static Variant string(std::u16string value);
  static Variant object(ObjectRef value);

  Type type() const { return type_; }
  bool is_missing() const { return type_ == Type::missing; }
  bool as_bool() const { return integer_ != 0; }
  std::int32_t as_int() const { return integer_; }  // boolean, int32, integer
  double as_real() const { return real_; }
  const std::u16string &as_string() const { return string_; }
  const ObjectRef &as_object() const { return object_; }

  // VariantChangeType(..., VT_INT): integers as they are, booleans as -1/0,
  // empty as 0, reals rounded half to even, decimal strings parsed. Throws
  // AutomationError(DISP_E_TYPEMISMATCH) for anything else and for values
  // out of the integer's range.
  Variant changed_to_integer() const;

 private:
  explicit Variant(Type type) : type_(type) {}

  Type type_ = Type::empty;
  std::int32_t integer_ = 0;
  double real_ = 0;
  std::u16string string_;
  ObjectRef object_;
};

}  // namespace tessaro

#endif
