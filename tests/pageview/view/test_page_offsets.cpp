// Page offsets: the step operations against their edge rules, and, over
// long random sequences, the invariants that keep the page item where the
// offsets say it is.
#include <gtest/gtest.h>

#include <random>

#include "page_offsets.h"

using namespace pageview;

namespace {

constexpr int kStep = 30;

PageOffsets laidOut(QSize page, QSize view, bool pdf = true, int horizontal = 0, int top = 0) {
  PageOffsets offsets(page, pdf);
  offsets.layout(view, horizontal, top);
  return offsets;
}

}  // namespace

TEST(PageLayout, LargePageStartsAtTheTopLeft) {
  const PageOffsets offsets = laidOut({1500, 2000}, {1000, 700});
  EXPECT_EQ(offsets.verticalOverflow(), 1300);
  EXPECT_EQ(offsets.topOffset(), 0);
  EXPECT_EQ(offsets.bottomRemainder(), 1300);
  EXPECT_EQ(offsets.horizontalOverflow(), 500);
  EXPECT_EQ(offsets.horizontalOffset(), 0);
  EXPECT_EQ(offsets.rightRemainder(), 500);
}

TEST(PageLayout, ScrolledPositionIsKeptWithinThePage) {
  const PageOffsets kept = laidOut({1500, 2000}, {1000, 700}, true, -200, 400);
  EXPECT_EQ(kept.topOffset(), 400);
  EXPECT_EQ(kept.bottomRemainder(), 900);
  EXPECT_EQ(kept.horizontalOffset(), -200);
  EXPECT_EQ(kept.rightRemainder(), 300);

  const PageOffsets past = laidOut({1500, 2000}, {1000, 700}, true, -900, 5000);
  EXPECT_EQ(past.topOffset(), 1300) << "top clamped to the overflow";
  EXPECT_EQ(past.bottomRemainder(), 0) << "and nothing left below, never a negative remainder";
  EXPECT_EQ(past.horizontalOffset(), 0) << "a displacement past the right edge starts over at the left";
  EXPECT_EQ(past.rightRemainder(), 500);
}

TEST(PageLayout, SmallPageHasNoOffsets) {
  const PageOffsets offsets = laidOut({400, 300}, {1000, 700}, true, -50, 80);
  EXPECT_EQ(offsets.verticalOverflow(), 0);
  EXPECT_EQ(offsets.topOffset(), 0);
  EXPECT_EQ(offsets.bottomRemainder(), 0);
  EXPECT_EQ(offsets.horizontalOffset(), 0);
  EXPECT_EQ(offsets.rightRemainder(), 0);
}

TEST(VerticalSteps, StepsStopExactlyAtTheBottomAndTop) {
  PageOffsets offsets = laidOut({800, 745}, {1000, 700});  // 45 rows to scroll
  EXPECT_EQ(offsets.scrollDown(StepSource::Keyboard, kStep).by, QPoint(0, -30));
  EXPECT_EQ(offsets.scrollDown(StepSource::Keyboard, kStep).by, QPoint(0, -15));
  EXPECT_EQ(offsets.topOffset(), 45);
  EXPECT_EQ(offsets.bottomRemainder(), 0);
  const PageMove at_bottom = offsets.scrollDown(StepSource::Keyboard, kStep);
  EXPECT_EQ(at_bottom.by, QPoint());
  EXPECT_EQ(at_bottom.turn, PageTurn::None) << "the keyboard never turns at the bottom";
  EXPECT_EQ(offsets.scrollDown(StepSource::Wheel, kStep).turn, PageTurn::Next);

  EXPECT_EQ(offsets.scrollUp(StepSource::Keyboard, kStep).by, QPoint(0, 30));
  EXPECT_EQ(offsets.scrollUp(StepSource::Keyboard, kStep).by, QPoint(0, 15));
  EXPECT_EQ(offsets.topOffset(), 0);
  EXPECT_EQ(offsets.scrollUp(StepSource::Keyboard, kStep).turn, PageTurn::None);
  EXPECT_EQ(offsets.scrollUp(StepSource::Wheel, kStep).turn, PageTurn::Previous);
}

TEST(VerticalSteps, PageExactlyAsTallAsTheView) {
  PageOffsets offsets = laidOut({800, 700}, {1000, 700});
  EXPECT_EQ(offsets.scrollDown(StepSource::Wheel, kStep).turn, PageTurn::Next) << "at once";
  EXPECT_EQ(offsets.scrollDown(StepSource::Keyboard, kStep).turn, PageTurn::None);
  EXPECT_EQ(offsets.scrollDown(StepSource::Keyboard, kStep).by, QPoint());
}

TEST(VerticalSteps, ShorterPageTurnsFromTheKeyboardOnlyInPdfMode) {
  PageOffsets pdf = laidOut({800, 500}, {1000, 700}, true);
  EXPECT_EQ(pdf.scrollDown(StepSource::Keyboard, kStep).turn, PageTurn::Next);
  EXPECT_EQ(pdf.scrollUp(StepSource::Keyboard, kStep).turn, PageTurn::Previous);
  PageOffsets image = laidOut({800, 500}, {1000, 700}, false);
  EXPECT_EQ(image.scrollDown(StepSource::Keyboard, kStep).turn, PageTurn::None);
  EXPECT_EQ(image.scrollDown(StepSource::Wheel, kStep).turn, PageTurn::Next)
      << "the wheel asks; the window has no other page in image mode";
}

TEST(PageKeys, PageDownAndUpMoveByTheViewHeight) {
  PageOffsets offsets = laidOut({800, 1700}, {1000, 700});  // overflow 1000
  EXPECT_EQ(offsets.pageDown().by, QPoint(0, -700));
  EXPECT_EQ(offsets.pageDown().by, QPoint(0, -300));
  EXPECT_EQ(offsets.topOffset(), 1000);
  EXPECT_EQ(offsets.pageDown().turn, PageTurn::Next);
  EXPECT_EQ(offsets.pageUp().by, QPoint(0, 700));
  EXPECT_EQ(offsets.pageUp().by, QPoint(0, 300));
  EXPECT_EQ(offsets.pageUp().turn, PageTurn::Previous);

  PageOffsets image = laidOut({800, 1700}, {1000, 700}, false, 0, 1000);
  EXPECT_EQ(image.pageDown().turn, PageTurn::None);
}

TEST(HorizontalSteps, RightEdgeLeavesTheOffsetAtMinusTheOverflow) {
  PageOffsets offsets = laidOut({1045, 600}, {1000, 700});  // 45 columns to pan
  EXPECT_EQ(offsets.scrollRightStep(kStep).by, QPoint(-30, 0));
  EXPECT_EQ(offsets.scrollRightStep(kStep).by, QPoint(-15, 0));
  EXPECT_EQ(offsets.horizontalOffset(), -45);
  EXPECT_EQ(offsets.rightRemainder(), 0);
  EXPECT_EQ(offsets.scrollRightStep(kStep).by, QPoint()) << "no page turn sideways on a wide page";
  EXPECT_EQ(offsets.scrollLeftStep(kStep).by, QPoint(30, 0));
  EXPECT_EQ(offsets.scrollLeftStep(kStep).by, QPoint(15, 0));
  EXPECT_EQ(offsets.horizontalOffset(), 0);
  EXPECT_EQ(offsets.rightRemainder(), 45);
}

TEST(HorizontalSteps, NarrowPageTurnsSidewaysInPdfMode) {
  PageOffsets pdf = laidOut({800, 1400}, {1000, 700}, true, 0, 200);
  EXPECT_EQ(pdf.scrollRightStep(kStep).turn, PageTurn::Next);
  EXPECT_EQ(pdf.scrollLeftStep(kStep).turn, PageTurn::Previous);
  EXPECT_EQ(pdf.topOffset(), 200) << "a refused turn (first or last page) leaves the item where it is";
  PageOffsets image = laidOut({800, 1400}, {1000, 700}, false, 0, 200);
  EXPECT_EQ(image.scrollRightStep(kStep).turn, PageTurn::None);
  EXPECT_EQ(image.topOffset(), 200);
}

TEST(Drag, PageThatFitsTheViewDoesNotMove) {
  PageOffsets offsets = laidOut({800, 600}, {1000, 700});
  for (const QPoint d : {QPoint(-5, 0), QPoint(5, 0), QPoint(0, -5), QPoint(0, 5), QPoint(7, -7)})
    EXPECT_EQ(offsets.drag(d.x(), d.y()).by, QPoint()) << d.x() << "," << d.y();
}

TEST(Drag, MovementThatWouldReachAnEdgeIsRefusedNotClamped) {
  PageOffsets offsets = laidOut({1100, 900}, {1000, 700});  // 100 right, 200 down
  EXPECT_EQ(offsets.drag(-60, -150).by, QPoint(-60, -150));
  EXPECT_EQ(offsets.drag(-40, -50).by, QPoint()) << "exactly at the edges: refused both ways";
  EXPECT_EQ(offsets.drag(-39, -49).by, QPoint(-39, -49));
  EXPECT_EQ(offsets.rightRemainder(), 1);
  EXPECT_EQ(offsets.topOffset(), 199);
  EXPECT_EQ(offsets.drag(10, 10).by, QPoint(10, 10));
}

// Whatever happens, the offsets stay within the page, the invariants hold,
// and the item's accumulated movement equals the change of the offsets.
TEST(PageOffsetsInvariants, RandomOperationSequences) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    const QSize page(std::uniform_int_distribution<>(100, 3000)(random),
                     std::uniform_int_distribution<>(100, 3000)(random));
    const QSize view(std::uniform_int_distribution<>(200, 1500)(random),
                     std::uniform_int_distribution<>(200, 1500)(random));
    PageOffsets offsets(page, round % 2 == 0);
    offsets.layout(view, -std::uniform_int_distribution<>(0, 1000)(random),
                   std::uniform_int_distribution<>(-100, 3000)(random));
    QPoint position(offsets.horizontalOffset(), -offsets.topOffset());
    for (int k = 0; k < 300; ++k) {
      PageMove move;
      const int step = std::uniform_int_distribution<>(1, 400)(random);
      switch (std::uniform_int_distribution<>(0, 7)(random)) {
        case 0: move = offsets.scrollDown(StepSource::Keyboard, step); break;
        case 1: move = offsets.scrollUp(StepSource::Wheel, step); break;
        case 2: move = offsets.scrollRightStep(step); break;
        case 3: move = offsets.scrollLeftStep(step); break;
        case 4: move = offsets.pageDown(); break;
        case 5: move = offsets.pageUp(); break;
        default:
          move = offsets.drag(std::uniform_int_distribution<>(-300, 300)(random),
                              std::uniform_int_distribution<>(-300, 300)(random));
      }
      if (move.turn != PageTurn::None) {
        // A page turn rebuilds the item; carry on from a fresh layout.
        offsets.layout(view, 0, 0);
        position = QPoint(0, 0);
        continue;
      }
      position += move.by;
      ASSERT_EQ(offsets.rightRemainder(), offsets.horizontalOverflow() + offsets.horizontalOffset());
      ASSERT_EQ(offsets.topOffset() + offsets.bottomRemainder(), offsets.verticalOverflow());
      ASSERT_GE(offsets.topOffset(), 0);
      ASSERT_LE(offsets.topOffset(), offsets.verticalOverflow());
      ASSERT_GE(offsets.rightRemainder(), 0);
      ASSERT_LE(offsets.rightRemainder(), offsets.horizontalOverflow());
      ASSERT_EQ(position, QPoint(offsets.horizontalOffset(), -offsets.topOffset()))
          << "round " << round << " operation " << k;
    }
  }
}
