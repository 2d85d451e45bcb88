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

void paintWatermark(QPainter &painter, QSize page, const QString &text) {
  const QFont font = watermarkFont();
  const QFontMetricsF metrics(font);
  painter.save();
  painter.setFont(font);
  painter.setPen(QColor(153, 153, 153, 40));
  painter.rotate(kAngle);
  for (const QPoint &at : watermarkPositions(page, metrics.horizontalAdvance(text), metrics.height()))
    painter.drawText(at, text);
  painter.restore();
}

}  // namespace pageview
