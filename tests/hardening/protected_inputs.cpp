#include "protected_inputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <set>
#include <stdexcept>

#include "launch_material.h"
#include "launch_token_keys.h"
#include "protected_clip.h"
#include "support/files.h"
#include "support/oracle.h"

extern "C" {
#include <libavutil/log.h>
}

namespace hardening_test {

using namespace folio_test;

namespace {

const Bytes kContentKey = random_bytes(32, 0x68617264);
const Bytes kContentNonce = random_bytes(8, 0x6e6f6e63);

std::string toText(const Bytes &bytes) { return std::string(bytes.begin(), bytes.end()); }

// pageview's token: an 11-byte leading field and the key's 64 digits,
// enciphered under the built-in token key from position 0, 150 digits.
std::string pageviewToken(const Bytes &key) {
  const std::string text = "1" + std::string(10, '7') + to_hex(key);
  const Bytes nonce = slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8);
  std::string digits = to_hex(oracle::aes_ctr(bytes_of(FOLIO_TOKEN_KEY), nonce, 0, bytes_of(text)));
  std::transform(digits.begin(), digits.end(), digits.begin(), ::toupper);
  return digits;
}

ProtectedInput protectDocument(const ScratchDir &dir, const std::string &name, const Bytes &clear,
                               bool withHeader) {
  ProtectedInput input;
  input.path = dir.path(name);
  input.clear = clear;
  const Bytes ciphertext = oracle::aes_ctr(kContentKey, kContentNonce, 0, clear);
  write_file(input.path, withHeader ? concat(random_bytes(512, 0x6864), ciphertext) : ciphertext);
  input.token = pageviewToken(kContentKey);
  input.nonce = oracle::base64(kContentNonce);
  input.markers = clearPieces(clear, ciphertext, 96);
  return input;
}

}  // namespace

std::vector<std::string> clearPieces(const Bytes &clear, const Bytes &ciphertext, std::size_t step) {
  constexpr std::size_t kPiece = 24;
  const std::string cipherText = toText(ciphertext);
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at + kPiece <= clear.size(); at += step) {
    const std::string piece = toText(slice(clear, at, kPiece));
    if (std::set<char>(piece.begin(), piece.end()).size() < 8) continue;
    if (cipherText.find(piece) != std::string::npos) continue;
    pieces.push_back(piece);
  }
  return pieces;
}

ProtectedInput protectedPdf(const ScratchDir &dir) {
  const std::string marker = "FOLIO-HARDENING-PLAINTEXT-MARKER-PDF-0f3e9a";
  const Bytes clear = concat(read_file(HARDENING_SAMPLES_DIR "/report.pdf"), bytes_of("%" + marker + "\n"));
  ProtectedInput input = protectDocument(dir, "report.v1", clear, true);
  input.markers.push_back(marker);
  input.markers.push_back("Confidential: distribution by the document owner only.");
  return input;
}

ProtectedInput protectedImage(const ScratchDir &dir) {
  // Under 40 characters: Qt writes longer texts compressed (zTXt).
  const std::string marker = "FOLIO-PNG-MARKER-7b21c4e0";
  QImage image(240, 160, QImage::Format_RGB32);
  image.fill(QColor(20, 110, 200));
  QPainter painter(&image);
  painter.fillRect(40, 40, 120, 60, QColor(230, 180, 30));
  painter.end();
  image.setText(QStringLiteral("Comment"), QString::fromLatin1(marker.c_str()));
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "png"))
    throw std::runtime_error("the test image could not be made");
  const Bytes clear(png.begin(), png.end());
  if (toText(clear).find(marker) == std::string::npos)
    throw std::runtime_error("the image's text chunk does not hold the marker");
  ProtectedInput input = protectDocument(dir, "image.protected", clear, false);
  input.markers.push_back(marker);
  return input;
}

ProtectedInput protectedClip(const ScratchDir &dir, double seconds) {
  const morlan_test::ProtectedClip clip = morlan_test::makeProtectedClip(dir, seconds, "clip");
  ProtectedInput input;
  input.path = clip.protectedPath;
  input.token = morlan_test::tokenFor(morlan_test::tokenTextFor(clip.key));
  input.header = morlan_test::headerArgumentFor(clip.headerBlock);
  const std::vector<Bytes> clear = morlan_test::videoPackets(clip.clearPath);
  // FFmpeg's parser complains of every enciphered packet it reads here.
  const int logLevel = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  const std::vector<Bytes> sealed = morlan_test::videoPackets(clip.protectedPath);
  av_log_set_level(logLevel);
  const Bytes protectedFile = read_file(clip.protectedPath);
  // Only the packets the protected file holds enciphered: their clear bytes
  // exist nowhere but in the player's memory once deciphered.
  for (std::size_t i = 0; i < clear.size() && i < sealed.size(); ++i) {
    if (clear[i].size() + 8 != sealed[i].size()) continue;  // kept clear: no trailer
    for (const std::string &piece : clearPieces(clear[i], protectedFile, 256))
      input.markers.push_back(piece);
  }
  input.clear = read_file(clip.clearPath);
  ::unlink(clip.clearPath.c_str());  // the clear clip is not the player's to see
  return input;
}

std::vector<std::string> pageviewArguments(const ProtectedInput &input, const std::string &kind,
                                           bool tokenFromInput) {
  return {input.path, tokenFromInput ? "-" : input.token, input.nonce, "v1", kind, "hardening@example.com", "-"};
}

std::vector<std::string> morlanArguments(const ProtectedInput &input, bool fromInput) {
  if (fromInput) return {input.path, "-", "-"};
  return {input.path, input.token, input.header};
}

void openToEveryone(const ScratchDir &dir, const std::vector<std::string> &files) {
  if (::chmod(dir.root().c_str(), 0755) != 0) throw std::runtime_error("chmod " + dir.root());
  for (const std::string &file : files)
    if (::chmod(file.c_str(), 0644) != 0) throw std::runtime_error("chmod " + file);
}

}  // namespace hardening_test
