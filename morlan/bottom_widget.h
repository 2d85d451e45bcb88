// The translucent control bar that floats over the bottom of the player
// window: position slider, play/pause button, elapsed and total time.
#ifndef MORLAN_BOTTOM_WIDGET_H
#define MORLAN_BOTTOM_WIDGET_H

#include <QWidget>

#include "bottom_widget_form.h"

class BottomWidget : public QWidget {
  Q_OBJECT

 public:
  explicit BottomWidget(QWidget *parent = nullptr);
  ~BottomWidget() override;

  // Slider range 0 .. seconds and the total time as "m:" and "s".
  void setTotalTime(int seconds);
  // Ignored while the total is unknown (<= 0) and for a position that is
  // negative or past the total.
  void updateCurrentTime(int seconds);
  // true: playing (the button shows the pause image).
  void setPlayStatus(bool playing);

  const BottomWidgetForm &form() const { return ui; }
  int totalSeconds() const { return totalTime; }
  bool isPlaying() const { return playStatus; }

 signals:
  void signalPause();
  void signalResume();
  void signalSeek(int pos);

 public slots:
  void slotSliderMoved(int pos);
  void slotPlay();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  BottomWidgetForm ui;
  int totalTime = 0;
  bool playStatus = false;
};

#endif
