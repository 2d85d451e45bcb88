// Documents with nothing to show: the view says so, and every control
// stays safe and does nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

#include "../document/message_capture.h"
#include "protected_samples.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

QString sceneText(const PictureShowDlg &window) {
  QString text;
  if (!window.scene()) return text;
  for (QGraphicsItem *item : window.scene()->items())
    if (auto *simple = dynamic_cast<QGraphicsSimpleTextItem *>(item)) text += simple->text();
  return text;
}

void expectMessage(const PictureShowDlg &window) {
  EXPECT_TRUE(window.showsNoPageMessage());
  EXPECT_EQ(window.pageItem(), nullptr);
  EXPECT_TRUE(sceneText(window).contains(QStringLiteral("无法打开文档")));
  EXPECT_TRUE(sceneText(window).contains(QStringLiteral("The document could not be opened.")));
}

// Every control a user can reach, in turn; the message must survive each.
void useEveryControl(PictureShowDlg &window) {
  const WindowForm &f = window.form();
  window_test::useTestClock();
  window_test::advanceClock(1000);
  for (QWidget *button :
       {static_cast<QWidget *>(f.Btn_Next), static_cast<QWidget *>(f.Btn_Last),
        static_cast<QWidget *>(f.Btn_ZoomIn), static_cast<QWidget *>(f.Btn_ZoomOut),
        static_cast<QWidget *>(f.Btn_Rolate), static_cast<QWidget *>(f.Btn_OriginalPicture)}) {
    QTest::mouseClick(button, Qt::LeftButton);
    expectMessage(window);
  }
  f.lineEdit->setText(QStringLiteral("1"));
  QTest::keyClick(f.lineEdit, Qt::Key_Return);
  f.lineEditScale->setText(QStringLiteral("0%"));
  QTest::keyClick(f.lineEditScale, Qt::Key_Return);
  expectMessage(window);
  for (QAction *action : window.scaleMenu()->actions()) {
    if (action->isSeparator()) continue;
    action->trigger();
    expectMessage(window);
  }
  for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right, Qt::Key_PageDown,
                  Qt::Key_PageUp, Qt::Key_Control})
    window_test::pressKeyInView(window, key);
  window_test::wheelOverView(window, QPoint(50, 50), 120);
  window_test::wheelOverView(window, QPoint(50, 50), -120, false);
  f.verticalScrollBar->setValue(3);
  f.horizontalScrollBar->setValue(3);
  window.resize(1000, 600);
  QApplication::processEvents();
  window_test::flushDeletions();
  expectMessage(window);
  EXPECT_EQ(window.currentPage(), 0);
}

TEST(NoPage, PdfWithTheWrongKeyShowsTheMessageAndSurvivesEveryControl) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  // The same bytes enciphered twice read as garbage under the test key.
  window_test::writeProtectedBytes(scratch.path("wrong.pdf"),
                                   folio_test::read_text(scratch.path("doc.pdf")));
  auto window = window_test::openWindow(scratch.path("wrong.pdf"), false);
  expectMessage(*window);
  EXPECT_EQ(window->pageCount(), 0);
  EXPECT_FALSE(window->form().verticalScrollBar->isVisible());
  useEveryControl(*window);
  EXPECT_EQ(window->openFailure(), pageview::DocumentFailure::notDeciphered);
}

TEST(NoPage, MissingFileShowsTheMessage) {
  folio_test::ScratchDir scratch;
  MessageCapture capture;
  auto window = window_test::openWindow(scratch.path("absent.pdf"), false);
  expectMessage(*window);
  useEveryControl(*window);
  EXPECT_TRUE(window->documentNeverOpened());
  EXPECT_EQ(window->openFailure(), pageview::DocumentFailure::fileUnreadable);
  // The log names the reason once.
  const std::vector<std::string> texts = capture.debugTexts();
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                          [](const std::string &text) {
                            return text.rfind("document not opened: the file cannot be read", 0) == 0;
                          }),
            1);
}

TEST(NoPage, ImageNoReaderAcceptsShowsTheMessage) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedBytes(scratch.path("pic"), std::string(4096, 'x'));
  auto window = window_test::openWindow(scratch.path("pic"), true);
  expectMessage(*window);
  useEveryControl(*window);
  EXPECT_EQ(window->openFailure(), pageview::DocumentFailure::notDeciphered);
}

TEST(NoPage, WindowWithoutKeyShowsTheMessage) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 1, 612, 792);
  PictureShowDlg window(QByteArray::fromStdString(scratch.path("doc.pdf")), nullptr, nullptr,
                        nullptr, false, QStringLiteral("v2"), QString());
  window.resize(1035, 719);
  window.show();
  window.openDocument();
  expectMessage(window);
  EXPECT_EQ(window.scaleMenu(), nullptr);
  window.on_Btn_ZoomIn_clicked();
  window.on_Btn_Next_clicked();
  window.on_lineEditScale_returnPressed();
  expectMessage(window);
  EXPECT_EQ(window.openFailure(), pageview::DocumentFailure::missingKey);
}

// Once a page was shown the document counts as opened, whatever follows.
TEST(NoPage, ShownDocumentCountsAsOpened) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  EXPECT_FALSE(window->documentNeverOpened());
  window->close();
  EXPECT_FALSE(window->documentNeverOpened());
}

}  // namespace
