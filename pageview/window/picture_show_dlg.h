// The viewer's only window: the toolbar, the graphics view showing the
// current page as one ImageWidget, the page scroll bar and the horizontal
// scroll bar. It owns the document and rebuilds the scene for every page
// change, zoom, rotation and resize.
//
// A document without a page to show (file missing, wrong key or nonce, not
// a PDF, an image no reader accepts, a page that cannot be rendered) gives
// a centred message in the view instead of a page; every control stays
// usable and then does nothing. The reason is written to the log, and a
// document that never showed a page is reported by documentNeverOpened.
//
// Messages go to Qt's debug stream, category "default".
#ifndef PAGEVIEW_WINDOW_PICTURE_SHOW_DLG_H
#define PAGEVIEW_WINDOW_PICTURE_SHOW_DLG_H

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "document/document_failure.h"
#include "image_widget.h"
#include "window_form.h"

class Picture;
class QGraphicsScene;
class QImage;
class QMenu;
class QScrollBar;
class QTouchEvent;
class QTreeWidget;
namespace pageview {
class DocumentSearch;
class SearchBar;
}  // namespace pageview

class PictureShowDlg : public QWidget {
  Q_OBJECT

 public:
  // path: the protected file as UTF-8. key: 32 bytes; nonceBuffer: the
  // decoded nonce, of which the first 8 bytes are used; without both no
  // document can be opened. isImage: an image rather than a PDF. variant:
  // the PDF container variant. watermark: tiled over every page.
  PictureShowDlg(const QByteArray &path, QWidget *parent, const unsigned char *key,
                 const unsigned char *nonceBuffer, bool isImage, const QString &variant,
                 const QString &watermark);
  ~PictureShowDlg() override;

  // Creates the document object and shows its first page.
  void openDocument();
  // Rebuilds the view for page at the scale the scale box, a pending zoom
  // request or a resize calls for.
  void showPage(int page);

  // What the page item needs of the window.
  bool isImageMode() const { return is_image_; }
  int currentPage() const { return current_page_; }
  int pageCount() const { return page_count_; }
  bool ctrlHeld() const { return ctrl_held_; }
  void setCtrlHeld(bool held) { ctrl_held_ = held; }
  QScrollBar *horizontalBar() const { return ui_.horizontalScrollBar; }
  void setHorizontalBarHandlerOn(bool on) { horizontal_bar_handler_on_ = on; }
  // The graphics view's top-left corner in global coordinates.
  QPoint viewGlobalTopLeft() const;
  // Zooms one step in or out keeping the page point at cursorOffset (view
  // coordinates) where it is, as far as the page's edges allow.
  void anchoredZoom(bool zoomIn, QPoint cursorOffset);

  // For inspection.
  float scale() const { return scale_; }
  int rotation() const { return rotation_; }
  const WindowForm &form() const { return ui_; }
  QMenu *scaleMenu() const { return scale_menu_; }
  ImageWidget *pageItem() const { return item_; }
  QGraphicsScene *scene() const { return scene_; }
  // True when the view shows the no-page message.
  bool showsNoPageMessage() const { return showing_message_; }
  // Why the document never showed a page; none once one was shown.
  pageview::DocumentFailure openFailure() const { return open_failure_; }
  bool documentNeverOpened() const { return open_failure_ != pageview::DocumentFailure::none; }

  // Opens the search row (Ctrl+F); PDF documents only.
  void openSearch();
  pageview::SearchBar *searchBar() const { return search_bar_; }
  const pageview::DocumentSearch &search() const { return *search_; }
  QTreeWidget *outlinePanel() const { return outline_; }

  // Return in the page box; there is no go-to button, so this is not a
  // slot (connecting slots by name would look for one).
  void on_Btn_GoTo_clicked();

 public slots:
  void on_Btn_Last_clicked();
  void on_Btn_Next_clicked();
  void on_Btn_ZoomIn_clicked();
  void on_Btn_ZoomOut_clicked();
  void on_verticalScrollBar_sliderMoved(int position);
  void on_horizontalScrollBar_valueChanged(int value);
  void on_verticalScrollBar_valueChanged(int value);
  void on_verticalScrollBar_sliderPressed();
  void on_verticalScrollBar_sliderReleased();
  void on_lineEdit_returnPressed();
  void on_Btn_Rolate_clicked();
  void on_Btn_OriginalPicture_clicked();
  void onTaskBoxContextMenuEvent();
  void on_lineEditScale_returnPressed();
  void on_Btn_ScaleList_clicked();

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  bool event(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  // The page to show at the scale computeScale chose: the whole page
  // rendered, or (inParts) only its size, to be drawn part by part.
  struct PageToShow {
    QImage *whole = nullptr;
    QSize scaledSize;
    bool inParts = false;
  };

  bool hasPages() const;
  PageToShow computeScale(int page);
  // False when the page cannot be shown at all (no memory for it).
  bool buildScene(const PageToShow &shown, int page);
  ImageWidget::RegionSource regionSource(int page, QSize scaled) const;
  void showNoPageMessage();
  // Drops the scene and the page item. They are deleted later, not now: a
  // page item may be rebuilding the view from inside its own event handler.
  void discardScene();
  // Lets go of a scene that is no longer shown.
  void releaseScene(QGraphicsScene *scene);
  void updatePageDisplay(int page);
  void updateScaleMenuChecks();
  void clearAnchors();
  void buttonZoom(bool zoomIn);
  void goToTypedPage();
  void handleTouch(QTouchEvent *event);
  // A wheel turn over the graphics view outside the page.
  void viewWheel(QPoint globalPosition, QPoint angleDelta);
  // The view's size once the horizontal scroll bar is hidden: a page
  // fitted to the view never needs the bar.
  QSizeF viewSizeForFit() const;
  void noteOpenFailure(pageview::DocumentFailure failure);

  // Search, outline and keys (picture_show_dlg_navigation.cpp).
  void setUpNavigation();
  void fillOutline();
  void goToPage(int page);
  void showWholePage();
  void searchFor(const QString &text);
  void searchProgressed();
  // To the next (1) or previous (-1) match, turning pages as needed; a
  // match in pages not searched yet is gone to once it is found.
  void stepMatch(int direction);
  void applyHighlights();

  // Page pipeline state.
  float scale_ = 0.0f;
  float previous_scale_ = 0.0f;
  bool zoom_in_request_ = false;
  bool zoom_out_request_ = false;
  bool original_size_request_ = false;
  bool in_resize_ = false;
  int scaled_width_ = 0;
  int scaled_height_ = 0;
  float anchor_x_ = 0.0f;
  float anchor_y_ = 0.0f;
  int anchor_offset_x_ = 0;
  int anchor_offset_y_ = 0;
  bool anchored_zoom_ = false;
  int rotation_ = 0;

  bool ctrl_held_ = false;
  bool horizontal_bar_handler_on_ = true;
  int page_count_ = 0;
  WindowForm ui_;
  int current_page_ = 0;
  QString path_;
  ImageWidget *item_ = nullptr;
  QGraphicsScene *scene_ = nullptr;
  bool is_image_;
  std::unique_ptr<Picture> document_;
  std::array<unsigned char, 8> nonce_{};
  std::array<unsigned char, 32> key_{};
  bool has_key_ = false;
  QString variant_;
  bool page_slider_pressed_ = false;
  QString watermark_;
  QMenu *scale_menu_ = nullptr;
  bool showing_message_ = false;
  pageview::DocumentFailure open_failure_ = pageview::DocumentFailure::none;
  bool page_shown_ = false;
  int shown_page_ = -1;  // the page the page item shows
  pageview::SearchBar *search_bar_ = nullptr;
  pageview::DocumentSearch *search_ = nullptr;
  int current_match_ = -1;
  int pending_step_ = 0;
  QTreeWidget *outline_ = nullptr;
};

#endif
