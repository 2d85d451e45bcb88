// The watermark tiled over every page: a faint grey text repeated in
// columns well past the page's edges and drawn on a painter turned by -20
// degrees, so that the turned grid still covers the whole page.
#ifndef PAGEVIEW_VIEW_WATERMARK_H
#define PAGEVIEW_VIEW_WATERMARK_H

#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

namespace pageview {

// Where the text is drawn, in item coordinates (the page centred on the
// origin), for a text of textWidth and lineHeight: columns from
// -1200 - width/2 to width + 1199, rows from -1200 - height/2 to
// height + 1199, spaced by the text's size plus 80.
std::vector<QPoint> watermarkPositions(QSize page, double textWidth, double lineHeight);

// Draws text over a page of size page with the watermark's font, colour and
// angle. The painter's state is restored afterwards. Texts that fall
// wholly outside visible (item coordinates; an empty rectangle: the whole
// page) are left out: at high zoom the grid holds tens of thousands.
void paintWatermark(QPainter &painter, QSize page, const QString &text,
                    const QRectF &visible = QRectF());

}  // namespace pageview

#endif
