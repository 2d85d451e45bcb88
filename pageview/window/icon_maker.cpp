// Draws the toolbar's icons into a directory at build time:
//   icon_maker <directory>
// Plain shapes only (no fonts), so the result is the same on every machine.
// Each control has a normal and a pressed look; the pressed one sits on a
// darker disc.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "icon_writer.h"

namespace {

const QColor kInk(64, 64, 64);
using Drawing = std::function<void(QPainter &)>;

QImage drawIcon(QSize size, bool pressed, const Drawing &draw) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  if (pressed) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 200, 200));
    painter.drawEllipse(QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1));
  }
  painter.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(kInk);
  draw(painter);
  return image;
}

void arrow(QPainter &p, bool left) {
  const QPointF tip(left ? 9 : 23, 16);
  const qreal back = left ? 21 : 11;
  p.drawPolygon(QPolygonF({tip, QPointF(back, 8), QPointF(back, 24)}));
}

void magnifier(QPainter &p, bool plus) {
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(13, 13), 8, 8);
  p.drawLine(QPointF(19, 19), QPointF(27, 27));
  p.drawLine(QPointF(9, 13), QPointF(17, 13));
  if (plus) p.drawLine(QPointF(13, 9), QPointF(13, 17));
}

void rotateLeft(QPainter &p) {
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(7, 7, 18, 18), 90 * 16, -270 * 16);
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(16, 11), QPointF(10, 7)}));
}

void actualSize(QPainter &p) {
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(4, 6, 24, 20));
  p.setPen(QPen(kInk, 2));
  p.drawLine(QPointF(10, 11), QPointF(10, 21));
  p.drawLine(QPointF(22, 11), QPointF(22, 21));
  p.drawPoint(QPointF(16, 13));
  p.drawPoint(QPointF(16, 19));
}

void dropDown(QPainter &p) {
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({QPointF(3, 11), QPointF(14, 11), QPointF(8.5, 17)}));
}

void separator(QPainter &p) {
  p.setPen(QPen(QColor(180, 180, 180), 1));
  p.drawLine(QPointF(2.5, 2), QPointF(2.5, 28));
}

void logo(QPainter &p) {
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 4, 16, 24));
  p.drawLine(QPointF(12, 11), QPointF(20, 11));
  p.drawLine(QPointF(12, 16), QPointF(20, 16));
  p.drawLine(QPointF(12, 21), QPointF(18, 21));
}

bool drawAll(const QDir &dir) {
  using folio_tools::save_icon;
  const QSize button(32, 32);
  struct Icon {
    const char *name;
    Drawing draw;
  };
  const Icon buttons[] = {
      {"last", [](QPainter &p) { arrow(p, true); }},
      {"next", [](QPainter &p) { arrow(p, false); }},
      {"zoomin", [](QPainter &p) { magnifier(p, true); }},
      {"zoomout", [](QPainter &p) { magnifier(p, false); }},
      {"rolate", rotateLeft},
  };
  bool ok = true;
  for (const Icon &icon : buttons) {
    ok &= save_icon(dir, QStringLiteral("%1.png").arg(QLatin1String(icon.name)),
               drawIcon(button, false, icon.draw));
    ok &= save_icon(dir, QStringLiteral("%1_pressed.png").arg(QLatin1String(icon.name)),
               drawIcon(button, true, icon.draw));
  }
  ok &= save_icon(dir, QStringLiteral("100per.png"), drawIcon(button, false, actualSize));
  ok &= save_icon(dir, QStringLiteral("drop.png"), drawIcon(QSize(17, 27), false, dropDown));
  QImage dropPressed(QSize(17, 27), QImage::Format_RGB32);
  dropPressed.fill(QColor(220, 220, 220));
  {
    QPainter painter(&dropPressed);
    painter.setBrush(kInk);
    dropDown(painter);
  }
  ok &= save_icon(dir, QStringLiteral("drop_pressed.jpg"), dropPressed);
  ok &= save_icon(dir, QStringLiteral("separation.png"), drawIcon(QSize(5, 30), false, separator));
  ok &= save_icon(dir, QStringLiteral("logo.png"), drawIcon(button, false, logo));
  return ok;
}

}  // namespace

int main(int argc, char **argv) { return folio_tools::run_icon_maker(argc, argv, drawAll); }
