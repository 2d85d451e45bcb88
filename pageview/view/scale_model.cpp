#include "scale_model.h"

#include <algorithm>

namespace pageview {

QString fitWidthText() { return QStringLiteral("适合宽度"); }
QString wholePageText() { return QStringLiteral("整页显示"); }

float nextScaleUp(float scale) {
  for (const float step : kScaleSteps)
    if (step > scale) return step;
  return scale;
}

float nextScaleDown(float scale) {
  for (auto it = kScaleSteps.rbegin(); it != kScaleSteps.rend(); ++it)
    if (*it < scale) return *it;
  return scale;
}

int stepIndexOf(float scale) {
  for (std::size_t i = 0; i < kScaleSteps.size(); ++i)
    if (kScaleSteps[i] == scale) return static_cast<int>(i);
  return -1;
}

QString percentageText(float scale) {
  return QStringLiteral("%1%").arg(static_cast<int>(scale * 100.0f));
}

float scaleFromText(const QString &text) {
  QString number = text;
  if (number.contains(QLatin1Char('%'))) number.chop(1);
  const float value = number.toFloat() / 100.0f;  // 0 when not a number
  if (value > kLargestScale) return kLargestScale;
  if (value > 0.0f) return value;
  return 1.0f;
}

QSize scaledSize(QSize pageSize, float scale) {
  return QSize(static_cast<int>(static_cast<float>(pageSize.width()) * scale),
               static_cast<int>(static_cast<float>(pageSize.height()) * scale));
}

bool holdsWholePage(QSize scaledSize) {
  constexpr qint64 kWholePageBytes = qint64(32) << 20;
  return qint64(scaledSize.width()) * scaledSize.height() * 4 <= kWholePageBytes;
}

namespace {

// A fit mode needs a page with both sides; an empty page keeps the scale.
float fitted(float view, int page, float fallback) {
  return page > 0 ? view / static_cast<float>(page) : fallback;
}

}  // namespace

ScaleChoice chooseScale(ScaleRequest request, float scale, float previousScale,
                        const QString &scaleText, QSizeF viewSize, QSize pageSize, bool inResize) {
  ScaleChoice choice{scale, previousScale, false, QSize()};
  const auto view_width = static_cast<float>(viewSize.width());
  const auto view_height = static_cast<float>(viewSize.height());
  switch (request) {
    case ScaleRequest::ZoomIn:
      choice.previousScale = scale;
      choice.scale = nextScaleUp(scale);
      break;
    case ScaleRequest::ZoomOut:
      choice.previousScale = scale;
      choice.scale = nextScaleDown(scale);
      break;
    case ScaleRequest::OriginalSize:
      choice.previousScale = scale;
      choice.scale = 1.0f;
      choice.unscaled = true;
      return choice;
    case ScaleRequest::None:
      if (inResize || scaleText == wholePageText()) {
        choice.scale = std::min(fitted(view_height, pageSize.height(), scale),
                                fitted(view_width, pageSize.width(), scale));
      } else if (scaleText == fitWidthText()) {
        choice.scale = fitted(view_width, pageSize.width(), scale);
      } else {
        choice.previousScale = scale;
        choice.scale = scaleFromText(scaleText);
      }
      break;
  }
  choice.scaledSize = scaledSize(pageSize, choice.scale);
  return choice;
}

}  // namespace pageview
