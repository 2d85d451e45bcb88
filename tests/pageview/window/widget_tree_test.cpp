// The window's widgets as the toolbar and the slots bound by name rely on
// them, and where the toolbar puts its controls in each mode.
#include <gtest/gtest.h>

#include <QGraphicsView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QValidator>

#include "../document/message_capture.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

using window_test::openWindow;

namespace {

template <typename Widget>
Widget *child(const QWidget &window, const char *name) {
  return window.findChild<Widget *>(QString::fromLatin1(name));
}

class WindowWidgets : public ::testing::Test {
 protected:
  void SetUp() override {
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), 3, 612, 792);
    window = openWindow(scratch.path("doc.pdf"), false);
  }
  folio_test::ScratchDir scratch;
  std::unique_ptr<PictureShowDlg> window;
};

TEST_F(WindowWidgets, EveryControlHasItsNameAndClass) {
  EXPECT_EQ(window->objectName(), "PictureShowDlg");
  const char *buttons[] = {"Btn_Last",     "Btn_Next",   "Btn_ZoomIn",
                           "Btn_ZoomOut",  "Btn_Rolate", "Btn_OriginalPicture",
                           "Btn_ScaleList"};
  for (const char *name : buttons) {
    QPushButton *button = child<QPushButton>(*window, name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_TRUE(button->text().isEmpty()) << name;
    EXPECT_EQ(button->parentWidget()->objectName(), "widget") << name;
  }
  for (const char *name : {"lineEdit", "lineEditScale"})
    EXPECT_NE(child<QLineEdit>(*window, name), nullptr) << name;
  for (const char *name : {"linePageNum", "labelSeparator"})
    EXPECT_NE(child<QLabel>(*window, name), nullptr) << name;
  EXPECT_NE(child<QGraphicsView>(*window, "graphicsView"), nullptr);
  ASSERT_NE(child<QScrollBar>(*window, "verticalScrollBar"), nullptr);
  EXPECT_EQ(child<QScrollBar>(*window, "verticalScrollBar")->orientation(), Qt::Vertical);
  ASSERT_NE(child<QScrollBar>(*window, "horizontalScrollBar"), nullptr);
  EXPECT_EQ(child<QScrollBar>(*window, "horizontalScrollBar")->orientation(), Qt::Horizontal);
  EXPECT_EQ(window->minimumSize(), QSize(900, 300));
}

TEST_F(WindowWidgets, ButtonsReachTheirSlotsByName) {
  MessageCapture capture;
  child<QPushButton>(*window, "Btn_Next")->click();
  child<QPushButton>(*window, "Btn_Last")->click();
  std::vector<std::string> slotMessages;
  for (const std::string &text : capture.debugTexts())
    if (text.rfind("on_", 0) == 0) slotMessages.push_back(text);
  EXPECT_EQ(slotMessages, (std::vector<std::string>{"on_Btn_Next_clicked invoked",
                                                    "on_Btn_Last_clicked invoked"}));
}

// Binding slots by name finds a signal for every slot: nothing warns.
TEST(WindowConstruction, EverySlotHasItsSignal) {
  MessageCapture capture;
  PictureShowDlg window(QByteArray("absent.pdf"), nullptr, window_test::kKey.data(),
                        window_test::kNonceBuffer.data(), false, QStringLiteral("v2"), QString());
  for (const CapturedMessage &message : capture.all())
    EXPECT_EQ(message.text.find("No matching signal"), std::string::npos) << message.text;
}

// The page count label holds the whole count, "页" included, however many
// digits it has, and the controls right of it stay clear of it.
TEST(PageCountLabel, HoldsCountsOfEveryLength) {
  for (const int pages : {7, 1000}) {
    folio_test::ScratchDir scratch;
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), pages, 200, 200);
    auto window = openWindow(scratch.path("doc.pdf"), false);
    const QLabel *label = window->form().linePageNum;
    ASSERT_EQ(label->text(), QStringLiteral("/%1页").arg(pages));
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << pages;
    EXPECT_LE(label->geometry().right(), window->form().labelSeparator->x()) << pages;
    EXPECT_LE(window->form().lineEdit->geometry().right(), label->x() + 1) << pages;
  }
}

TEST_F(WindowWidgets, PageBoxTakesDigitsOnly) {
  const QValidator *validator = child<QLineEdit>(*window, "lineEdit")->validator();
  ASSERT_NE(validator, nullptr);
  int position = 0;
  QString digits = QStringLiteral("12");
  QString letters = QStringLiteral("1a");
  EXPECT_EQ(validator->validate(digits, position), QValidator::Acceptable);
  EXPECT_EQ(validator->validate(letters, position), QValidator::Invalid);
}

TEST_F(WindowWidgets, StyleSheetsNameTheBundledIcons) {
  EXPECT_EQ(child<QPushButton>(*window, "Btn_ZoomIn")->styleSheet(),
            "QPushButton{border-image: url(:/image/ico/zoomin.png);}");
  EXPECT_EQ(window->form().widget->styleSheet(),
            " color: black;background-color: rgb(248,248,248);");
  for (const char *icon : {"last.png", "next.png", "zoomin.png", "zoomout.png", "rolate.png",
                           "separation.png", "100per.png", "drop.png"}) {
    const QImage image(QStringLiteral(":/image/ico/%1").arg(QLatin1String(icon)));
    EXPECT_FALSE(image.isNull()) << icon;
  }
  // The window icon's path as start-up names it.
  EXPECT_FALSE(QIcon(QStringLiteral(":ico/logo.ico")).pixmap(32, 32).isNull());
}

// x positions about the middle of the window, for the design sizes of the
// controls.
TEST(ToolbarLayout, PdfModeCentresPageAndScaleControls) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  auto window = openWindow(scratch.path("doc.pdf"), false, QSize(1200, 700));
  const int half = window->width() / 2;
  const WindowForm &f = window->form();
  EXPECT_EQ(f.Btn_Last->x(), half - 202);
  EXPECT_EQ(f.Btn_Next->x(), half - 152);
  EXPECT_EQ(f.lineEdit->pos(), QPoint(half - 102, f.linePageNum->y() + 3));
  EXPECT_EQ(f.linePageNum->x(), half - 62);
  EXPECT_EQ(f.labelSeparator->x(), half - 2);
  EXPECT_EQ(f.lineEditScale->x(), half + 22);
  EXPECT_EQ(f.Btn_ScaleList->x(), half + 72);
  EXPECT_EQ(f.Btn_ZoomIn->x(), half + 109);
  EXPECT_EQ(f.Btn_ZoomOut->x(), half + 159);
  EXPECT_FALSE(f.Btn_Rolate->isVisible());
  EXPECT_FALSE(f.Btn_OriginalPicture->isVisible());
  EXPECT_TRUE(f.Btn_Next->isVisible());
}

TEST(ToolbarLayout, ImageModeShowsOnlyZoomOriginalSizeAndRotate) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedImage(scratch.path("pic"), QImage(300, 200, QImage::Format_RGB32));
  auto window = openWindow(scratch.path("pic"), true, QSize(1000, 700));
  const int half = window->width() / 2;
  const WindowForm &f = window->form();
  EXPECT_EQ(f.Btn_ZoomIn->x(), half - 152);
  EXPECT_EQ(f.Btn_ZoomOut->x(), half - 102);
  EXPECT_EQ(f.Btn_OriginalPicture->x(), half - 52);
  EXPECT_EQ(f.labelSeparator->x(), half - 2);
  EXPECT_EQ(f.Btn_Rolate->x(), half + 22);
  for (QWidget *shown :
       {static_cast<QWidget *>(f.Btn_ZoomIn), static_cast<QWidget *>(f.Btn_ZoomOut),
        static_cast<QWidget *>(f.Btn_OriginalPicture), static_cast<QWidget *>(f.labelSeparator),
        static_cast<QWidget *>(f.Btn_Rolate)})
    EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
  for (QWidget *hidden :
       {static_cast<QWidget *>(f.Btn_Last), static_cast<QWidget *>(f.Btn_Next),
        static_cast<QWidget *>(f.lineEdit), static_cast<QWidget *>(f.linePageNum),
        static_cast<QWidget *>(f.lineEditScale), static_cast<QWidget *>(f.Btn_ScaleList),
        static_cast<QWidget *>(f.horizontalScrollBar), static_cast<QWidget *>(f.verticalScrollBar)})
    EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
}

}  // namespace
