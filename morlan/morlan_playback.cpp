// openVideo and runPlayer: preparing a video and playing it to its end.
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstring>
#include <string>

#include "cinelock_bridge.h"
#include "encrypted_copy_path.h"
#include "folioc_binding.h"
#include "launch_keys.h"
#include "morlan_window.h"
#include "playback_flags.h"
#include "platform/secret_arguments.h"

namespace {

constexpr int kPositionTickMs = 15;
constexpr int kVideoWidth = 1024;
constexpr int kVideoHeight = 576;

// The player runs its own loop on this thread; Qt's windows, input and
// timers are served from it through this pump.
void serveQtEvents(void *) { QCoreApplication::processEvents(); }

void say(const char *message) {
  std::fputs(message, stdout);
  std::fflush(stdout);
}

morlan::VideoKeyBlock keyBlockOf(const unsigned char *key) {
  morlan::VideoKeyBlock block;
  block.keyBits = 256;
  std::memcpy(block.key, key, sizeof block.key);
  return block;
}

}  // namespace

// Protects the source beside itself and leaves the new header block, with
// the wrapped content key stored in it, in m_header.
bool Morlan::prepareEncryptedCopy() {
  const std::string outputPath = morlan::encryptedCopyPath(m_sourcePath);
  int headerLength = sizeof m_header;
  // The play path buffer bounds the name the copy may have.
  if (outputPath.size() >= sizeof m_playPath ||
      morlan::encryptVideo(m_sourcePath, outputPath.c_str(), keyBlockOf(m_key), m_header,
                           &headerLength) != 0) {
    say("fail to encrypt file!\n");
    return false;
  }
  const morlan::FoliocFunctions &folioc = morlan::folioc();
  const int handle = folioc.init(morlan::builtInTokenKey(), 32, morlan::builtInTokenNonce());
  if (handle == -1) return false;
  unsigned char wrappedKey[32];
  std::memcpy(wrappedKey, m_key, sizeof wrappedKey);
  bool stored = false;
  if (folioc.crypt(handle, wrappedKey, sizeof wrappedKey, 0) == 0) {
    stored = video_set_keycipher(wrappedKey, sizeof wrappedKey, m_header, &headerLength) == 0;
    if (!stored) say("video_set_keycipher failed!\n");
  }
  folioc.clean(handle);
  wipe_secret(wrappedKey, sizeof wrappedKey);
  if (stored) std::memcpy(m_playPath, outputPath.c_str(), outputPath.size() + 1);
  return stored;
}

void Morlan::openVideo(const char *sourcePath, const unsigned char *key,
                       const unsigned char *header, int mode) {
  std::strncpy(m_sourcePath, sourcePath, sizeof m_sourcePath - 1);
  std::memcpy(m_key, key, sizeof m_key);
  if (mode != 0) {
    if (!prepareEncryptedCopy()) return;
  } else {
    std::memcpy(m_header, header, sizeof m_header);
    std::memcpy(m_playPath, m_sourcePath, sizeof m_playPath);
  }
  setWindowTitle(QString::fromLocal8Bit(m_playPath));

  int seconds = 0;
  const int result = video_get_timespan(m_playPath, m_header, sizeof m_header, &seconds);
  if (result != 0) {
    std::printf("fail to get video timespan, ret:%d!\n", result);
    std::fflush(stdout);
    return;
  }
  m_bottom.setTotalTime(seconds);
  startTimer(kPositionTickMs, Qt::CoarseTimer);
  morlan::g_paused = false;
  m_bottom.setPlayStatus(true);
  runPlayer();
}

void Morlan::runPlayer() {
  if (video_create_window(kVideoWidth, kVideoHeight, 1.0,
                          reinterpret_cast<void *>(static_cast<quintptr>(winId()))) != 0) {
    say("fail to init windows!\n");
    return;
  }
  m_player = morlan::createPlayer(m_playPath, keyBlockOf(m_key), m_header, sizeof m_header);
  if (!m_player) {
    say("fail to create player\n");
    return;
  }
  show();
  morlan::g_playerRunning = true;
  video_set_message_pump(serveQtEvents, nullptr);
  const int result = video_crypt_player_play(m_player);
  video_set_message_pump(nullptr, nullptr);
  if (result != 0) {
    say("fail to play video\n");
    return;
  }
  m_player = nullptr;
  video_destroy_window();
  morlan::g_playerRunning = false;
  close();
}
