// A running office: the process, the bridge to it, its desktop, and the
// time limit that kills it if a conversion hangs. Started for one
// conversion (Quit ends it), or kept for one document after another (Quit
// only closes the documents, and each document arms the limit anew).
#ifndef TESSARO_UNO_OFFICE_SESSION_H
#define TESSARO_UNO_OFFICE_SESSION_H

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/uno/Sequence.hxx>

#include "automation/result_codes.h"
#include "uno/office_process.h"
#include "uno/time_limit.h"

namespace tessaro::uno_backend {

using rtl::OString;
using rtl::OStringToOUString;
using rtl::OUString;
using rtl::OUStringToOString;

// UTF-16 text as the UNO runtime's code units.
inline const sal_Unicode *units(const std::u16string &text) {
  return reinterpret_cast<const sal_Unicode *>(text.data());
}

class OfficeSession {
 public:
  enum class Lifetime { one_conversion, kept };

  // Starts the office and connects to it; null with `code` set when that
  // fails or the time limit passes first.
  static std::shared_ptr<OfficeSession> start(HResult &code,
                                              Lifetime lifetime = Lifetime::one_conversion);
  ~OfficeSession();
  OfficeSession(const OfficeSession &) = delete;
  OfficeSession &operator=(const OfficeSession &) = delete;

  // Loads a document hidden; throws what the office throws, and
  // IllegalArgumentException when it yields nothing.
  css::uno::Reference<css::lang::XComponent> load(
      const OUString &url, const css::uno::Sequence<css::beans::PropertyValue> &arguments);

  // The office's component context, for its services.
  const css::uno::Reference<css::uno::XComponentContext> &office_context() const {
    return remote_;
  }

  // The private folder for copies of documents.
  std::string scratch_folder() const;

  // Ends the office: bridge disposed, process killed and reaped, profile
  // removed. Idempotent; also done when the session goes.
  void quit();

  // Whether the time limit ended the office.
  bool timed_out() const;

  // What an application's Quit does: ends the office, or for a kept one
  // closes every document loaded since, unsaved, and removes their private
  // copies, so that the next document finds the office as it started.
  void release_application();
  void close_documents();

  // Kept offices: the time limit counts from arm_time_limit, for one
  // document, and stops counting at disarm_time_limit.
  void arm_time_limit(std::chrono::milliseconds limit);
  void disarm_time_limit();

  // Whether the office still runs and answers to its time limit: false
  // once it was killed, crashed or ended.
  bool running();

  // Whether the office answers a call over the bridge. The process that
  // was started can outlive a killed office for a moment (the launcher
  // that waits for it), so after a failed call this is what tells an
  // office that died from a document it refused. Blocks while the office
  // hangs: call it with the time limit armed.
  bool answers();

  // The first call that failed since forget_failure (its member name,
  // "Documents.Open"), for telling the user why; empty when none did.
  void note_failure(const std::string &member);
  std::string first_failure() const;
  void forget_failure();

 private:
  OfficeSession() = default;
  bool connect(HResult &code);
  void watch();
  void drop_bridge();  // disposes of the bridge, if any, and forgets it

  std::unique_ptr<OfficeProcess> process_;
  css::uno::Reference<css::lang::XComponent> bridge_;
  css::uno::Reference<css::uno::XComponentContext> remote_;
  css::uno::Reference<css::frame::XComponentLoader> desktop_;

  Lifetime lifetime_ = Lifetime::one_conversion;
  std::vector<css::uno::Reference<css::lang::XComponent>> loaded_;

  std::chrono::steady_clock::time_point deadline_;
  mutable std::mutex lock_;  // the time limit's state and the failure note
  std::condition_variable wake_;
  bool armed_ = true;
  bool ended_ = false;
  bool timed_out_ = false;
  std::string first_failure_;
  std::thread watchdog_;
};

// OUString for UTF-16 text, and the file URL of a path (relative paths
// against the working folder).
OUString to_ou(const std::u16string &text);
OUString file_url(const std::u16string &path);
OUString file_url_utf8(const std::string &path);

}  // namespace tessaro::uno_backend

#endif
