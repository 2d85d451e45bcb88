// Document kind and container variant: "pdf" needs "v1" or "v2", "image"
// takes any variant, and any other kind is shown as a PDF unchecked. Both
// compare case-sensitively.
#include <gtest/gtest.h>

#include "launch_command_line.h"
#include "token_oracle.h"

using namespace folio_test;

namespace launch_test {
namespace {

pageview::LaunchOutcome launch_as(const std::string &variant, const std::string &kind) {
  auto words = wellFormedWords(sampleToken(), kSampleNonce);
  words[3] = variant;
  words[4] = kind;
  return LaunchCommandLine(words).parse();
}

TEST(PdfKind, TakesBothVariantsAndHandsThemOn) {
  for (const char *variant : {"v1", "v2"}) {
    const auto outcome = launch_as(variant, "pdf");
    const pageview::LaunchParameters &parameters = parametersOf(outcome);
    EXPECT_FALSE(parameters.isImage) << variant;
    EXPECT_EQ(parameters.variant, QString::fromLatin1(variant));
  }
}

TEST(PdfKind, RefusesAnyOtherVariant) {
  for (const char *variant : {"V1", "V2", "v3", "", "v1 ", "1"}) {
    const auto outcome = launch_as(variant, "pdf");
    const pageview::LaunchFailure &failure = failureOf(outcome);
    EXPECT_STREQ(failure.message, "input param count error !") << variant;
    EXPECT_EQ(failure.exitCode, 1) << variant;
  }
}

TEST(ImageKind, TakesAnyVariantAndSetsTheImageFlag) {
  for (const char *variant : {"v1", "v2", "V1", "", "anything"}) {
    const auto outcome = launch_as(variant, "image");
    const pageview::LaunchParameters &parameters = parametersOf(outcome);
    EXPECT_TRUE(parameters.isImage) << variant;
    EXPECT_EQ(parameters.variant, QString::fromLatin1(variant));
  }
}

TEST(OtherKind, IsShownAsAPdfWithoutAVariantCheck) {
  for (const char *kind : {"PDF", "Image", "IMAGE", "", "doc"}) {
    for (const char *variant : {"v1", "V1", "zzz"}) {
      const auto outcome = launch_as(variant, kind);
      const pageview::LaunchParameters &parameters = parametersOf(outcome);
      EXPECT_FALSE(parameters.isImage) << kind << " " << variant;
      EXPECT_EQ(parameters.variant, QString::fromLatin1(variant));
    }
  }
}

}  // namespace
}  // namespace launch_test
