#include "icon_writer.h"

#include <QGuiApplication>
#include <cstdio>

namespace folio_tools {

bool save_icon(const QDir &dir, const QString &name, const QImage &image) {
  const QString path = dir.filePath(name);
  if (image.save(path)) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

int run_icon_maker(int argc, char **argv, const std::function<bool(const QDir &)> &draw_all) {
  qputenv("QT_QPA_PLATFORM", "offscreen");  // drawing needs an application, not a display
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "cannot make %s\n", argv[1]);
    return 1;
  }
  return draw_all(dir) ? 0 : 1;
}

}  // namespace folio_tools
