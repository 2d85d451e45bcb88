// Draws the player's images into a directory at build time:
//   morlan_icon_maker <directory>
// play.png and pause.png (48 x 48, the button's two faces) and
// viewer_icon.png (1024 x 1024, the window icon). Plain shapes only, so the
// result is the same on every machine.
#include <QDir>
#include <QImage>
#include <QPainter>

#include "icon_writer.h"

namespace {

const QColor kFace(255, 255, 255, 230);
const QColor kRing(255, 255, 255, 120);

QImage blank(int side) {
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

// A thin ring around the button's face, so it reads on dark and bright video.
void ring(QPainter &painter, int side) {
  painter.setPen(QPen(kRing, side / 24.0));
  painter.setBrush(Qt::NoBrush);
  const qreal inset = side / 24.0;
  painter.drawEllipse(QRectF(inset, inset, side - 2 * inset, side - 2 * inset));
}

QImage playImage(int side) {
  QImage image = blank(side);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  ring(painter, side);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kFace);
  const qreal s = side;
  painter.drawPolygon(QPolygonF({QPointF(0.38 * s, 0.28 * s), QPointF(0.38 * s, 0.72 * s),
                                 QPointF(0.74 * s, 0.5 * s)}));
  return image;
}

QImage pauseImage(int side) {
  QImage image = blank(side);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  ring(painter, side);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kFace);
  const qreal s = side;
  painter.drawRect(QRectF(0.34 * s, 0.3 * s, 0.11 * s, 0.4 * s));
  painter.drawRect(QRectF(0.55 * s, 0.3 * s, 0.11 * s, 0.4 * s));
  return image;
}

// A film frame with a play triangle in it.
QImage windowIcon(int side) {
  QImage image = blank(side);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = side;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 48, 96));
  painter.drawRoundedRect(QRectF(0.06 * s, 0.16 * s, 0.88 * s, 0.68 * s), 0.06 * s, 0.06 * s);
  painter.setBrush(QColor(230, 230, 240));
  for (int hole = 0; hole < 8; ++hole) {
    const qreal x = 0.12 * s + hole * 0.1 * s;
    painter.drawRect(QRectF(x, 0.2 * s, 0.05 * s, 0.05 * s));
    painter.drawRect(QRectF(x, 0.75 * s, 0.05 * s, 0.05 * s));
  }
  painter.setBrush(QColor(60, 60, 240));
  painter.drawPolygon(QPolygonF({QPointF(0.4 * s, 0.34 * s), QPointF(0.4 * s, 0.66 * s),
                                 QPointF(0.66 * s, 0.5 * s)}));
  return image;
}

}  // namespace

int main(int argc, char **argv) {
  return folio_tools::run_icon_maker(argc, argv, [](const QDir &dir) {
    bool ok = folio_tools::save_icon(dir, "play.png", playImage(48));
    ok &= folio_tools::save_icon(dir, "pause.png", pauseImage(48));
    ok &= folio_tools::save_icon(dir, "viewer_icon.png", windowIcon(1024));
    return ok;
  });
}
