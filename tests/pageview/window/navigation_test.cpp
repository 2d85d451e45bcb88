// Finding one's way through a long document: the keys for pages and zoom,
// the search row and its highlights, and the outline panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "document_search.h"
#include "image_widget.h"
#include "protected_samples.h"
#include "search_bar.h"
#include "support/scratch_dir.h"
#include "support/wait.h"
#include "viewer_window.h"

namespace {

// Pages cycle through the titles "Quarterly report", "Figures" and
// "Outlook"; each page says "Page N of M".
class LongDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), 30, 612, 792, "--outline");
    window = window_test::openWindow(scratch.path("doc.pdf"), false);
    ASSERT_EQ(window->pageCount(), 30);
  }
  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                : window->form().graphicsView,
                    static_cast<Qt::Key>(key), modifiers);
  }
  void typeSearch(const QString &text) {
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window->searchBar()->isVisible());
    QTest::keyClicks(window->searchBar()->textBox(), text);
  }
  bool searchFinishes() {
    return folio_test::wait_until([&] {
      QApplication::processEvents();
      return window->search().finished();
    });
  }
  folio_test::ScratchDir scratch;
  std::unique_ptr<PictureShowDlg> window;
};

struct KeyCase {
  const char *name;
  int key;
  Qt::KeyboardModifiers modifiers;
  int page;     // shown afterwards, starting from page 5 (index 4)
  float scale;  // afterwards; 0: the whole-page fit of the start
};

class PageKeys : public LongDocument, public ::testing::WithParamInterface<KeyCase> {};

INSTANTIATE_TEST_SUITE_P(
    Keys, PageKeys,
    ::testing::Values(KeyCase{"Home", Qt::Key_Home, Qt::NoModifier, 0, 0},
                      KeyCase{"End", Qt::Key_End, Qt::NoModifier, 29, 0},
                      KeyCase{"Space", Qt::Key_Space, Qt::NoModifier, 5, 0},
                      KeyCase{"ShiftSpace", Qt::Key_Space, Qt::ShiftModifier, 3, 0},
                      KeyCase{"CtrlPlus", Qt::Key_Plus, Qt::ControlModifier, 4, 2.0f},
                      KeyCase{"CtrlEqual", Qt::Key_Equal, Qt::ControlModifier, 4, 2.0f},
                      KeyCase{"CtrlMinus", Qt::Key_Minus, Qt::ControlModifier, 4, 1.25f}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(PageKeys, ActOnTheView) {
  window->form().lineEdit->setText(QStringLiteral("5"));
  QTest::keyClick(window->form().lineEdit, Qt::Key_Return);
  window_test::typeScale(*window, QStringLiteral("150%"));
  // A whole page in view, so that Space turns pages.
  if (GetParam().key == Qt::Key_Space) {
    window_test::typeScale(*window, QStringLiteral("50%"));
  }
  window->form().graphicsView->setFocus();
  press(GetParam().key, GetParam().modifiers);
  EXPECT_EQ(window->currentPage(), GetParam().page);
  if (GetParam().scale > 0) {
    EXPECT_EQ(window->scale(), GetParam().scale);
  }
}

TEST_F(LongDocument, CtrlZeroFitsTheWholePageAndCtrlGTakesToThePageBox) {
  window_test::typeScale(*window, QStringLiteral("400%"));
  window->form().graphicsView->setFocus();
  press(Qt::Key_0, Qt::ControlModifier);
  const QSize view = window->form().graphicsView->size();
  const QSize page = window->pageItem()->pageSize();
  EXPECT_TRUE(page.width() <= view.width() && page.height() <= view.height());
  EXPECT_TRUE(page.width() >= view.width() - 1 || page.height() >= view.height() - 1);
  press(Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(window->form().lineEdit->hasFocus());
  QTest::keyClicks(window->form().lineEdit, QStringLiteral("12"));
  QTest::keyClick(window->form().lineEdit, Qt::Key_Return);
  EXPECT_EQ(window->currentPage(), 11);
}

TEST_F(LongDocument, SearchRunsInSlicesAndStepsThroughMatchesAcrossPages) {
  typeSearch(QStringLiteral("figures"));
  // Nothing is searched before the event loop turns, and then a few pages
  // a turn.
  EXPECT_EQ(window->search().pagesSearched(), 0);
  QApplication::processEvents();
  EXPECT_LE(window->search().pagesSearched(), pageview::DocumentSearch::kPagesPerSlice);
  ASSERT_TRUE(searchFinishes());
  ASSERT_EQ(window->search().found().size(), 10u);  // pages 2, 5, ..., 29
  EXPECT_EQ(window->searchBar()->countLabel()->text(), QStringLiteral("10"));

  const int expected[] = {1, 4, 1, 28};
  const bool backwards[] = {false, false, true, true};
  for (int step = 0; step < 4; ++step) {
    press(Qt::Key_Return, backwards[step] ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(window->currentPage(), expected[step]) << step;
    ASSERT_NE(window->pageItem(), nullptr);
    EXPECT_EQ(window->pageItem()->currentHighlight().size(), 1u) << step;
  }
  EXPECT_EQ(window->searchBar()->countLabel()->text(), QStringLiteral("10 / 10"));
  // The highlight covers the title, near the page's top left.
  const QRect title = window->pageItem()->currentHighlight().front();
  const QSize page = window->pageItem()->pageSize();
  EXPECT_LT(title.x(), page.width() / 3);
  EXPECT_LT(title.y(), page.height() / 6);
  EXPECT_GT(title.width(), 20);

  // Closing the row takes the highlights away.
  press(Qt::Key_Escape);
  EXPECT_FALSE(window->searchBar()->isVisible());
  EXPECT_TRUE(window->pageItem()->currentHighlight().empty());
}

TEST_F(LongDocument, NextMatchAskedForBeforeItIsFoundIsGoneToOnceFound) {
  typeSearch(QStringLiteral("page 27 of"));
  press(Qt::Key_Return);  // nothing found yet
  EXPECT_EQ(window->currentPage(), 0);
  ASSERT_TRUE(searchFinishes());
  EXPECT_EQ(window->currentPage(), 26);
  EXPECT_EQ(window->searchBar()->countLabel()->text(), QStringLiteral("1 / 1"));
}

TEST_F(LongDocument, OutlineListsTheBookmarksAndAClickGoesToThePage) {
  QTreeWidget *outline = window->outlinePanel();
  ASSERT_TRUE(outline->isVisible());
  ASSERT_EQ(outline->topLevelItemCount(), 30);
  EXPECT_EQ(outline->topLevelItem(2)->text(0), QStringLiteral("Page 3: Outlook"));
  ASSERT_EQ(outline->topLevelItem(0)->childCount(), 1);
  outline->itemClicked(outline->topLevelItem(2), 0);
  EXPECT_EQ(window->currentPage(), 2);
  outline->itemClicked(outline->topLevelItem(0)->child(0), 0);
  EXPECT_EQ(window->currentPage(), 29);
  // The page is fitted beside the panel, not under it.
  EXPECT_GE(window->form().graphicsView->x(), outline->geometry().right());
}

TEST(NoOutline, PanelStaysHidden) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 3, 612, 792);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  EXPECT_FALSE(window->outlinePanel()->isVisible());
}

}  // namespace
