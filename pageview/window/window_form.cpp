#include "window_form.h"

#include <QFont>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QPushButton *iconButton(QWidget *strip, const char *name, QRect geometry, const char *icon) {
  auto *button = new QPushButton(strip);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setMinimumSize(30, 30);
  button->setStyleSheet(
      QStringLiteral("QPushButton{border-image: url(:/image/ico/%1);}").arg(QLatin1String(icon)));
  return button;
}

QFont pageButtonFont() {
  QFont font;
  font.setFamily(QStringLiteral("Agency FB"));
  font.setPointSize(9);
  font.setWeight(50);
  return font;
}

}  // namespace

void WindowForm::setupUi(QWidget *window) {
  window->setObjectName(QStringLiteral("PictureShowDlg"));
  window->resize(1035, 719);
  window->setMinimumSize(900, 300);
  window->setMaximumSize(16777215, 16777215);
  window->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  verticalLayout = new QVBoxLayout(window);
  verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
  verticalLayout->setSpacing(0);
  verticalLayout->setContentsMargins(0, 0, 0, 0);

  widget = new QWidget(window);
  widget->setObjectName(QStringLiteral("widget"));
  widget->setMinimumSize(900, 55);
  widget->setLayoutDirection(Qt::LeftToRight);
  widget->setAutoFillBackground(true);

  Btn_Last = iconButton(widget, "Btn_Last", QRect(220, 10, 30, 30), "last.png");
  Btn_Last->setFont(pageButtonFont());
  Btn_Last->setLayoutDirection(Qt::RightToLeft);

  lineEdit = new QLineEdit(widget);
  lineEdit->setObjectName(QStringLiteral("lineEdit"));
  lineEdit->setGeometry(160, 20, 40, 25);
  lineEdit->setMinimumSize(30, 25);
  QFont boxFont;
  boxFont.setPointSize(10);
  lineEdit->setFont(boxFont);
  lineEdit->setLayoutDirection(Qt::RightToLeft);
  lineEdit->setStyleSheet(QStringLiteral("border:1px solid DarkGray"));
  lineEdit->setAlignment(Qt::AlignCenter);

  Btn_Next = iconButton(widget, "Btn_Next", QRect(280, 10, 30, 30), "next.png");
  Btn_Next->setFont(pageButtonFont());
  Btn_ZoomIn = iconButton(widget, "Btn_ZoomIn", QRect(551, 10, 30, 30), "zoomin.png");
  Btn_ZoomOut = iconButton(widget, "Btn_ZoomOut", QRect(610, 10, 30, 30), "zoomout.png");

  linePageNum = new QLabel(widget);
  linePageNum->setObjectName(QStringLiteral("linePageNum"));
  linePageNum->setGeometry(100, 10, 40, 30);
  linePageNum->setMinimumSize(40, 30);
  linePageNum->setText(QStringLiteral("/70"));

  Btn_Rolate = iconButton(widget, "Btn_Rolate", QRect(350, 10, 30, 30), "rolate.png");

  labelSeparator = new QLabel(widget);
  labelSeparator->setObjectName(QStringLiteral("labelSeparator"));
  labelSeparator->setGeometry(660, 10, 5, 30);
  labelSeparator->setMinimumSize(5, 30);
  labelSeparator->setAutoFillBackground(false);
  labelSeparator->setStyleSheet(QStringLiteral("border-image: url(:/image/ico/separation.png);"));
  labelSeparator->setMidLineWidth(2);

  Btn_OriginalPicture =
      iconButton(widget, "Btn_OriginalPicture", QRect(730, 10, 30, 30), "100per.png");

  lineEditScale = new QLineEdit(widget);
  lineEditScale->setObjectName(QStringLiteral("lineEditScale"));
  lineEditScale->setGeometry(430, 20, 50, 25);

  Btn_ScaleList = new QPushButton(widget);
  Btn_ScaleList->setObjectName(QStringLiteral("Btn_ScaleList"));
  Btn_ScaleList->setGeometry(480, 20, 17, 27);
  Btn_ScaleList->setStyleSheet(
      QStringLiteral("QPushButton{border-image: url(:/image/ico/drop.png);}"));

  verticalLayout->addWidget(widget);

  horizontalLayout = new QHBoxLayout();
  horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
  horizontalLayout->setSpacing(0);
  graphicsView = new QGraphicsView(window);
  graphicsView->setObjectName(QStringLiteral("graphicsView"));
  graphicsView->viewport()->setCursor(Qt::OpenHandCursor);
  horizontalLayout->addWidget(graphicsView);
  verticalScrollBar = new QScrollBar(Qt::Vertical, window);
  verticalScrollBar->setObjectName(QStringLiteral("verticalScrollBar"));
  horizontalLayout->addWidget(verticalScrollBar);
  verticalLayout->addLayout(horizontalLayout);

  horizontalScrollBar = new QScrollBar(Qt::Horizontal, window);
  horizontalScrollBar->setObjectName(QStringLiteral("horizontalScrollBar"));
  verticalLayout->addWidget(horizontalScrollBar);
}
