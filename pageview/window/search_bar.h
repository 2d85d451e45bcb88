// The search row under the toolbar, opened with Ctrl+F: the text to find,
// the matches' count and position, and buttons for the previous and next
// match. Return goes to the next match, Shift+Return to the previous one,
// Escape closes the row.
#ifndef PAGEVIEW_WINDOW_SEARCH_BAR_H
#define PAGEVIEW_WINDOW_SEARCH_BAR_H

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pageview {

class SearchBar : public QWidget {
  Q_OBJECT

 public:
  explicit SearchBar(QWidget *parent = nullptr);

  // Shows the row and puts the cursor in the text, all of it selected.
  void open();
  QString text() const;
  // "3 / 17", "17 matches", "no match", with "…" while still searching.
  void showCount(int current, int total, bool searching);

  QLineEdit *textBox() const { return text_; }
  QLabel *countLabel() const { return count_; }

 signals:
  void textChanged(const QString &text);
  void nextRequested();
  void previousRequested();
  void closed();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  QLineEdit *text_;
  QLabel *count_;
  QPushButton *previous_;
  QPushButton *next_;
  QPushButton *close_;
};

}  // namespace pageview

#endif
