// Progress reports during a transcode: per calling thread, rising to the
// input's size.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

#include "cinelock.h"
#include "protected_clips.h"

namespace folio_test {
namespace {

struct Reports {
  std::vector<std::int64_t> done;
  std::int64_t total = 0;
};

void record(void *context, std::int64_t done, std::int64_t total) {
  auto *reports = static_cast<Reports *>(context);
  reports->done.push_back(done);
  reports->total = total;
}

std::int64_t size_of(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

TEST(Progress, ReportsRiseToTheInputSizeOnTheRegisteringThreadOnly) {
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 2;
  ASSERT_TRUE(make_clip_in(dir, "in.mp4", options));
  const std::string input = dir.path("in.mp4");

  Reports reports;
  video_crypt_set_progress(record, &reports);
  // Another thread's transcode reports nothing here.
  std::thread([&] { EXPECT_EQ(protect(input, dir.path("other.mp4")), 0); }).join();
  EXPECT_TRUE(reports.done.empty());

  ASSERT_EQ(protect(input, dir.path("sealed.mp4")), 0);
  ASSERT_GT(reports.done.size(), 10u);
  EXPECT_EQ(reports.total, size_of(input));
  for (std::size_t i = 1; i < reports.done.size(); ++i) EXPECT_GE(reports.done[i], reports.done[i - 1]);
  EXPECT_GT(reports.done.back(), reports.total / 2);
  EXPECT_LE(reports.done.back(), reports.total);

  reports = {};
  ASSERT_EQ(restore(dir.path("sealed.mp4"), dir.path("restored.mp4")), 0);
  EXPECT_EQ(reports.total, size_of(dir.path("sealed.mp4")));

  video_crypt_set_progress(nullptr, nullptr);
  reports = {};
  ASSERT_EQ(protect(input, dir.path("again.mp4")), 0);
  EXPECT_TRUE(reports.done.empty());
}

}  // namespace
}  // namespace folio_test
