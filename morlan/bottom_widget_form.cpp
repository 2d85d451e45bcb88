#include "bottom_widget_form.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

const char kSliderStyle[] =
    "QSlider::groove:horizontal {\n"
    "border: 0px solid #bbb;\n"
    "}\n"
    "QSlider::sub-page:horizontal {\n"
    "background: rgb(60,60,240);\n"
    "border-radius: 0px;\n"
    "margin-top:4px;\n"
    "margin-bottom:4px;\n"
    "}\n"
    "QSlider::add-page:horizontal {\n"
    "background: rgb(60,60,60);\n"
    "border: 0px solid #777;\n"
    "border-radius: 2px;\n"
    "margin-top:4px;\n"
    "margin-bottom:4px;\n"
    "}\n"
    "QSlider::handle:horizontal {\n"
    "background: rgb(53,60,102);\n"
    "border: 1px solid rgb(53,60,102);\n"
    "width: 8px;\n"
    "height:8px;\n"
    "border-radius: 4px;\n"
    "margin-top:2px;\n"
    "margin-bottom:2px;\n"
    "}\n"
    "QSlider::handle:horizontal:hover {\n"
    "background: rgb(58,60,220);\n"
    "border: 1px solid rgba(10,10,10,255);\n"
    "border-radius: 4px;\n"
    "}\n"
    "QSlider::sub-page:horizontal:disabled {\n"
    "background: #bbb;\n"
    "border-color: #999;\n"
    "}\n"
    "QSlider::add-page:horizontal:disabled {\n"
    "background: #eee;\n"
    "border-color: #999;\n"
    "}\n"
    "QSlider::handle:horizontal:disabled {\n"
    "background: #eee;\n"
    "border: 1px solid #aaa;\n"
    "border-radius: 4px;\n"
    "}";

constexpr Qt::Alignment kTimeAlignment = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;

QHBoxLayout *timeLayout(QWidget *holder, const char *name) {
  auto *layout = new QHBoxLayout(holder);
  layout->setSpacing(6);
  layout->setContentsMargins(11, 11, 11, 11);
  layout->setObjectName(QString::fromLatin1(name));
  layout->setContentsMargins(0, 0, 0, 0);
  return layout;
}

QLabel *timeLabel(QWidget *holder, const char *name) {
  auto *label = new QLabel(holder);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

void keepOwnHeightForWidth(QLabel *label) {
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHorizontalStretch(0);
  policy.setVerticalStretch(0);
  policy.setHeightForWidth(label->sizePolicy().hasHeightForWidth());
  label->setSizePolicy(policy);
}

}  // namespace

void BottomWidgetForm::setupUi(QWidget *bar) {
  if (bar->objectName().isEmpty()) bar->setObjectName(QStringLiteral("BottomWidget"));
  bar->resize(1024, 100);
  bar->setStyleSheet(QString());

  playslider = new QSlider(bar);
  playslider->setObjectName(QStringLiteral("playslider"));
  playslider->setGeometry(QRect(92, 30, 831, 14));
  playslider->setStyleSheet(QString::fromLatin1(kSliderStyle));
  playslider->setMaximum(999);
  playslider->setSingleStep(0);
  playslider->setSliderPosition(0);
  playslider->setOrientation(Qt::Horizontal);

  currentContainer = new QWidget(bar);
  currentContainer->setObjectName(QStringLiteral("currentContainer"));
  currentContainer->setGeometry(QRect(20, 33, 61, 41));
  horizontalLayoutWidget_2 = new QWidget(currentContainer);
  horizontalLayoutWidget_2->setObjectName(QStringLiteral("horizontalLayoutWidget_2"));
  horizontalLayoutWidget_2->setGeometry(QRect(10, 10, 51, 21));
  currentLayout = timeLayout(horizontalLayoutWidget_2, "currentLayout");
  currentMinute = timeLabel(horizontalLayoutWidget_2, "currentMinute");
  currentMinute->setAlignment(kTimeAlignment);
  currentLayout->addWidget(currentMinute);
  currentSecond = timeLabel(horizontalLayoutWidget_2, "currentSecond");
  currentSecond->setAlignment(kTimeAlignment);
  currentLayout->addWidget(currentSecond);

  playButton = new QPushButton(bar);
  playButton->setObjectName(QStringLiteral("playButton"));
  playButton->setGeometry(QRect(500, 53, 31, 28));
  playButton->setStyleSheet(QString());

  totalContainer = new QWidget(bar);
  totalContainer->setObjectName(QStringLiteral("totalContainer"));
  totalContainer->setGeometry(QRect(940, 30, 51, 41));
  horizontalLayoutWidget = new QWidget(totalContainer);
  horizontalLayoutWidget->setObjectName(QStringLiteral("horizontalLayoutWidget"));
  horizontalLayoutWidget->setGeometry(QRect(0, 10, 51, 21));
  totalLayout = timeLayout(horizontalLayoutWidget, "totalLayout");
  totalMinute = timeLabel(horizontalLayoutWidget, "totalMinute");
  keepOwnHeightForWidth(totalMinute);
  totalMinute->setAlignment(kTimeAlignment);
  totalLayout->addWidget(totalMinute);
  totalSecond = timeLabel(horizontalLayoutWidget, "totalSecond");
  keepOwnHeightForWidth(totalSecond);
  totalSecond->setAlignment(kTimeAlignment);
  totalLayout->addWidget(totalSecond);

  // The slider ends on top of the time containers it overlaps.
  currentContainer->raise();
  totalContainer->raise();
  playButton->raise();
  playslider->raise();

  retranslateUi(bar);
  QMetaObject::connectSlotsByName(bar);
}

void BottomWidgetForm::retranslateUi(QWidget *bar) {
  bar->setWindowTitle(QString());
  currentMinute->setText(QCoreApplication::translate("BottomWidget", "0:", nullptr));
  currentSecond->setText(QCoreApplication::translate("BottomWidget", "0", nullptr));
  playButton->setText(QString());
  totalMinute->setText(QCoreApplication::translate("BottomWidget", "0:", nullptr));
  totalSecond->setText(QCoreApplication::translate("BottomWidget", "0", nullptr));
}
