// The player's main window: the video output draws into it, the control
// bar floats over its bottom edge, and it turns keys, mouse and close
// requests into player requests. While a video plays, all of its events
// arrive from within the blocking playback call.
#ifndef MORLAN_MORLAN_WINDOW_H
#define MORLAN_MORLAN_WINDOW_H

#include <QWidget>

#include "bottom_widget.h"
#include "cinelock.h"
#include "morlan_form.h"

class QTimerEvent;

class Morlan : public QWidget {
  Q_OBJECT

 public:
  explicit Morlan(QWidget *parent = nullptr);
  ~Morlan() override;

  // Prepares the video (encrypting sourcePath first when mode is not 0),
  // then plays it; returns when playback has ended or failed. key: 32
  // bytes; header: 512 bytes, used in play mode only.
  void openVideo(const char *sourcePath, const unsigned char *key, const unsigned char *header,
                 int mode);
  // Embeds the video output, creates the player and plays until it ends.
  void runPlayer();

  BottomWidget &controlBar() { return m_bottom; }

 public slots:
  void timerEvent(QTimerEvent *e) override;
  void play();
  void finish();
  void pause();
  void resume();
  void forward(int tick);
  void backward(int tick);
  void seek(int pos);
  void videoQuit();

 protected:
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  bool pointerInLowerHalf() const;
  void followWithBar();
  bool prepareEncryptedCopy();

  MorlanForm ui;
  BottomWidget m_bottom;  // a tool window of its own, transient for this one
  char m_sourcePath[256] = {};
  char m_playPath[256] = {};
  unsigned char m_key[32] = {};
  video_player *m_player = nullptr;
  unsigned char m_header[512] = {};
};

#endif
