// The window's own input: Ctrl handed on to the page item, the wheel over
// the grey view area, and two-finger pinches.
#include <QDebug>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QTouchEvent>
#include <QWheelEvent>

#include "image_widget.h"
#include "input_throttle.h"
#include "picture_show_dlg.h"

void PictureShowDlg::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Control && item_)
    item_->keyPressEvent(event);
  else
    QWidget::keyPressEvent(event);
}

void PictureShowDlg::keyReleaseEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Control && item_)
    item_->keyReleaseEvent(event);
  else
    QWidget::keyReleaseEvent(event);
}

void PictureShowDlg::wheelEvent(QWheelEvent *event) {
  const QPoint inWindow = mapFromGlobal(event->globalPosition().toPoint());
  if (!ui_.graphicsView->geometry().contains(inWindow)) return;
  viewWheel(event->globalPosition().toPoint(), event->angleDelta());
}

void PictureShowDlg::viewWheel(QPoint globalPosition, QPoint angleDelta) {
  if (!item_) return;
  // The same mapping as over the page, without its 300 ms limit.
  if (angleDelta.y() != 0) {
    item_->wheelAction(angleDelta.y() > 0, globalPosition);
  } else if (angleDelta.x() > 0) {
    item_->scrollLeftStep(30);
  } else if (angleDelta.x() < 0) {
    item_->scrollRightStep(30);
  }
}

bool PictureShowDlg::eventFilter(QObject *watched, QEvent *event) {
  // The view would take a wheel turn over its grey area for itself (its
  // scroll bars are merely hidden); there it belongs to the window.
  if (watched == ui_.graphicsView->viewport() && event->type() == QEvent::Wheel) {
    auto *wheel = static_cast<QWheelEvent *>(event);
    if (!ui_.graphicsView->itemAt(wheel->position().toPoint())) {
      viewWheel(wheel->globalPosition().toPoint(), wheel->angleDelta());
      // Accepted as well as filtered: an ignored wheel event travels on to
      // the parent widgets, and the window's own wheel handler would act
      // on it a second time.
      wheel->accept();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

namespace {

// Finger x positions as last recorded; 0 means not recorded. Process-wide:
// one window per process.
int fingerX0 = 0;
int fingerX1 = 0;

void recordFingers(const QList<QTouchEvent::TouchPoint> &points) {
  fingerX0 = static_cast<int>(fingerX0 == 0 ? points[0].lastPos().x() : points[0].startPos().x());
  fingerX1 = static_cast<int>(fingerX1 == 0 ? points[1].lastPos().x() : points[1].startPos().x());
}

enum class Pinch { None, Apart, Together };

Pinch pinchOf(int p0, int p1) {
  if (fingerX0 < fingerX1) {
    if (fingerX1 + 30 < p1 && p0 < fingerX0 - 30) return Pinch::Apart;
    if (fingerX1 - p1 > 30 && p0 - fingerX0 > 30) return Pinch::Together;
  } else if (fingerX0 > fingerX1) {
    if (fingerX0 + 30 < p0 && p1 < fingerX1 - 30) return Pinch::Apart;
    if (fingerX0 - p0 > 30 && p1 - fingerX1 > 30) return Pinch::Together;
  }
  return Pinch::None;
}

}  // namespace

void PictureShowDlg::handleTouch(QTouchEvent *event) {
  const QList<QTouchEvent::TouchPoint> &points = event->touchPoints();
  if (event->touchPointStates() == 0) {
    fingerX0 = fingerX1 = 0;
    qDebug() << "globle pos set 0";
    return;
  }
  if (points.size() >= 2 && pageview::pinchThrottle().accept()) {
    const int p0 = static_cast<int>(points[0].pos().x());
    const int p1 = static_cast<int>(points[1].pos().x());
    qDebug() << p0 << "  " << p1 << "  " << fingerX0 << "  " << fingerX1;
    recordFingers(points);
    qDebug() << p0 << "  " << p1 << "  " << fingerX0 << "  " << fingerX1;
    const Pinch pinch = pinchOf(p0, p1);
    if (pinch != Pinch::None && item_) {
      ctrl_held_ = true;
      item_->setCtrlHeld(true);
      const QPoint middle((static_cast<int>(points[1].startPos().x()) +
                           static_cast<int>(points[0].startPos().x())) /
                              2,
                          (static_cast<int>(points[1].startPos().y()) +
                           static_cast<int>(points[0].startPos().y())) /
                              2);
      // The zoom may rebuild the scene; the old item stays alive until
      // deferred deletion, so it is safe to call into it here.
      item_->wheelAction(pinch == Pinch::Apart, mapToGlobal(middle));
      fingerX0 = fingerX1 = 0;
    }
  }
  ctrl_held_ = false;
  if (item_) item_->setCtrlHeld(false);
}

bool PictureShowDlg::event(QEvent *event) {
  switch (event->type()) {
    case QEvent::TouchBegin: {
      auto *touch = static_cast<QTouchEvent *>(event);
      if (touch->touchPoints().size() >= 2) recordFingers(touch->touchPoints());
      event->accept();
      return true;
    }
    case QEvent::TouchEnd:
      fingerX0 = fingerX1 = 0;
      return true;
    case QEvent::TouchUpdate:
      handleTouch(static_cast<QTouchEvent *>(event));
      return true;
    default:
      return QWidget::event(event);
  }
}
