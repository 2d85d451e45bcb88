// The zoom model against the viewer's stated rules: the step table, zoom
// in and out between steps, percentages, the scale box and fit modes.
#include <gtest/gtest.h>

#include "scale_model.h"

using namespace pageview;

TEST(ScaleSteps, ZoomMovesBetweenNeighbouringSteps) {
  EXPECT_FLOAT_EQ(nextScaleUp(0.9f), 1.0f);
  EXPECT_FLOAT_EQ(nextScaleDown(0.9f), 0.6666667f);
  EXPECT_FLOAT_EQ(nextScaleUp(1.0f), 1.25f) << "an exact step moves on to the next one";
  EXPECT_FLOAT_EQ(nextScaleDown(1.0f), 0.6666667f);
  EXPECT_FLOAT_EQ(nextScaleUp(0.01f), 0.0625f);
  EXPECT_FLOAT_EQ(nextScaleDown(0.05f), 0.05f) << "nothing below the smallest step";
  EXPECT_FLOAT_EQ(nextScaleUp(8.0f), 8.0f) << "nothing above the largest step";
  EXPECT_FLOAT_EQ(nextScaleDown(100.0f), 8.0f);
}

TEST(ScaleSteps, EveryStepIsReachedInOrder) {
  float scale = 0.01f;
  for (const float step : kScaleSteps) {
    scale = nextScaleUp(scale);
    EXPECT_EQ(scale, step);
  }
  for (auto it = kScaleSteps.rbegin() + 1; it != kScaleSteps.rend(); ++it) {
    scale = nextScaleDown(scale);
    EXPECT_EQ(scale, *it);
  }
}

TEST(ScaleSteps, MenuEntriesMatchOnlyExactSteps) {
  EXPECT_EQ(stepIndexOf(0.0625f), 0);
  EXPECT_EQ(stepIndexOf(0.3333333f), 3);
  EXPECT_EQ(stepIndexOf(8.0f), 13);
  EXPECT_EQ(stepIndexOf(0.33f), -1) << "33% typed back is not the one-third step";
  EXPECT_EQ(stepIndexOf(0.87f), -1);
}

TEST(PercentageText, WholePercentTruncated) {
  EXPECT_EQ(percentageText(0.3333333f), "33%");
  EXPECT_EQ(percentageText(0.6666667f), "66%");
  EXPECT_EQ(percentageText(0.0625f), "6%");
  EXPECT_EQ(percentageText(1.0f), "100%");
  EXPECT_EQ(percentageText(0.8734f), "87%");
  EXPECT_EQ(percentageText(8.0f), "800%");
}

TEST(ScaleBox, TextsReadAsPercentages) {
  EXPECT_FLOAT_EQ(scaleFromText("150"), 1.5f);
  EXPECT_FLOAT_EQ(scaleFromText("150%"), 1.5f);
  EXPECT_FLOAT_EQ(scaleFromText("33%"), 0.33f);
  EXPECT_FLOAT_EQ(scaleFromText("1000%"), 8.0f) << "capped at the largest step";
  EXPECT_FLOAT_EQ(scaleFromText("800"), 8.0f);
  EXPECT_FLOAT_EQ(scaleFromText("abc"), 1.0f);
  EXPECT_FLOAT_EQ(scaleFromText("0%"), 1.0f);
  EXPECT_FLOAT_EQ(scaleFromText("-20"), 1.0f);
  EXPECT_FLOAT_EQ(scaleFromText(""), 1.0f) << "the first view, before any text, is 100%";
  EXPECT_FLOAT_EQ(scaleFromText("12.5%"), 0.125f);
}

TEST(ScaleBox, APercentSignAnywhereDropsTheLastCharacter) {
  EXPECT_FLOAT_EQ(scaleFromText("%150"), 1.0f) << "'%15' is not a number";
  EXPECT_FLOAT_EQ(scaleFromText("2%00"), 1.0f);
}

TEST(ChooseScale, ZoomRequestsStepFromTheCurrentScale) {
  const QSize page(600, 800);
  const ScaleChoice in = chooseScale(ScaleRequest::ZoomIn, 0.9f, 0.5f, "90%", {1000, 700}, page, false);
  EXPECT_FLOAT_EQ(in.scale, 1.0f);
  EXPECT_FLOAT_EQ(in.previousScale, 0.9f);
  EXPECT_EQ(in.scaledSize, QSize(600, 800));
  const ScaleChoice out = chooseScale(ScaleRequest::ZoomOut, 0.05f, 1.0f, "5%", {1000, 700}, page, false);
  EXPECT_FLOAT_EQ(out.scale, 0.05f) << "zoom-out at the bottom keeps the scale";
  EXPECT_EQ(out.scaledSize, QSize(30, 40));
}

TEST(ChooseScale, OriginalSizeShowsThePageUnscaled) {
  const ScaleChoice choice =
      chooseScale(ScaleRequest::OriginalSize, 2.0f, 1.0f, "200%", {1000, 700}, {600, 800}, false);
  EXPECT_TRUE(choice.unscaled);
  EXPECT_FLOAT_EQ(choice.scale, 1.0f);
  EXPECT_FLOAT_EQ(choice.previousScale, 2.0f);
}

TEST(ChooseScale, FitModesUseTheViewAndTheUnrotatedPage) {
  const QSize page(600, 800);
  const ScaleChoice width = chooseScale(ScaleRequest::None, 1.0f, 1.0f, fitWidthText(), {900, 400}, page, false);
  EXPECT_FLOAT_EQ(width.scale, 1.5f);
  EXPECT_EQ(width.scaledSize, QSize(900, 1200));
  EXPECT_FLOAT_EQ(width.previousScale, 1.0f) << "fit modes leave the previous scale";

  const ScaleChoice whole = chooseScale(ScaleRequest::None, 1.0f, 1.0f, wholePageText(), {900, 400}, page, false);
  EXPECT_FLOAT_EQ(whole.scale, 0.5f) << "the tighter of height and width";
  const ScaleChoice wide = chooseScale(ScaleRequest::None, 1.0f, 1.0f, wholePageText(), {300, 4000}, page, false);
  EXPECT_FLOAT_EQ(wide.scale, 0.5f);
}

TEST(ChooseScale, ResizeFitsTheWholePageWhateverTheText) {
  const ScaleChoice choice = chooseScale(ScaleRequest::None, 2.0f, 1.0f, "200%", {900, 400}, {600, 800}, true);
  EXPECT_FLOAT_EQ(choice.scale, 0.5f);
}

TEST(ChooseScale, TypedScaleRecordsThePreviousOne) {
  const ScaleChoice choice = chooseScale(ScaleRequest::None, 0.75f, 1.0f, "150%", {900, 400}, {600, 800}, false);
  EXPECT_FLOAT_EQ(choice.scale, 1.5f);
  EXPECT_FLOAT_EQ(choice.previousScale, 0.75f);
  EXPECT_EQ(choice.scaledSize, QSize(900, 1200));
}

TEST(ChooseScale, FitWidthOfNarrowViewRoundsDownToWholePercentOnTheNextPage) {
  const ScaleChoice fit = chooseScale(ScaleRequest::None, 1.0f, 1.0f, fitWidthText(), {524, 400}, {600, 800}, false);
  EXPECT_NEAR(fit.scale, 0.8733f, 1e-4);
  // The view writes the percentage back; the next page reads it again.
  const ScaleChoice next = chooseScale(ScaleRequest::None, fit.scale, 1.0f, percentageText(fit.scale),
                                       {524, 400}, {600, 800}, false);
  EXPECT_FLOAT_EQ(next.scale, 0.87f);
}

TEST(ChooseScale, EmptyPageNeverDividesByZero) {
  const ScaleChoice whole = chooseScale(ScaleRequest::None, 1.0f, 1.0f, wholePageText(), {900, 400}, {0, 0}, false);
  EXPECT_FLOAT_EQ(whole.scale, 1.0f);
  EXPECT_EQ(whole.scaledSize, QSize(0, 0));
  const ScaleChoice width = chooseScale(ScaleRequest::None, 1.0f, 1.0f, fitWidthText(), {900, 400}, {0, 0}, true);
  EXPECT_FLOAT_EQ(width.scale, 1.0f);
}
