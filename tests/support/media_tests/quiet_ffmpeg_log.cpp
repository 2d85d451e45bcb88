// Encoder statistics and muxer notices would bury test failures; errors
// still show.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

class QuietFfmpegLog : public ::testing::Environment {
 public:
  void SetUp() override { av_log_set_level(AV_LOG_ERROR); }
};

const auto *const registered = ::testing::AddGlobalTestEnvironment(new QuietFfmpegLog);

}  // namespace
