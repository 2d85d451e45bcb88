// The control bar in process: the time display, seeking by a press on the
// slider, the play/pause button, and where its parts sit once resized.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <vector>

#include "bottom_widget.h"

namespace morlan_test {
namespace {

class ControlBarTest : public testing::Test {
 protected:
  void SetUp() override {
    bar_ = std::make_unique<BottomWidget>();
    QObject::connect(bar_.get(), &BottomWidget::signalSeek, [this](int pos) { seeks_.push_back(pos); });
    QObject::connect(bar_.get(), &BottomWidget::signalPause, [this] { requests_.push_back("pause"); });
    QObject::connect(bar_.get(), &BottomWidget::signalResume, [this] { requests_.push_back("resume"); });
  }

  const BottomWidgetForm &form() const { return bar_->form(); }
  std::string elapsed() const {
    return (form().currentMinute->text() + form().currentSecond->text()).toStdString();
  }
  std::string total() const {
    return (form().totalMinute->text() + form().totalSecond->text()).toStdString();
  }

  void press(int x, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, 5), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(form().playslider, &event);
  }

  std::unique_ptr<BottomWidget> bar_;
  std::vector<int> seeks_;
  std::vector<std::string> requests_;
};

using ControlBarTime = ControlBarTest;

TEST_F(ControlBarTime, DurationSetsRangeAndTotalDisplay) {
  EXPECT_EQ(form().playslider->maximum(), 999) << "range before the duration is known";
  EXPECT_EQ(total(), "0:0");
  bar_->setTotalTime(3725);
  EXPECT_EQ(form().playslider->minimum(), 0);
  EXPECT_EQ(form().playslider->maximum(), 3725);
  EXPECT_EQ(total(), "62:5") << "whole minutes and the seconds left, no leading zeros";
}

TEST_F(ControlBarTime, PositionMovesSliderAndElapsedDisplay) {
  bar_->setTotalTime(200);
  bar_->updateCurrentTime(65);
  EXPECT_EQ(form().playslider->value(), 65);
  EXPECT_EQ(elapsed(), "1:5");
  bar_->updateCurrentTime(200);
  EXPECT_EQ(elapsed(), "3:20");
}

TEST_F(ControlBarTime, PositionsOutsideTheVideoChangeNothing) {
  bar_->setTotalTime(200);
  bar_->updateCurrentTime(59);
  for (int position : {-1, INT_MIN, 201}) {
    bar_->updateCurrentTime(position);
    EXPECT_EQ(form().playslider->value(), 59) << position;
    EXPECT_EQ(elapsed(), "0:59") << position;
  }
}

TEST_F(ControlBarTime, UnknownDurationIgnoresEveryPosition) {
  bar_->setTotalTime(0);
  bar_->updateCurrentTime(0);
  bar_->updateCurrentTime(5);
  EXPECT_EQ(elapsed(), "0:0");
  EXPECT_EQ(form().playslider->value(), 0);
}

using ControlBarSliderPress = ControlBarTest;

TEST_F(ControlBarSliderPress, LeftPressSeeksToTheValueUnderThePointer) {
  bar_->resize(1024, 70);
  bar_->show();  // a hidden widget gets its resize event only when shown
  bar_->setTotalTime(100);
  const int width = form().playslider->width();
  ASSERT_EQ(width, 874);
  press(width / 2);            // 437 / 874 of 100
  press(width * 3 / 4);        // 655 / 874 of 100 = 74.9, truncated
  press(width);                // the far edge: the maximum
  EXPECT_EQ(seeks_, (std::vector<int>{50, 74, 100}));
}

TEST_F(ControlBarSliderPress, PressAtTheCurrentPositionOrNotLeftSeeksNothing) {
  bar_->resize(1024, 70);
  bar_->show();  // a hidden widget gets its resize event only when shown
  bar_->setTotalTime(100);
  press(0);  // the minimum, where the slider already is
  press(form().playslider->width() / 2, Qt::RightButton);
  EXPECT_TRUE(seeks_.empty());
}

TEST_F(ControlBarSliderPress, DraggingTheHandleSeeks) {
  emit form().playslider->sliderMoved(42);
  EXPECT_EQ(seeks_, std::vector<int>{42});
}

using ControlBarButton = ControlBarTest;

TEST_F(ControlBarButton, ClicksAlternatePauseAndResumeAndTheImage) {
  bar_->setPlayStatus(true);
  EXPECT_TRUE(form().playButton->styleSheet().contains("pause.png"));
  form().playButton->click();
  EXPECT_FALSE(bar_->isPlaying());
  EXPECT_TRUE(form().playButton->styleSheet().contains("play.png"));
  form().playButton->click();
  EXPECT_TRUE(bar_->isPlaying());
  EXPECT_TRUE(form().playButton->styleSheet().contains("pause.png"));
  EXPECT_EQ(requests_, (std::vector<std::string>{"pause", "resume"}));
}

TEST_F(ControlBarButton, PlayStatusSetsTheImageWithoutRequests) {
  bar_->setPlayStatus(false);
  EXPECT_EQ(form().playButton->styleSheet(),
            "QPushButton{border-image:url(:/Morlan/Resources/play.png);}");
  bar_->setPlayStatus(true);
  EXPECT_EQ(form().playButton->styleSheet(),
            "QPushButton{border-image:url(:/Morlan/Resources/pause.png);}");
  EXPECT_TRUE(requests_.empty());
}

using ControlBarLayout = ControlBarTest;

TEST_F(ControlBarLayout, FloatsWithoutTakingFocusAtAFixedHeight) {
  EXPECT_EQ(static_cast<int>(bar_->windowFlags()), 0x20080B);
  EXPECT_TRUE(bar_->testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_TRUE(bar_->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(bar_->minimumHeight(), 70);
  EXPECT_EQ(bar_->maximumHeight(), 70);
}

TEST_F(ControlBarLayout, ResizeSpreadsSliderAndTimesAcrossTheBar) {
  bar_->resize(1280, 70);
  bar_->show();
  const BottomWidgetForm &f = form();
  EXPECT_EQ(f.playButton->pos(), QPoint((1280 - 31) / 2, 35));
  EXPECT_EQ(f.playslider->geometry(), QRect(75, 17, 1280 - 150, 14));
  EXPECT_EQ(f.totalContainer->pos(), QPoint(75 + 1130 + 10, 17 - 14));
  EXPECT_EQ(f.currentContainer->size(), f.totalContainer->size());
  EXPECT_EQ(f.currentContainer->pos(), QPoint(75 - f.totalContainer->width() - 10, 3));
}

TEST_F(ControlBarLayout, EveryTimeLabelIsWhollyInsideItsContainer) {
  bar_->resize(1024, 70);
  bar_->show();
  QCoreApplication::processEvents();  // lets the layouts place the labels
  const BottomWidgetForm &f = form();
  const std::pair<QLabel *, QWidget *> placements[] = {{f.currentMinute, f.currentContainer},
                                                       {f.currentSecond, f.currentContainer},
                                                       {f.totalMinute, f.totalContainer},
                                                       {f.totalSecond, f.totalContainer}};
  for (const auto &[label, container] : placements) {
    const QRect within(label->mapTo(container, QPoint(0, 0)), label->size());
    EXPECT_TRUE(container->rect().contains(within))
        << label->objectName().toStdString() << " is clipped by its container";
  }
}

}  // namespace
}  // namespace morlan_test
