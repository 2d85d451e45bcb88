// The Office objects the conversion routines reach, emulated over a
// LibreOffice document model: the base every one of them shares. It turns
// what the office throws into AutomationError under the object's interface,
// and unknown members into DISP_E_MEMBERNOTFOUND.
#ifndef TESSARO_UNO_EMULATED_OBJECT_H
#define TESSARO_UNO_EMULATED_OBJECT_H

#include <memory>
#include <string>
#include <vector>

#include "automation/automation_object.h"
#include "uno/office_session.h"

namespace tessaro::uno_backend {

// Matching a member by name (the back end has no dispatch identifiers).
bool is(const Member &member, const char *name);

class EmulatedObject : public AutomationObject,
                       public std::enable_shared_from_this<EmulatedObject> {
 public:
  EmulatedObject(std::shared_ptr<OfficeSession> session, const Guid &interface_id)
      : session_(std::move(session)), interface_id_(interface_id) {}

  const Guid &interface_id() const override { return interface_id_; }
  Variant get(const Member &member, const std::vector<Variant> &arguments,
              LocaleId locale) override;
  void put(const Member &member, const Variant &value, LocaleId locale) override;
  Variant call(const Member &member, const std::vector<Variant> &arguments,
               LocaleId locale) override;
  // The object itself, through its own interface or IDispatch.
  ObjectRef query(const Guid &interface_id) override;

 protected:
  virtual Variant on_get(const Member &member, const std::vector<Variant> &arguments);
  virtual void on_put(const Member &member, const Variant &value);
  virtual Variant on_call(const Member &member, const std::vector<Variant> &arguments);

  [[noreturn]] void not_found(const Member &member) const;
  [[noreturn]] void invalid(const char *what) const;  // E_INVALIDARG
  OfficeSession &session() const { return *session_; }
  const std::shared_ptr<OfficeSession> &session_ref() const { return session_; }

 private:
  template <class Step>
  Variant guarded(const Member &member, Step &&step);
  [[noreturn]] void fail(const Member &member, HResult code, const OUString &message) const;

  std::shared_ptr<OfficeSession> session_;
  Guid interface_id_;
};

// An application with one collection (Documents, Presentations) handed
// out as a fresh Collection object, and Quit, which ends the office (or
// closes the documents of one kept for more).
template <class Collection>
class CollectionApplication : public EmulatedObject {
 public:
  CollectionApplication(std::shared_ptr<OfficeSession> session, const Guid &interface_id,
                        const char *collection_name)
      : EmulatedObject(std::move(session), interface_id), collection_name_(collection_name) {}

 protected:
  Variant on_get(const Member &member, const std::vector<Variant> &) override {
    if (!is(member, collection_name_)) not_found(member);
    return Variant::object(std::make_shared<Collection>(session_ref()));
  }
  Variant on_call(const Member &member, const std::vector<Variant> &) override {
    if (!is(member, "Quit")) not_found(member);
    session().release_application();
    return Variant();
  }

 private:
  const char *collection_name_;
};

// Arguments by position; omitted ones (missing, or past the end) take the
// default.
const Variant &argument(const std::vector<Variant> &arguments, std::size_t index);
int int_argument(const std::vector<Variant> &arguments, std::size_t index, int fallback);
bool bool_argument(const std::vector<Variant> &arguments, std::size_t index, bool fallback);
// A required string; DISP_E_TYPEMISMATCH otherwise.
const std::u16string &string_argument(const std::vector<Variant> &arguments, std::size_t index,
                                      const Guid &interface_id);

// The three applications, ready to be handed out by the back end.
ObjectRef make_word_application(std::shared_ptr<OfficeSession> session);
ObjectRef make_excel_application(std::shared_ptr<OfficeSession> session);
ObjectRef make_powerpoint_application(std::shared_ptr<OfficeSession> session);

}  // namespace tessaro::uno_backend

#endif
