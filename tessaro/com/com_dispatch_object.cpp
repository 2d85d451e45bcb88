#ifdef _WIN32

#include "com/com_dispatch_object.h"

#include <oleauto.h>

#include <cstring>
#include <string>

#include "automation/office_identifiers.h"

namespace tessaro::com_backend {

namespace {

// VARIANTs for the arguments of one Invoke, cleared whatever happens.
class VariantArray {
 public:
  explicit VariantArray(std::size_t count) : items_(count) {
    for (VARIANT &v : items_) VariantInit(&v);
  }
  ~VariantArray() {
    for (VARIANT &v : items_) VariantClear(&v);
  }
  VariantArray(const VariantArray &) = delete;
  VariantArray &operator=(const VariantArray &) = delete;
  VARIANT *data() { return items_.empty() ? nullptr : items_.data(); }
  VARIANT &operator[](std::size_t i) { return items_[i]; }

 private:
  std::vector<VARIANT> items_;
};

// Fills `out` (already initialised) from `in`; false when a string cannot
// be allocated.
bool to_variant(const Variant &in, VARIANT &out) {
  switch (in.type()) {
    case Variant::Type::empty: V_VT(&out) = VT_EMPTY; return true;
    case Variant::Type::null: V_VT(&out) = VT_NULL; return true;
    case Variant::Type::missing:
      V_VT(&out) = VT_ERROR;
      V_ERROR(&out) = DISP_E_PARAMNOTFOUND;
      return true;
    case Variant::Type::boolean:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = in.as_bool() ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case Variant::Type::int32:
      V_VT(&out) = VT_I4;
      V_I4(&out) = in.as_int();
      return true;
    case Variant::Type::integer:
      V_VT(&out) = VT_INT;
      V_INT(&out) = in.as_int();
      return true;
    case Variant::Type::real:
      V_VT(&out) = VT_R8;
      V_R8(&out) = in.as_real();
      return true;
    case Variant::Type::string: {
      const std::u16string &text = in.as_string();
      BSTR string = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()),
                                      static_cast<UINT>(text.size()));
      if (!string) return false;
      V_VT(&out) = VT_BSTR;
      V_BSTR(&out) = string;
      return true;
    }
    case Variant::Type::object: {
      // Only objects of this back end can be passed; anything else goes as
      // "no object".
      auto *object = dynamic_cast<DispatchObject *>(in.as_object().get());
      V_VT(&out) = VT_DISPATCH;
      V_DISPATCH(&out) = object ? object->dispatch() : nullptr;
      if (V_DISPATCH(&out)) V_DISPATCH(&out)->AddRef();
      return true;
    }
  }
  return false;
}

}  // namespace

GUID to_windows(const Guid &id) {
  GUID out;
  out.Data1 = id.data1;
  out.Data2 = id.data2;
  out.Data3 = id.data3;
  std::memcpy(out.Data4, id.data4, sizeof out.Data4);
  return out;
}

DispatchObject::DispatchObject(IDispatch *dispatch, const Guid &interface_id)
    : dispatch_(dispatch), interface_id_(interface_id) {}

DispatchObject::~DispatchObject() {
  if (dispatch_) dispatch_->Release();
}

void DispatchObject::fail(HRESULT code, const char *what) const {
  throw AutomationError(static_cast<HResult>(code), interface_id_, what);
}

DISPID DispatchObject::resolve(const Member &member, LocaleId locale) {
  if (member.id != kDispIdUnknown) return member.id;
  std::wstring name;
  for (const char *c = member.name; *c; ++c) name.push_back(static_cast<wchar_t>(*c));
  LPOLESTR names[] = {&name[0]};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT found = dispatch_->GetIDsOfNames(IID_NULL, names, 1, locale, &id);
  if (FAILED(found)) fail(found, member.name);
  return id;
}

Variant DispatchObject::invoke(const Member &member, WORD flags,
                               const std::vector<Variant> &arguments, bool property_put,
                               LocaleId locale) {
  const DISPID id = resolve(member, locale);
  // Invoke takes the arguments last to first.
  VariantArray values(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i)
    if (!to_variant(arguments[i], values[arguments.size() - 1 - i]))
      fail(E_OUTOFMEMORY, member.name);

  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{};
  parameters.rgvarg = values.data();
  parameters.cArgs = static_cast<UINT>(arguments.size());
  if (property_put) {
    parameters.rgdispidNamedArgs = &put_id;
    parameters.cNamedArgs = 1;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argument_error = 0;
  const HRESULT done = dispatch_->Invoke(id, IID_NULL, locale, flags, &parameters,
                                         property_put ? nullptr : &result, &exception,
                                         &argument_error);
  if (exception.bstrSource) SysFreeString(exception.bstrSource);
  if (exception.bstrDescription) SysFreeString(exception.bstrDescription);
  if (exception.bstrHelpFile) SysFreeString(exception.bstrHelpFile);
  if (FAILED(done)) {
    VariantClear(&result);
    fail(done, member.name);
  }

  Variant out;
  switch (V_VT(&result)) {
    case VT_EMPTY: break;
    case VT_NULL: out = Variant::null(); break;
    case VT_BOOL: out = Variant::boolean(V_BOOL(&result) != VARIANT_FALSE); break;
    case VT_INT: out = Variant::integer(V_INT(&result)); break;
    case VT_R8: out = Variant::real(V_R8(&result)); break;
    case VT_R4: out = Variant::real(V_R4(&result)); break;
    case VT_BSTR: {
      const BSTR text = V_BSTR(&result);
      const auto *units = reinterpret_cast<const char16_t *>(text);
      out = Variant::string(text ? std::u16string(units, SysStringLen(text)) : std::u16string());
      break;
    }
    case VT_DISPATCH: {
      IDispatch *object = V_DISPATCH(&result);
      if (object) object->AddRef();  // the result's own reference goes with VariantClear
      out = Variant::object(object ? std::make_shared<DispatchObject>(object, ids::kIDispatch)
                                   : nullptr);
      break;
    }
    case VT_UNKNOWN: {
      IDispatch *object = nullptr;
      if (V_UNKNOWN(&result) &&
          SUCCEEDED(V_UNKNOWN(&result)->QueryInterface(IID_IDispatch,
                                                       reinterpret_cast<void **>(&object))))
        out = Variant::object(std::make_shared<DispatchObject>(object, ids::kIDispatch));
      else
        out = Variant::object(nullptr);
      break;
    }
    default: {
      // Other integer types (VT_I2, VT_I4, VT_UI1 ...) as a 32-bit integer.
      const HRESULT changed = VariantChangeType(&result, &result, 0, VT_I4);
      if (FAILED(changed)) {
        VariantClear(&result);
        fail(changed, member.name);
      }
      out = Variant::int32(V_I4(&result));
    }
  }
  VariantClear(&result);
  return out;
}

Variant DispatchObject::get(const Member &member, const std::vector<Variant> &arguments,
                            LocaleId locale) {
  // Parameterised properties (Item) may be methods in a type library.
  const WORD flags = arguments.empty() ? DISPATCH_PROPERTYGET
                                       : static_cast<WORD>(DISPATCH_PROPERTYGET | DISPATCH_METHOD);
  return invoke(member, flags, arguments, false, locale);
}

void DispatchObject::put(const Member &member, const Variant &value, LocaleId locale) {
  invoke(member, DISPATCH_PROPERTYPUT, {value}, true, locale);
}

Variant DispatchObject::call(const Member &member, const std::vector<Variant> &arguments,
                             LocaleId locale) {
  return invoke(member, DISPATCH_METHOD, arguments, false, locale);
}

ObjectRef DispatchObject::query(const Guid &interface_id) {
  const GUID wanted = interface_id == ids::kIDispatch ? IID_IDispatch : to_windows(interface_id);
  void *object = nullptr;
  const HRESULT found = dispatch_->QueryInterface(wanted, &object);
  if (FAILED(found) || !object)
    throw AutomationError(static_cast<HResult>(FAILED(found) ? found : E_POINTER), interface_id,
                          "QueryInterface");
  // The Office interfaces are dual: what QueryInterface gives is an IDispatch.
  return std::make_shared<DispatchObject>(static_cast<IDispatch *>(object), interface_id);
}

}  // namespace tessaro::com_backend

#endif
