#include "search_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pageview {

SearchBar::SearchBar(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("searchBar"));
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(8, 2, 8, 2);
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("searchBox"));
  text_->setPlaceholderText(QStringLiteral("查找 / Find"));
  text_->setMaximumWidth(320);
  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("searchCount"));
  previous_ = new QPushButton(QStringLiteral("▲"), this);
  previous_->setObjectName(QStringLiteral("searchPrevious"));
  next_ = new QPushButton(QStringLiteral("▼"), this);
  next_->setObjectName(QStringLiteral("searchNext"));
  close_ = new QPushButton(QStringLiteral("✕"), this);
  close_->setObjectName(QStringLiteral("searchClose"));
  for (QPushButton *button : {previous_, next_, close_}) {
    button->setFixedSize(28, 24);
    button->setFocusPolicy(Qt::NoFocus);
  }
  row->addWidget(text_);
  row->addWidget(previous_);
  row->addWidget(next_);
  row->addWidget(count_);
  row->addStretch();
  row->addWidget(close_);
  text_->installEventFilter(this);
  connect(text_, &QLineEdit::textChanged, this, &SearchBar::textChanged);
  connect(previous_, &QPushButton::clicked, this, &SearchBar::previousRequested);
  connect(next_, &QPushButton::clicked, this, &SearchBar::nextRequested);
  connect(close_, &QPushButton::clicked, this, [this] {
    hide();
    emit closed();
  });
  hide();
}

void SearchBar::open() {
  show();
  text_->setFocus(Qt::ShortcutFocusReason);
  text_->selectAll();
}

QString SearchBar::text() const { return text_->text(); }

void SearchBar::showCount(int current, int total, bool searching) {
  QString text;
  if (total == 0)
    text = searching ? QStringLiteral("…") : QStringLiteral("无匹配 / no match");
  else if (current < 0)
    text = QStringLiteral("%1").arg(total);
  else
    text = QStringLiteral("%1 / %2").arg(current + 1).arg(total);
  if (searching && total > 0) text += QStringLiteral("…");
  count_->setText(text);
}

bool SearchBar::eventFilter(QObject *watched, QEvent *event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (key->modifiers() & Qt::ShiftModifier)
        emit previousRequested();
      else
        emit nextRequested();
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      hide();
      emit closed();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pageview
