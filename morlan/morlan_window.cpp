// Construction and the slots that turn requests into player calls.
#include "morlan_window.h"

#include <QIcon>

#include "playback_flags.h"
#include "platform/secret_arguments.h"

using morlan::g_paused;
using morlan::g_playerRunning;

// The bar is a window of its own, but made with this window as its parent:
// Qt marks it transient for this window (WM_TRANSIENT_FOR), so a window
// manager keeps it stacked above this one, in full screen too. Without a
// parent Qt makes it transient for a hidden leader window instead, and a
// window manager stacks the full-screen video over it.
Morlan::Morlan(QWidget *parent) : QWidget(parent), m_bottom(this) {
  ui.setupUi(this);
  setWindowIcon(QIcon(QStringLiteral(":/Morlan/Resources/viewer_icon.png")));
  setAttribute(Qt::WA_MouseTracking);
  connect(&m_bottom, SIGNAL(signalPause()), this, SLOT(pause()));
  connect(&m_bottom, SIGNAL(signalResume()), this, SLOT(resume()));
  connect(&m_bottom, SIGNAL(signalSeek(int)), this, SLOT(seek(int)));
  // The video output paints the window; Qt painting over it would flicker.
  setUpdatesEnabled(false);
}

// The content key does not linger in freed memory.
Morlan::~Morlan() { wipe_secret(m_key, sizeof m_key); }

void Morlan::timerEvent(QTimerEvent *) {
  if (!g_playerRunning) return;
  m_bottom.updateCurrentTime(video_crypt_player_getpos(m_player));
}

void Morlan::play() {
  if (g_paused) {
    g_paused = false;
    video_crypt_player_resume(m_player);
  } else {
    g_paused = true;
    video_crypt_player_pause(m_player);
  }
  m_bottom.setPlayStatus(!g_paused);
}

void Morlan::finish() { close(); }

void Morlan::pause() {
  g_paused = true;
  video_crypt_player_pause(m_player);
}

void Morlan::resume() {
  g_paused = false;
  video_crypt_player_resume(m_player);
}

void Morlan::forward(int tick) { video_crypt_player_seek(m_player, tick); }

void Morlan::backward(int tick) { video_crypt_player_seek(m_player, -tick); }

void Morlan::seek(int pos) { video_crypt_player_seekto(m_player, pos); }

void Morlan::videoQuit() {
  if (!g_playerRunning) return;
  g_playerRunning = false;
  video_crypt_player_close(m_player);
}
