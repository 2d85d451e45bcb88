// The scale menu's entries and which one is checked as the scale changes
// through zoom buttons, the scale box and the menu itself.
#include <gtest/gtest.h>

#include <QAction>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "image_widget.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

std::vector<QAction *> entries(const QMenu &menu) {
  std::vector<QAction *> result;
  for (QAction *action : menu.actions())
    if (!action->isSeparator()) result.push_back(action);
  return result;
}

std::vector<int> checkedData(const QMenu &menu) {
  std::vector<int> result;
  for (QAction *action : entries(menu))
    if (action->isChecked()) result.push_back(action->data().toInt());
  return result;
}

QAction *entryWithData(const QMenu &menu, int data) {
  for (QAction *action : entries(menu))
    if (action->data().toInt() == data) return action;
  return nullptr;
}

class ScaleMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
    window = window_test::openWindow(scratch.path("doc.pdf"), false);
    ASSERT_NE(window->scaleMenu(), nullptr);
  }
  void typeScale(const QString &text) { window_test::typeScale(*window, text); }
  folio_test::ScratchDir scratch;
  std::unique_ptr<PictureShowDlg> window;
};

TEST_F(ScaleMenu, ListsEveryStepThenActualSizeFitWidthAndWholePage) {
  const QMenu &menu = *window->scaleMenu();
  const std::vector<QString> texts = {"6%",   "12%",  "25%",      "33%",      "50%",     "66%",
                                      "100%", "125%", "150%",     "200%",     "300%",    "400%",
                                      "600%", "800%", "实际大小", "适合宽度", "整页显示"};
  const std::vector<QAction *> all = entries(menu);
  ASSERT_EQ(all.size(), texts.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i]->text(), texts[i]);
    EXPECT_EQ(all[i]->data().toInt(), static_cast<int>(i));
    EXPECT_TRUE(all[i]->isCheckable());
  }
  // The separator stands between the steps and the named sizes.
  EXPECT_TRUE(menu.actions().at(14)->isSeparator());
  EXPECT_EQ(checkedData(menu), std::vector<int>{16});
}

TEST_F(ScaleMenu, ZoomToAThirdChecksThirtyThreeAndTheTypedValueChecksNothing) {
  typeScale(QStringLiteral("50%"));
  EXPECT_EQ(window->scale(), 0.5f);
  EXPECT_EQ(checkedData(*window->scaleMenu()), std::vector<int>{4});
  QTest::mouseClick(window->form().Btn_ZoomOut, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 0.3333333f);
  EXPECT_EQ(window->form().lineEditScale->text(), "33%");
  EXPECT_EQ(checkedData(*window->scaleMenu()), std::vector<int>{3});
  // Return re-reads the box: 33 % is no step, so no entry stays checked.
  QTest::keyClick(window->form().lineEditScale, Qt::Key_Return);
  EXPECT_EQ(window->scale(), 0.33f);
  EXPECT_TRUE(checkedData(*window->scaleMenu()).empty());
}

TEST_F(ScaleMenu, ZoomStopsAtTheLargestAndSmallestSteps) {
  typeScale(QStringLiteral("600%"));
  QTest::mouseClick(window->form().Btn_ZoomIn, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 8.0f);
  QTest::mouseClick(window->form().Btn_ZoomIn, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 8.0f);
  EXPECT_EQ(window->form().lineEditScale->text(), "800%");
  typeScale(QStringLiteral("12.5%"));
  QTest::mouseClick(window->form().Btn_ZoomOut, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 0.0625f);
  QTest::mouseClick(window->form().Btn_ZoomOut, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 0.0625f);
  EXPECT_EQ(checkedData(*window->scaleMenu()), std::vector<int>{0});
}

TEST_F(ScaleMenu, ChoosingAnEntrySetsTheBoxAndScale) {
  QAction *actual = entryWithData(*window->scaleMenu(), 14);
  ASSERT_NE(actual, nullptr);
  typeScale(QStringLiteral("250%"));
  actual->trigger();
  EXPECT_EQ(window->form().lineEditScale->text(), "100%");
  EXPECT_EQ(window->scale(), 1.0f);
  EXPECT_EQ(checkedData(*window->scaleMenu()), std::vector<int>{14});

  entryWithData(*window->scaleMenu(), 15)->trigger();
  const QSize page(window_test::pagePixels(612), window_test::pagePixels(792));
  const float fitWidth = static_cast<float>(window->form().graphicsView->width()) / page.width();
  EXPECT_EQ(window->scale(), fitWidth);
  EXPECT_EQ(window->pageItem()->pixmap().width(), static_cast<int>(page.width() * fitWidth));
}

// Whole page after a zoom that needed the horizontal scroll bar: the page
// fits the view the bar leaves behind when it goes, so the whole page is
// shown and nothing of the view is left unused at the bottom.
TEST(WholePageAfterZoom, FitsTheViewWithoutTheScrollBar) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 1000, 1000);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  window_test::typeScale(*window, QStringLiteral("400%"));
  ASSERT_FALSE(window->form().horizontalScrollBar->isHidden());
  entryWithData(*window->scaleMenu(), 16)->trigger();
  EXPECT_TRUE(window->form().horizontalScrollBar->isHidden());
  const QGraphicsView *view = window->form().graphicsView;
  // A square page in a wide view: its height is what the view allows.
  EXPECT_EQ(window->pageItem()->pixmap().height(), view->height());
  EXPECT_EQ(window->pageItem()->offsets().viewSize(), view->size());
}

}  // namespace
