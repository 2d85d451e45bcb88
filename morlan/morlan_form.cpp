#include "morlan_form.h"

#include <QCoreApplication>
#include <QWidget>

void MorlanForm::setupUi(QWidget *window) {
  if (window->objectName().isEmpty()) window->setObjectName(QStringLiteral("Morlan"));
  window->resize(1024, 576);
  window->setStyleSheet(QString());
  retranslateUi(window);
  QMetaObject::connectSlotsByName(window);
}

void MorlanForm::retranslateUi(QWidget *window) {
  window->setWindowTitle(QCoreApplication::translate("Morlan", "Morlan", nullptr));
}
