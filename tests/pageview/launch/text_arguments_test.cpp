// The path and the watermark are text in the local 8-bit encoding (UTF-8
// here): the window title and the opened file must name the same file,
// and an empty watermark is an empty text.
#include <gtest/gtest.h>

#include "launch_command_line.h"
#include "token_oracle.h"

using namespace folio_test;

namespace launch_test {
namespace {

pageview::LaunchOutcome launch_at(const std::string &path, const std::string &watermark) {
  auto words = wellFormedWords(sampleToken(), kSampleNonce);
  words[0] = path;
  words[5] = watermark;
  return LaunchCommandLine(words).parse();
}

TEST(PathArgument, NonAsciiPathGivesTheSameFileAsTitleAndAsUtf8) {
  // "Berichte/Übersicht – 2024.fpd" in UTF-8, written out byte by byte.
  const std::string path =
      "/tmp/Berichte/\xc3\x9c" "bersicht \xe2\x80\x93 2024.fpd";
  const auto outcome = launch_at(path, "");
  const pageview::LaunchParameters &parameters = parametersOf(outcome);
  EXPECT_EQ(parameters.path, QStringLiteral(u"/tmp/Berichte/\u00dcbersicht \u2013 2024.fpd"));
  EXPECT_EQ(parameters.pathUtf8, QByteArray::fromStdString(path));
}

TEST(WatermarkArgument, EmptyArgumentIsAnEmptyText) {
  const auto outcome = launch_at("/tmp/a.fpd", "");
  const pageview::LaunchParameters &parameters = parametersOf(outcome);
  EXPECT_TRUE(parameters.watermark.isEmpty());
}

TEST(WatermarkArgument, NonAsciiTextIsDecoded) {
  const auto outcome = launch_at("/tmp/a.fpd", "Vertraulich \xe2\x80\x94 M\xc3\xbcller");
  EXPECT_EQ(parametersOf(outcome).watermark,
            QStringLiteral(u"Vertraulich \u2014 M\u00fcller"));
}

}  // namespace
}  // namespace launch_test
