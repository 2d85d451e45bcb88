#include "uno/office_session.h"

#include <unistd.h>

#include <atomic>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>

#include "uno/installation.h"
#include "uno/office_documents.h"
#include "uno/private_copy.h"

using namespace css;

namespace tessaro::uno_backend {

namespace {

// Generous for one document; a dialog or a damaged file never ends by
// itself, and this is what ends it.
std::atomic<long long> time_limit_ms{120000};

constexpr auto kConnectRetry = std::chrono::milliseconds(10);

// The local UNO runtime this process talks to the offices through, made
// once: it only holds type information and the bridge factory.
uno::Reference<uno::XComponentContext> local_context() {
  static std::once_flag once;
  static uno::Reference<uno::XComponentContext> context;
  std::call_once(once, [] {
    // Without it the runtime finds no types and the first remote call fails.
    rtl::Bootstrap::set(OUString("URE_BOOTSTRAP"),
                        OUString::createFromAscii("vnd.sun.star.pathname:" TESSARO_OFFICE_ROOT
                                                  "/program/fundamentalrc"));
    try {
      context = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const uno::Exception &) {
      context.clear();
    }
  });
  return context;
}

}  // namespace

std::chrono::milliseconds conversion_time_limit() {
  return std::chrono::milliseconds(time_limit_ms.load());
}

void set_conversion_time_limit(std::chrono::milliseconds limit) {
  time_limit_ms.store(limit.count());
}

OUString to_ou(const std::u16string &text) {
  return OUString(units(text), static_cast<sal_Int32>(text.size()));
}

OUString file_url(const std::u16string &path) {
  OUString system_path = to_ou(path);
  if (!system_path.startsWith("/")) {
    char here[4096];
    if (getcwd(here, sizeof here))
      system_path = OStringToOUString(here, RTL_TEXTENCODING_UTF8) + "/" + system_path;
  }
  OUString url;
  if (osl::FileBase::getFileURLFromSystemPath(system_path, url) != osl::FileBase::E_None)
    throw lang::IllegalArgumentException(OUString("not a path: " + system_path), nullptr, 0);
  return url;
}

OUString file_url_utf8(const std::string &path) {
  const OUString text = OStringToOUString(path.c_str(), RTL_TEXTENCODING_UTF8);
  return file_url(std::u16string(reinterpret_cast<const char16_t *>(text.getStr()),
                                 static_cast<std::size_t>(text.getLength())));
}

std::shared_ptr<OfficeSession> OfficeSession::start(HResult &code, Lifetime lifetime) {
  std::shared_ptr<OfficeSession> session(new OfficeSession);
  session->lifetime_ = lifetime;
  session->deadline_ = std::chrono::steady_clock::now() + conversion_time_limit();
  session->process_ = OfficeProcess::start(office_program());
  if (!session->process_) {
    code = kCoEServerExecFailure;
    return nullptr;
  }
  session->watchdog_ = std::thread([s = session.get()] { s->watch(); });
  if (!session->connect(code)) {
    session->quit();
    return nullptr;
  }
  code = kSOk;
  return session;
}

bool OfficeSession::connect(HResult &code) {
  const uno::Reference<uno::XComponentContext> local = local_context();
  if (!local.is()) {
    code = kRegDbEClassNotReg;
    return false;
  }
  try {
    const uno::Reference<connection::XConnector> connector = connection::Connector::create(local);
    const uno::Reference<bridge::XBridgeFactory2> factory = bridge::BridgeFactory::create(local);
    const OUString where =
        "pipe,name=" + OStringToOUString(process_->pipe_name().c_str(), RTL_TEXTENCODING_UTF8);
    for (;;) {
      if (timed_out()) {
        code = kRpcETimeout;
        return false;
      }
      if (process_->poll() == OfficeProcess::State::gone) {
        code = kCoEServerExecFailure;
        return false;
      }
      uno::Reference<connection::XConnection> connection;
      try {
        connection = connector->connect(where);
      } catch (const connection::NoConnectException &) {
        std::this_thread::sleep_for(kConnectRetry);
        continue;
      }
      try {
        const uno::Reference<bridge::XBridge> bridge =
            factory->createBridge(OUString(), OUString("urp"), connection, nullptr);
        bridge_.set(bridge, uno::UNO_QUERY_THROW);
        remote_.set(bridge->getInstance(OUString("StarOffice.ComponentContext")),
                    uno::UNO_QUERY_THROW);
        desktop_.set(frame::Desktop::create(remote_), uno::UNO_QUERY_THROW);
        return true;
      } catch (const uno::RuntimeException &) {
        // An office that accepted and then went (the first start in a new
        // profile): try again while it is restarted.
        remote_.clear();
        drop_bridge();
        std::this_thread::sleep_for(kConnectRetry);
      }
    }
  } catch (const uno::Exception &) {
    code = timed_out() ? kRpcETimeout : kCoEServerExecFailure;
    return false;
  }
}

void OfficeSession::drop_bridge() {
  if (!bridge_.is()) return;
  try {
    bridge_->dispose();
  } catch (const uno::Exception &) {
    // A bridge to an office that has gone may fail to close; it is dropped all
    // the same.
  }
  bridge_.clear();
}

void OfficeSession::watch() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!ended_) {
    if (!armed_) {
      wake_.wait(hold);
    } else if (std::chrono::steady_clock::now() >= deadline_) {
      timed_out_ = true;
      process_->kill_now();
      return;
    } else {
      wake_.wait_until(hold, deadline_);
    }
  }
}

void OfficeSession::arm_time_limit(std::chrono::milliseconds limit) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    deadline_ = std::chrono::steady_clock::now() + limit;
    armed_ = true;
  }
  wake_.notify_all();
}

void OfficeSession::disarm_time_limit() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    armed_ = false;
  }
  wake_.notify_all();
}

bool OfficeSession::running() {
  return desktop_.is() && !timed_out() && process_ &&
         process_->poll() == OfficeProcess::State::running;
}

bool OfficeSession::answers() {
  if (!remote_.is()) return false;
  try {
    return remote_->getServiceManager().is();
  } catch (const uno::Exception &) {
    return false;  // the bridge is disposed: the office has gone
  }
}

void OfficeSession::note_failure(const std::string &member) {
  std::lock_guard<std::mutex> hold(lock_);
  if (first_failure_.empty()) first_failure_ = member;
}

std::string OfficeSession::first_failure() const {
  std::lock_guard<std::mutex> hold(lock_);
  return first_failure_;
}

void OfficeSession::forget_failure() {
  std::lock_guard<std::mutex> hold(lock_);
  first_failure_.clear();
}

bool OfficeSession::timed_out() const {
  std::lock_guard<std::mutex> hold(lock_);
  return timed_out_;
}

std::string OfficeSession::scratch_folder() const { return process_->scratch_folder(); }

uno::Reference<lang::XComponent> OfficeSession::load(
    const OUString &url, const uno::Sequence<beans::PropertyValue> &arguments) {
  if (!desktop_.is()) throw lang::DisposedException(OUString("the office has ended"), nullptr);
  uno::Reference<lang::XComponent> document =
      desktop_->loadComponentFromURL(url, OUString("_blank"), 0, arguments);
  if (!document.is())
    throw lang::IllegalArgumentException(OUString("not loaded: " + url), nullptr, 0);
  loaded_.push_back(document);
  return document;
}

void OfficeSession::close_documents() {
  for (const uno::Reference<lang::XComponent> &document : loaded_) {
    try {
      close_document(document);
    } catch (const uno::Exception &) {
      // Closed already (Close was called), or the office has gone: either
      // way nothing of it is left open.
    }
  }
  loaded_.clear();
  if (process_) remove_private_copies(process_->scratch_folder());
}

void OfficeSession::release_application() {
  if (lifetime_ == Lifetime::kept)
    close_documents();
  else
    quit();
}

void OfficeSession::quit() {
  // The office is killed, not asked to end: its profile is thrown away
  // and its documents are closed or unchanged, so there is nothing for it
  // to save, and ending by itself takes it a third of a second.
  loaded_.clear();
  desktop_.clear();
  remote_.clear();
  drop_bridge();
  {
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
  }
  wake_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
  if (process_) process_->finish();
}

OfficeSession::~OfficeSession() { quit(); }

}  // namespace tessaro::uno_backend
