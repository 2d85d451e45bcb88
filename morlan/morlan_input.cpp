// Keys, mouse, and the control bar following the window.
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>

#include "morlan_window.h"
#include "playback_flags.h"

namespace {

constexpr int kSeekStepSeconds = 10;

}  // namespace

bool Morlan::pointerInLowerHalf() const { return QCursor::pos().y() > y() + height() / 2; }

void Morlan::followWithBar() {
  const QRect g = geometry();
  m_bottom.move(g.x(), g.y() + g.height() - m_bottom.height());
}

void Morlan::mouseDoubleClickEvent(QMouseEvent *) {
  if (windowState() & Qt::WindowFullScreen)
    showNormal();
  else
    showFullScreen();
}

void Morlan::mouseMoveEvent(QMouseEvent *) {
  if (pointerInLowerHalf())
    m_bottom.show();
  else
    m_bottom.hide();
}

void Morlan::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      play();
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

// On release, so that a held key seeks once per auto-repeat rather than
// twice (press and release).
void Morlan::keyReleaseEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Left:
      video_crypt_player_seek(m_player, -kSeekStepSeconds);
      break;
    case Qt::Key_Right:
      video_crypt_player_seek(m_player, kSeekStepSeconds);
      break;
    default:
      QWidget::keyReleaseEvent(event);
  }
}

void Morlan::enterEvent(QEvent *event) {
  if (pointerInLowerHalf() && !isHidden()) m_bottom.show();
  QWidget::enterEvent(event);
}

// Leaving the window onto the bar keeps the bar.
void Morlan::leaveEvent(QEvent *event) {
  if (!m_bottom.geometry().contains(QCursor::pos())) m_bottom.hide();
  QWidget::leaveEvent(event);
}

void Morlan::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  followWithBar();
}

void Morlan::resizeEvent(QResizeEvent *) {
  m_bottom.resize(geometry().width(), m_bottom.height());
  followWithBar();
}

// A close request during playback only asks the player to end; the window
// closes once the playback call has returned and closes it again.
void Morlan::closeEvent(QCloseEvent *event) {
  if (morlan::g_playerRunning) {
    morlan::g_playerRunning = false;
    video_crypt_player_close(m_player);
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}
