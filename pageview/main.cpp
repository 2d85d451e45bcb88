// pageview: shows one protected PDF or image that a host started it for.
#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <variant>

#include "document/document_failure.h"
#include "launch/launch_intake.h"
#include "picture_show_dlg.h"
#include "platform/process_hardening.h"

int main(int argc, char *argv[]) {
  harden_process();  // no core file, no attaching: keys and clear pages stay in this process
  QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
  // Qt is given the program name alone: it would take its own options
  // ("-platform", "-reverse", "-style" ...) out of the launch arguments,
  // and a watermark text is whatever the host's user typed.
  int qtArgc = 1;
  char *qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":ico/logo.ico")));

  const pageview::LaunchOutcome outcome = pageview::takeLaunchArguments(argc, argv);
  if (const auto *failure = std::get_if<pageview::LaunchFailure>(&outcome)) {
    pageview::reportLaunchFailure(*failure);
    return failure->exitCode;
  }
  const auto &launch = std::get<pageview::LaunchParameters>(outcome);

  PictureShowDlg window(launch.pathUtf8, nullptr, launch.contentKey.data(), launch.nonce.data(),
                        launch.isImage, launch.variant, launch.watermark);
  window.setWindowTitle(launch.path);
  window.setWindowIcon(QIcon(QStringLiteral(":ico/logo.ico")));
  window.showMaximized();
  window.openDocument();
  const int status = QApplication::exec();
  // The message stays on screen until the user closes the window; the host
  // learns from the exit status that nothing was shown.
  return window.documentNeverOpened() ? pageview::kExitDocumentNotOpened : status;
}
