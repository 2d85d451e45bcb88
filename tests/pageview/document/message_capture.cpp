#include "message_capture.h"

#include <QString>

namespace {

std::vector<CapturedMessage> &captured() {
  static std::vector<CapturedMessage> messages;
  return messages;
}

void record(QtMsgType type, const QMessageLogContext &context, const QString &text) {
  captured().push_back({type, context.category ? context.category : "", text.toStdString()});
}

}  // namespace

MessageCapture::MessageCapture() : previous_(qInstallMessageHandler(record)) {
  captured().clear();
}

MessageCapture::~MessageCapture() { qInstallMessageHandler(previous_); }

const std::vector<CapturedMessage> &MessageCapture::all() const { return captured(); }

std::vector<std::string> MessageCapture::debugTexts() const {
  std::vector<std::string> texts;
  for (const CapturedMessage &message : captured())
    if (message.type == QtDebugMsg && message.category == "default") texts.push_back(message.text);
  return texts;
}
