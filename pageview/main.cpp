// pageview: shows one protected PDF or image that a host started it for.
#include <QApplication>
#include <QIcon>
#include <variant>

#include "launch/launch_intake.h"
#include "picture_show_dlg.h"
#include "platform/process_hardening.h"

int main(int argc, char *argv[]) {
  harden_process();  // no core file, no attaching: keys and clear pages stay in this process
  QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
  QApplication app(argc, argv);
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
  return QApplication::exec();
}
