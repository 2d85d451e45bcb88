#include "bottom_widget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace {

const char kPlayingStyle[] = "QPushButton{border-image:url(:/Morlan/Resources/pause.png);}";
const char kPausedStyle[] = "QPushButton{border-image:url(:/Morlan/Resources/play.png);}";
const char kTimeTextStyle[] = "color: rgb(255, 255, 255)";
constexpr int kBarHeight = 70;
constexpr int kSliderMargin = 75;  // free pixels at each end of the slider
constexpr int kTimeGap = 10;       // between the slider and each time display

QString minutesText(int seconds) { return QString::number(seconds / 60) + QLatin1Char(':'); }
QString secondsText(int seconds) { return QString::number(seconds % 60); }

}  // namespace

BottomWidget::BottomWidget(QWidget *parent) : QWidget(parent) {
  ui.setupUi(this);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_MouseTracking);
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  ui.playslider->installEventFilter(this);
  for (QLabel *label : {ui.currentMinute, ui.currentSecond, ui.totalMinute, ui.totalSecond})
    label->setStyleSheet(QString::fromLatin1(kTimeTextStyle));
  setFixedHeight(kBarHeight);
  setAttribute(Qt::WA_ShowWithoutActivating);
  connect(ui.playslider, SIGNAL(sliderMoved(int)), this, SLOT(slotSliderMoved(int)));
  connect(ui.playButton, SIGNAL(clicked()), this, SLOT(slotPlay()));
}

BottomWidget::~BottomWidget() = default;

void BottomWidget::setTotalTime(int seconds) {
  totalTime = seconds;
  ui.playslider->setRange(0, seconds);
  ui.totalMinute->setText(minutesText(seconds));
  ui.totalSecond->setText(secondsText(seconds));
}

void BottomWidget::updateCurrentTime(int seconds) {
  if (totalTime <= 0 || seconds < 0 || seconds > totalTime) return;
  ui.playslider->setValue(seconds);
  ui.currentMinute->setText(minutesText(seconds));
  ui.currentSecond->setText(secondsText(seconds));
}

void BottomWidget::setPlayStatus(bool playing) {
  playStatus = playing;
  ui.playButton->setStyleSheet(QString::fromLatin1(playing ? kPlayingStyle : kPausedStyle));
}

void BottomWidget::slotSliderMoved(int pos) { emit signalSeek(pos); }

void BottomWidget::slotPlay() {
  qDebug() << "bottom old status:" << playStatus;
  if (playStatus) {
    emit signalPause();
    ui.playButton->setStyleSheet(QString::fromLatin1(kPausedStyle));
  } else {
    emit signalResume();
    ui.playButton->setStyleSheet(QString::fromLatin1(kPlayingStyle));
  }
  playStatus = !playStatus;
}

// A left press anywhere on the slider seeks straight to the value under the
// pointer, not a page step towards it; the slider still sees the press.
bool BottomWidget::eventFilter(QObject *watched, QEvent *event) {
  if (watched == ui.playslider && event->type() == QEvent::MouseButtonPress) {
    const auto *press = static_cast<QMouseEvent *>(event);
    if (press->button() == Qt::LeftButton) {
      const QSlider *slider = ui.playslider;
      const double span = slider->maximum() - slider->minimum();
      const int value =
          static_cast<int>(slider->minimum() + static_cast<double>(press->x()) / slider->width() * span);
      if (value != slider->sliderPosition()) emit signalSeek(value);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void BottomWidget::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0, 0, 0, 150));
}

void BottomWidget::resizeEvent(QResizeEvent *) {
  const int w = width(), h = height();
  ui.playButton->move((w - ui.playButton->width()) / 2, h / 2);
  QSlider *slider = ui.playslider;
  slider->resize(w - 2 * kSliderMargin, slider->height());
  slider->move(kSliderMargin, h / 4);
  // Each time layout spans its whole container, as if installed on it: a
  // layout that already manages one widget cannot be handed to another, so
  // the widget that holds it is stretched over the container instead. Left
  // where the form put it, the holder would overhang the narrower elapsed
  // container and clip its seconds.
  ui.totalLayout->setSpacing(0);
  ui.totalContainer->move(slider->x() + slider->width() + kTimeGap, slider->y() - slider->height());
  ui.horizontalLayoutWidget->setGeometry(ui.totalContainer->rect());
  ui.currentLayout->setSpacing(0);
  ui.currentContainer->resize(ui.totalContainer->size());
  ui.currentContainer->move(slider->x() - ui.currentContainer->width() - kTimeGap,
                            slider->y() - slider->height());
  ui.horizontalLayoutWidget_2->setGeometry(ui.currentContainer->rect());
}
