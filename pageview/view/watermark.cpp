#include "watermark.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace pageview {

namespace {

constexpr int kMargin = 1200;  // how far past the page the grid starts
constexpr int kGap = 80;       // between texts, across and down
constexpr double kAngle = -20.0;

QFont watermarkFont() {
  QFont font;
  font.setPointSize(20);
  font.setFamily(QStringLiteral("Microsoft YaHei"));
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  return font;
}

}  // namespace

std::vector<QPoint> watermarkPositions(QSize page, double textWidth, double lineHeight) {
  std::vector<QPoint> positions;
  for (int x = -kMargin - page.width() / 2; x <= page.width() + kMargin - 1;
       x = static_cast<int>(x + textWidth + kGap))
    for (int y = -kMargin - page.height() / 2; y <= page.height() + kMargin - 1;
         y = static_cast<int>(y + lineHeight + kGap))
      positions.emplace_back(x, y);
  return positions;
}

void paintWatermark(QPainter &painter, QSize page, const QString &text, const QRectF &visible) {
  const QFont font = watermarkFont();
  const QFontMetricsF metrics(font);
  const double width = metrics.horizontalAdvance(text);
  // The visible area in the turned painter's coordinates, where the texts
  // are laid out.
  const QRectF area =
      visible.isEmpty() ? QRectF() : QTransform().rotate(-kAngle).mapRect(visible);
  painter.save();
  painter.setFont(font);
  painter.setPen(QColor(153, 153, 153, 40));
  painter.rotate(kAngle);
  for (const QPoint &at : watermarkPositions(page, width, metrics.height())) {
    const QRectF box(at.x(), at.y() - metrics.ascent(), width, metrics.height());
    if (area.isEmpty() || area.intersects(box)) painter.drawText(at, text);
  }
  painter.restore();
}

}  // namespace pageview
