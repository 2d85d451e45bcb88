#include "startup.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QTextCodec>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "launch_intake.h"
#include "launch_keys.h"
#include "morlan_window.h"
#if !defined(_WIN32)
#include "platform/process_hardening.h"
#endif

namespace morlan {

namespace {

constexpr std::size_t kPathBufferBytes = 256;

void centreOnDesktop(QWidget &window) {
  const QWidget *desktop = QApplication::desktop();
  window.move((desktop->width() - window.width()) / 2, (desktop->height() - window.height()) / 2);
}

}  // namespace

int runMorlan(int argc, char **argv) {
#if !defined(_WIN32)
  harden_process();  // no core file, no attaching: keys and clear pictures stay in this process
#endif
  if (argc < 3) return -1;  // takeLaunchKeys decides whether the header may come from input
#if defined(_WIN32)
  qputenv("SDL_AUDIODRIVER", "directsound");
#endif
  char sourcePath[kPathBufferBytes] = {};
  if (std::strlen(argv[1]) >= kPathBufferBytes) return -1;
  std::strcpy(sourcePath, argv[1]);

  const std::optional<LaunchKeys> keys = takeLaunchKeys(argc, argv);
  if (!keys) return -1;
  const int mode = argc > 4 ? std::atoi(argv[4]) : 0;

  QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
  auto application = std::make_unique<QApplication>(argc, argv);
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("system"));
  auto window = std::make_unique<Morlan>();
  centreOnDesktop(*window);
  // Encrypt mode protects the copy under the token key itself.
  window->openVideo(sourcePath, mode != 0 ? builtInTokenKey() : keys->contentKey.data(),
                    keys->headerBlock.data(), mode);
  window.reset();
  application.reset();
  return 0;
}

}  // namespace morlan
