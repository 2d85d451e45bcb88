// Collects what the code under test writes through Qt's message handler,
// for as long as the capture lives.
#ifndef PAGEVIEW_TESTS_DOCUMENT_MESSAGE_CAPTURE_H
#define PAGEVIEW_TESTS_DOCUMENT_MESSAGE_CAPTURE_H

#include <QtGlobal>
#include <string>
#include <vector>

struct CapturedMessage {
  QtMsgType type;
  std::string category;
  std::string text;
};

class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture &) = delete;
  MessageCapture &operator=(const MessageCapture &) = delete;

  const std::vector<CapturedMessage> &all() const;
  // The texts of debug messages in the "default" category, in order.
  std::vector<std::string> debugTexts() const;

 private:
  QtMessageHandler previous_;
};

#endif
