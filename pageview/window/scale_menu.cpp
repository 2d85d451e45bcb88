#include "scale_menu.h"

#include <QAction>
#include <QMenu>

#include "scale_model.h"

namespace pageview {

namespace {

void addEntry(QMenu *menu, const QString &text, int data, const QObject *receiver,
              const char *slot) {
  QAction *action = menu->addAction(text);
  action->setCheckable(true);
  action->setData(data);
  QObject::connect(action, SIGNAL(triggered()), receiver, slot);
}

}  // namespace

QMenu *buildScaleMenu(QWidget *parent, const QObject *receiver, const char *slot) {
  auto *menu = new QMenu(parent);
  for (int step = 0; step < static_cast<int>(kScaleSteps.size()); ++step)
    addEntry(menu, percentageText(kScaleSteps[step]), step, receiver, slot);
  menu->addSeparator();
  addEntry(menu, QStringLiteral("实际大小"), kActualSizeEntry, receiver, slot);
  addEntry(menu, fitWidthText(), kFitWidthEntry, receiver, slot);
  addEntry(menu, wholePageText(), kWholePageEntry, receiver, slot);
  checkScaleEntry(menu, kWholePageEntry);
  return menu;
}

void checkScaleEntry(QMenu *menu, int entry) {
  if (!menu) return;
  for (QAction *action : menu->actions()) {
    if (action->isSeparator()) continue;
    action->setChecked(action->data().toInt() == entry);
  }
}

QString scaleTextForEntry(int entry) {
  if (entry >= 0 && entry < static_cast<int>(kScaleSteps.size()))
    return percentageText(kScaleSteps[entry]);
  if (entry == kActualSizeEntry) return QStringLiteral("100%");
  if (entry == kFitWidthEntry) return fitWidthText();
  return wholePageText();
}

}  // namespace pageview
