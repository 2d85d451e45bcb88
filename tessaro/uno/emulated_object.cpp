#include "uno/emulated_object.h"

#include <cstring>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include "automation/office_identifiers.h"

using namespace css;

namespace tessaro::uno_backend {

template <class Step>
Variant EmulatedObject::guarded(const Member &member, Step &&step) {
  try {
    return step();
  } catch (const AutomationError &) {
    throw;
  } catch (const lang::DisposedException &error) {
    // A killed office shows as a disposed bridge; say why it was killed.
    fail(member, session_->timed_out() ? kRpcETimeout : kRpcEDisconnected, error.Message);
  } catch (const uno::Exception &error) {
    fail(member, session_->timed_out() ? kRpcETimeout : kDispEException, error.Message);
  }
}

void EmulatedObject::fail(const Member &member, HResult code, const OUString &message) const {
  session_->note_failure(member.name ? member.name : "");
  throw AutomationError(code, interface_id_,
                        std::string(member.name) + ": " +
                            OUStringToOString(message, RTL_TEXTENCODING_UTF8).getStr());
}

Variant EmulatedObject::get(const Member &member, const std::vector<Variant> &arguments,
                            LocaleId) {
  return guarded(member, [&] { return on_get(member, arguments); });
}

void EmulatedObject::put(const Member &member, const Variant &value, LocaleId) {
  guarded(member, [&] {
    on_put(member, value);
    return Variant();
  });
}

Variant EmulatedObject::call(const Member &member, const std::vector<Variant> &arguments,
                             LocaleId) {
  return guarded(member, [&] { return on_call(member, arguments); });
}

ObjectRef EmulatedObject::query(const Guid &interface_id) {
  if (interface_id == interface_id_ || interface_id == ids::kIDispatch) return shared_from_this();
  throw AutomationError(kENoInterface, interface_id, "no such interface");
}

Variant EmulatedObject::on_get(const Member &member, const std::vector<Variant> &) {
  not_found(member);
}

void EmulatedObject::on_put(const Member &member, const Variant &) { not_found(member); }

Variant EmulatedObject::on_call(const Member &member, const std::vector<Variant> &) {
  not_found(member);
}

void EmulatedObject::not_found(const Member &member) const {
  throw AutomationError(kDispEMemberNotFound, interface_id_,
                        std::string("no member ") + member.name);
}

void EmulatedObject::invalid(const char *what) const {
  session_->note_failure(what);
  throw AutomationError(kEInvalidArg, interface_id_, what);
}

bool is(const Member &member, const char *name) {
  return member.name && std::strcmp(member.name, name) == 0;
}

const Variant &argument(const std::vector<Variant> &arguments, std::size_t index) {
  static const Variant missing = Variant::missing();
  return index < arguments.size() ? arguments[index] : missing;
}

int int_argument(const std::vector<Variant> &arguments, std::size_t index, int fallback) {
  const Variant &value = argument(arguments, index);
  return value.is_missing() ? fallback : value.changed_to_integer().as_int();
}

bool bool_argument(const std::vector<Variant> &arguments, std::size_t index, bool fallback) {
  return int_argument(arguments, index, fallback ? -1 : 0) != 0;
}

const std::u16string &string_argument(const std::vector<Variant> &arguments, std::size_t index,
                                      const Guid &interface_id) {
  const Variant &value = argument(arguments, index);
  if (value.type() != Variant::Type::string)
    throw AutomationError(kDispETypeMismatch, interface_id, "a text argument is required");
  return value.as_string();
}

}  // namespace tessaro::uno_backend
