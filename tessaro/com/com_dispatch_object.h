// The automation interface over COM: an object is an IDispatch pointer,
// members are resolved with GetIDsOfNames (or given by dispatch
// identifier), calls go through IDispatch::Invoke, and every failing
// HRESULT becomes AutomationError under the object's interface. Windows
// only.
#ifndef TESSARO_COM_COM_DISPATCH_OBJECT_H
#define TESSARO_COM_COM_DISPATCH_OBJECT_H

#ifdef _WIN32

#include <windows.h>
#include <oaidl.h>

#include "automation/automation_object.h"

namespace tessaro::com_backend {

// Guid and Windows' GUID have the same fields.
GUID to_windows(const Guid &id);

class DispatchObject : public AutomationObject {
 public:
  // Takes over one reference of `dispatch`.
  DispatchObject(IDispatch *dispatch, const Guid &interface_id);
  ~DispatchObject() override;
  DispatchObject(const DispatchObject &) = delete;
  DispatchObject &operator=(const DispatchObject &) = delete;

  const Guid &interface_id() const override { return interface_id_; }
  Variant get(const Member &member, const std::vector<Variant> &arguments,
              LocaleId locale) override;
  void put(const Member &member, const Variant &value, LocaleId locale) override;
  Variant call(const Member &member, const std::vector<Variant> &arguments,
               LocaleId locale) override;
  ObjectRef query(const Guid &interface_id) override;

  IDispatch *dispatch() const { return dispatch_; }

 private:
  DISPID resolve(const Member &member, LocaleId locale);
  Variant invoke(const Member &member, WORD flags, const std::vector<Variant> &arguments,
                 bool property_put, LocaleId locale);
  [[noreturn]] void fail(HRESULT code, const char *what) const;

  IDispatch *dispatch_;
  Guid interface_id_;
};

}  // namespace tessaro::com_backend

#endif
#endif
