// The viewer's command line: what a host passes when it starts pageview for
// one protected document, checked and turned into the values the viewer
// window is given. Pure code over (argc, argv) so that every rule can be
// exercised without a window; main only reports a failure and exits.
//
// The command line, after the program name (exactly seven arguments):
//   1  path of the protected file (local 8-bit encoding)
//   2  launch token: 150 hexadecimal digits, the content key enciphered
//      under the built-in token key (main's "-", which reads it from
//      standard input, is launch_intake.h's)
//   3  content nonce in Base64 (its first 8 bytes are used)
//   4  container variant of a PDF: "v1" (512-byte header, then the
//      ciphertext) or "v2" (ciphertext only)
//   5  document kind: "pdf" or "image"
//   6  watermark text, may be empty (local 8-bit encoding)
//   7  present, not used
#ifndef PAGEVIEW_LAUNCH_LAUNCH_ARGUMENTS_H
#define PAGEVIEW_LAUNCH_LAUNCH_ARGUMENTS_H

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <variant>

#include "content_nonce.h"
#include "token_unwrap.h"

namespace pageview {

constexpr int kLaunchArgumentCount = 8;  // the program name and seven arguments

// What the viewer window is given, in the order it takes them.
struct LaunchParameters {
  QString path;         // argument 1: window title
  QByteArray pathUtf8;  // the same path as UTF-8: the file the document layer opens
  std::array<unsigned char, kContentKeyBytes> contentKey{};
  std::array<unsigned char, kNonceBufferBytes> nonce{};  // the document uses the first 8
  bool isImage = false;  // argument 5 is exactly "image"
  QString variant;       // argument 4 as given
  QString watermark;     // argument 6; empty when it is empty

  LaunchParameters() = default;
  LaunchParameters(const LaunchParameters &) = default;
  LaunchParameters &operator=(const LaunchParameters &) = default;
  // The key does not linger in freed memory.
  ~LaunchParameters();
};

// Why the viewer does not start: the message to write (null for a silent
// exit) and the process exit code.
struct LaunchFailure {
  const char *message;
  int exitCode;
};

using LaunchOutcome = std::variant<LaunchParameters, LaunchFailure>;

// Checks the command line and unwraps the launch token, in this order:
//   argument count not 8                 "input param count error !"  exit 1
//   argument 1, 2 or 3 missing (null)    "param error !"              exit 1
//   launch token not 150 characters      (no message)                 exit 1
//   token key schedule cannot be built   "launch token key error !"   exit 1
//     (the crypto backend failed)
//   with a maximum token age built in (token_age.h):
//     token older than that              "launch token expired !"     exit 1
//     issued in the future               "launch token issued in the future !"
//                                                                     exit 1
//     no issuing time in its text        "launch token without issuing time !"
//                                                                     exit 1
//   nonce not decodable Base64, or over
//     64 bytes decoded                   "iv base64 decode failed !"  exit 1
//   kind "pdf" with a variant other
//     than "v1" or "v2"                  "input param count error !"  exit 1
// Kind and variant compare case-sensitively: a kind other than "pdf" and
// "image" (say "PDF") is shown as a PDF without a variant check. Token
// digits that are not hexadecimal are not refused: they make a wrong
// content key, which shows when the document is opened.
LaunchOutcome parseLaunchArguments(int argc, const char *const *argv);

// Writes the failure's message, if it has one, to Qt's debug stream
// (category "default"). main then exits with failure.exitCode.
void reportLaunchFailure(const LaunchFailure &failure);

}  // namespace pageview

#endif
