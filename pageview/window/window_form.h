// The viewer window's widgets: the toolbar strip, the graphics view with
// the page scroll bar beside it and the horizontal scroll bar below. Object
// names matter: the window's slots are bound to them by name.
#ifndef PAGEVIEW_WINDOW_WINDOW_FORM_H
#define PAGEVIEW_WINDOW_WINDOW_FORM_H

class QGraphicsView;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QVBoxLayout;
class QWidget;

struct WindowForm {
  QVBoxLayout *verticalLayout = nullptr;
  QWidget *widget = nullptr;  // the toolbar strip; children placed by position
  QPushButton *Btn_Last = nullptr;
  QLineEdit *lineEdit = nullptr;  // page box
  QPushButton *Btn_Next = nullptr;
  QPushButton *Btn_ZoomIn = nullptr;
  QPushButton *Btn_ZoomOut = nullptr;
  QLabel *linePageNum = nullptr;  // page count
  QPushButton *Btn_Rolate = nullptr;
  QLabel *labelSeparator = nullptr;
  QPushButton *Btn_OriginalPicture = nullptr;
  QLineEdit *lineEditScale = nullptr;  // scale box
  QPushButton *Btn_ScaleList = nullptr;
  QHBoxLayout *horizontalLayout = nullptr;
  QGraphicsView *graphicsView = nullptr;
  QScrollBar *verticalScrollBar = nullptr;    // page selector
  QScrollBar *horizontalScrollBar = nullptr;  // pans a wide page

  // Builds the widgets on window (which gets the object name
  // "PictureShowDlg", its sizes and its layout). Slots are not connected.
  void setupUi(QWidget *window);
};

#endif
