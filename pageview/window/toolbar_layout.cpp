#include "toolbar_layout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window_form.h"

namespace pageview {

namespace {

void placeX(QWidget *control, int x) { control->move(x, control->y()); }

void layoutPdfControls(const WindowForm &f, int half) {
  f.Btn_Rolate->hide();
  f.Btn_OriginalPicture->hide();
  const int box = f.lineEdit->width();
  const int count = f.linePageNum->width();
  const int last = f.Btn_Last->width();
  const int next = f.Btn_Next->width();
  const int halfSeparator = f.labelSeparator->width() / 2;
  const int scaleBox = f.lineEditScale->width();
  const int drop = f.Btn_ScaleList->width();
  const int pageCountY = f.linePageNum->y();

  placeX(f.Btn_Last, half - (box - 1) - (count - 1) - (next - 1) - (last - 1) - halfSeparator - 64);
  placeX(f.Btn_Next, half - (count - 1) - (next - 1) - (box - 1) - halfSeparator - 43);
  f.lineEdit->move(half - (box - 1) - (count - 1) - halfSeparator - 22, pageCountY + 3);
  placeX(f.linePageNum, half - (count - 1) - halfSeparator - 21);
  f.labelSeparator->move(half - halfSeparator, f.Btn_Last->y());
  f.lineEditScale->move(half + halfSeparator + 20, pageCountY + 3);
  f.Btn_ScaleList->move(half + halfSeparator + 20 + scaleBox, pageCountY);
  placeX(f.Btn_ZoomIn, half + halfSeparator + (scaleBox - 1) + 41 + drop);
  placeX(f.Btn_ZoomOut, half + halfSeparator + (f.Btn_ZoomIn->width() - 1) + 61 + scaleBox + drop);
}

void layoutImageControls(const WindowForm &f, int half) {
  f.Btn_Last->hide();
  f.Btn_Next->hide();
  f.lineEdit->hide();
  f.linePageNum->hide();
  f.lineEditScale->hide();
  f.Btn_ScaleList->hide();
  const int zoomIn = f.Btn_ZoomIn->width();
  const int zoomOut = f.Btn_ZoomOut->width();
  const int original = f.Btn_OriginalPicture->width();
  const int halfSeparator = f.labelSeparator->width() / 2;
  const int zoomOutY = f.Btn_ZoomOut->y();

  placeX(f.Btn_ZoomIn, half - zoomIn - (zoomOut - 1) - (original - 1) - halfSeparator - 62);
  placeX(f.Btn_ZoomOut, half - (zoomOut - 1) - (original - 1) - halfSeparator - 42);
  f.Btn_OriginalPicture->move(half - original - halfSeparator - 20, zoomOutY);
  f.labelSeparator->move(half - halfSeparator, zoomOutY);
  placeX(f.Btn_Rolate, half + halfSeparator + 20);
}

}  // namespace

void layoutToolbar(const WindowForm &form, int windowWidth, bool imageMode) {
  const int half = windowWidth / 2;
  if (imageMode)
    layoutImageControls(form, half);
  else
    layoutPdfControls(form, half);
}

}  // namespace pageview
