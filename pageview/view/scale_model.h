// The zoom model of the page view: the fixed scale steps, zoom in and out
// between them, the scale box's text, fit modes and the pixel size asked of
// the document. All scale arithmetic is single precision, as the view's
// percentages are.
#ifndef PAGEVIEW_VIEW_SCALE_MODEL_H
#define PAGEVIEW_VIEW_SCALE_MODEL_H

#include <QSize>
#include <QSizeF>
#include <QString>

#include <array>

namespace pageview {

// 1/16 to 8. A scale of 1.0 shows the page-size image (100 %).
constexpr std::array<float, 14> kScaleSteps = {0.0625f, 0.125f,     0.25f, 0.3333333f, 0.5f,
                                               0.6666667f, 1.0f,   1.25f, 1.5f,       2.0f,
                                               3.0f,   4.0f,      6.0f,  8.0f};
constexpr float kLargestScale = 8.0f;

// The scale box's texts for the two fit modes.
QString fitWidthText();   // "适合宽度"
QString wholePageText();  // "整页显示"

// The smallest step above scale, or scale itself when none is.
float nextScaleUp(float scale);
// The largest step below scale, or scale itself when none is.
float nextScaleDown(float scale);

// The index of the step equal to scale, or -1 (menu entries are checked
// only for exact steps).
int stepIndexOf(float scale);

// "87%": the whole percentage, truncated.
QString percentageText(float scale);

// A scale typed into the scale box: a trailing "%" (in fact the last
// character, when the text holds a "%" anywhere) is dropped and the number
// read as a percentage; above 800 % gives 8.0; zero, negative, empty or
// non-numeric texts give 1.0.
float scaleFromText(const QString &text);

// The pixel size of a page of pageSize at scale, each side truncated.
QSize scaledSize(QSize pageSize, float scale);

// Whether a page shown at scaledSize is rendered whole (up to 32 MiB of
// pixels) rather than part by part as the view shows it.
bool holdsWholePage(QSize scaledSize);

// What the next view build asks for.
enum class ScaleRequest { None, ZoomIn, ZoomOut, OriginalSize };

struct ScaleChoice {
  float scale;
  float previousScale;
  // Show the page-size image as it is (original size); no scaled copy.
  bool unscaled;
  // The size to rasterise the page at (unused when unscaled).
  QSize scaledSize;
};

// The scale for the next view of a page of pageSize in a view of viewSize:
// a zoom or original-size request first; otherwise a resize fits the whole
// page; otherwise the scale box's text decides (a fit mode, or a
// percentage).
ScaleChoice chooseScale(ScaleRequest request, float scale, float previousScale,
                        const QString &scaleText, QSizeF viewSize, QSize pageSize, bool inResize);

}  // namespace pageview

#endif
