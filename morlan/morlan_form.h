// The player window's form: it makes no child widgets, since the video
// output draws straight into the window's native surface.
#ifndef MORLAN_MORLAN_FORM_H
#define MORLAN_MORLAN_FORM_H

class QWidget;

struct MorlanForm {
  void setupUi(QWidget *window);
  void retranslateUi(QWidget *window);
};

#endif
