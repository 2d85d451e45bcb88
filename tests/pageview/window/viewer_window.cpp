#include "viewer_window.h"

#include <QApplication>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "image_widget.h"
#include "input_throttle.h"
#include "protected_samples.h"

namespace window_test {

namespace {
std::int64_t testNow = 1000000;
std::int64_t testClock() { return testNow; }
}  // namespace

void useTestClock() { pageview::setInputClock(testClock); }
void advanceClock(int milliseconds) { testNow += milliseconds; }

std::unique_ptr<PictureShowDlg> openWindow(const std::string &path, bool isImage, QSize size) {
  auto window = std::make_unique<PictureShowDlg>(QByteArray::fromStdString(path), nullptr,
                                                 kKey.data(), kNonceBuffer.data(), isImage,
                                                 QStringLiteral("v2"), QStringLiteral("TEST"));
  window->resize(size);
  window->show();
  (void)QTest::qWaitForWindowExposed(window.get());
  window->activateWindow();
  (void)QTest::qWaitForWindowActive(window.get());
  QApplication::processEvents();
  window->openDocument();
  return window;
}

void flushDeletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void wheelOverView(PictureShowDlg &window, QPoint position, int angleDelta, bool vertical) {
  QWidget *viewport = window.form().graphicsView->viewport();
  const QPoint angle = vertical ? QPoint(0, angleDelta) : QPoint(angleDelta, 0);
  QWheelEvent event(QPointF(position), QPointF(viewport->mapToGlobal(position)), QPoint(), angle,
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &event);
}

void pressKeyInView(PictureShowDlg &window, int key) {
  QTest::keyClick(window.form().graphicsView, static_cast<Qt::Key>(key));
}

void typeScale(PictureShowDlg &window, const QString &text) {
  window.form().lineEditScale->setText(text);
  QTest::keyClick(window.form().lineEditScale, Qt::Key_Return);
}

QPointF pagePointUnder(const PictureShowDlg &window, QPoint position) {
  const QGraphicsView *view = window.form().graphicsView;
  const ImageWidget *item = window.pageItem();
  const QPointF inItem = item->mapFromScene(view->mapToScene(position));
  const QRectF bounds = item->boundingRect();
  return inItem - bounds.topLeft();
}

}  // namespace window_test
