#include "automation/variant.h"

#include <cmath>
#include <limits>

#include "automation/automation_object.h"
#include "automation/office_identifiers.h"

namespace tessaro {

Variant Variant::boolean(bool value) {
  Variant v(Type::boolean);
  v.integer_ = value ? -1 : 0;  // VARIANT_TRUE is -1
  return v;
}

Variant Variant::int32(std::int32_t value) {
  Variant v(Type::int32);
  v.integer_ = value;
  return v;
}

Variant Variant::integer(int value) {
  Variant v(Type::integer);
  v.integer_ = value;
  return v;
}

Variant Variant::real(double value) {
  Variant v(Type::real);
  v.real_ = value;
  return v;
}

Variant Variant::string(std::u16string value) {
  Variant v(Type::string);
  v.string_ = std::move(value);
  return v;
}

Variant Variant::object(ObjectRef value) {
  // A null object stays an object: automation passes "no object" as a null
  // VT_DISPATCH, not as VT_NULL.
  Variant v(Type::object);
  v.object_ = std::move(value);
  return v;
}

namespace {

[[noreturn]] void mismatch() {
  throw AutomationError(kDispETypeMismatch, ids::kIDispatch, "value is not a number");
}

int from_real(double value) {
  // Banker's rounding, as VariantChangeType does.
  const double rounded = std::nearbyint(value);
  if (!std::isfinite(rounded) || rounded < std::numeric_limits<int>::min() ||
      rounded > std::numeric_limits<int>::max())
    mismatch();
  return static_cast<int>(rounded);
}

}  // namespace

Variant Variant::changed_to_integer() const {
  switch (type_) {
    case Type::integer: return *this;
    case Type::boolean:
    case Type::int32: return integer(integer_);
    case Type::real: return integer(from_real(real_));
    case Type::string: {
      std::string narrow;
      for (char16_t c : string_) {
        if (c > 0x7F) mismatch();
        narrow.push_back(static_cast<char>(c));
      }
      std::size_t used = 0;
      double value = 0;
      try {
        value = std::stod(narrow, &used);
      } catch (const std::exception &) {
        mismatch();
      }
      while (used < narrow.size() && narrow[used] == ' ') ++used;
      if (used != narrow.size()) mismatch();
      return integer(from_real(value));
    }
    case Type::empty: return integer(0);
    default: mismatch();
  }
}

}  // namespace tessaro
