// What main writes for a refused launch: the message alone on Qt's debug
// stream in the "default" category, and nothing for a silent refusal.
#include <gtest/gtest.h>

#include <QtGlobal>
#include <string>
#include <vector>

#include "pageview/launch/launch_arguments.h"

namespace launch_test {
namespace {

struct CapturedMessage {
  QtMsgType type;
  std::string category;
  std::string text;
};

std::vector<CapturedMessage> captured;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text) {
  captured.push_back({type, context.category ? context.category : "", text.toStdString()});
}

// Installs the capturing handler for one test and restores the previous one.
class CapturedQtMessages {
 public:
  CapturedQtMessages() : previous_(qInstallMessageHandler(capture)) { captured.clear(); }
  ~CapturedQtMessages() { qInstallMessageHandler(previous_); }
  const std::vector<CapturedMessage> &messages() const { return captured; }

 private:
  QtMessageHandler previous_;
};

TEST(LaunchFailureReport, WritesTheMessageVerbatimToTheDebugStream) {
  for (const char *message :
       {"input param count error !", "param error !", "iv base64 decode failed !"}) {
    const CapturedQtMessages messages;
    pageview::reportLaunchFailure({message, 1});
    ASSERT_EQ(messages.messages().size(), 1u) << message;
    const CapturedMessage &written = messages.messages()[0];
    EXPECT_EQ(written.type, QtDebugMsg);
    EXPECT_EQ(written.category, "default");
    EXPECT_EQ(written.text, message);
  }
}

TEST(LaunchFailureReport, ASilentFailureWritesNothing) {
  const CapturedQtMessages messages;
  pageview::reportLaunchFailure({nullptr, 1});
  EXPECT_TRUE(messages.messages().empty());
}

TEST(LaunchFailureReport, ParsingWritesNothingMainWritesTheMessageOnce) {
  const char *refused[] = {"pageview", "only-one", nullptr};
  const CapturedQtMessages messages;
  const auto outcome = pageview::parseLaunchArguments(2, refused);
  EXPECT_TRUE(messages.messages().empty());
  pageview::reportLaunchFailure(std::get<pageview::LaunchFailure>(outcome));
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].text, "input param count error !");
}

TEST(LaunchFailureReport, AnAcceptedLaunchWritesNothing) {
  // Nothing about the token or the key reaches a log.
  const std::string token(150, 'A');
  const char *accepted[] = {"pageview", "/tmp/a.fpd", token.c_str(), "AAECAwQFBgc=", "v1",
                            "pdf",      "",           "-",           nullptr};
  const CapturedQtMessages messages;
  const auto outcome = pageview::parseLaunchArguments(8, accepted);
  EXPECT_TRUE(std::holds_alternative<pageview::LaunchParameters>(outcome));
  EXPECT_TRUE(messages.messages().empty());
}

}  // namespace
}  // namespace launch_test
