// Opening a viewer window on a protected file for a test, and the input a
// user would give it.
#ifndef PAGEVIEW_TESTS_WINDOW_VIEWER_WINDOW_H
#define PAGEVIEW_TESTS_WINDOW_VIEWER_WINDOW_H

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <memory>
#include <string>

#include "picture_show_dlg.h"

namespace window_test {

// Shown at size (not maximised), then the document is opened, as start-up
// does.
std::unique_ptr<PictureShowDlg> openWindow(const std::string &path, bool isImage,
                                           QSize size = QSize(1035, 719));

// Deletes the scenes the window has let go of.
void flushDeletions();

// A wheel turn of angleDelta (vertical when vertical) at position in the
// graphics view's viewport.
void wheelOverView(PictureShowDlg &window, QPoint position, int angleDelta, bool vertical = true);

// A key press and release delivered to the graphics view (and so to the
// page item, the scene's focus item).
void pressKeyInView(PictureShowDlg &window, int key);

// Types text into the scale box and presses Return, as a user sets a zoom.
void typeScale(PictureShowDlg &window, const QString &text);

// The page point (in pixels of the page as shown) under position in the
// viewport.
QPointF pagePointUnder(const PictureShowDlg &window, QPoint position);

// The test clock behind the 300 ms input limits.
void useTestClock();
void advanceClock(int milliseconds);

}  // namespace window_test

#endif
