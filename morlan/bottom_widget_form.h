// The control bar's widgets: position slider, play/pause button and the
// elapsed and total time, each as minutes ("m:") and seconds labels. The
// object names are the ones the bar's slots are bound to by name.
#ifndef MORLAN_BOTTOM_WIDGET_FORM_H
#define MORLAN_BOTTOM_WIDGET_FORM_H

class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QWidget;

struct BottomWidgetForm {
  QSlider *playslider = nullptr;
  QWidget *currentContainer = nullptr;
  QWidget *horizontalLayoutWidget_2 = nullptr;
  QHBoxLayout *currentLayout = nullptr;
  QLabel *currentMinute = nullptr;
  QLabel *currentSecond = nullptr;
  QPushButton *playButton = nullptr;
  QWidget *totalContainer = nullptr;
  QWidget *horizontalLayoutWidget = nullptr;
  QHBoxLayout *totalLayout = nullptr;
  QLabel *totalMinute = nullptr;
  QLabel *totalSecond = nullptr;

  void setupUi(QWidget *bar);
  void retranslateUi(QWidget *bar);
};

#endif
