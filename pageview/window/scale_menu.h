// The scale box's drop-down menu: one checkable entry per scale step
// (data 0-13), a separator, then actual size (14), fit width (15) and whole
// page (16). Entries are checked only for exact step values.
#ifndef PAGEVIEW_WINDOW_SCALE_MENU_H
#define PAGEVIEW_WINDOW_SCALE_MENU_H

#include <QString>

class QMenu;
class QObject;
class QWidget;

namespace pageview {

constexpr int kActualSizeEntry = 14;
constexpr int kFitWidthEntry = 15;
constexpr int kWholePageEntry = 16;

// Builds the menu with parent as its parent; every entry's triggered()
// goes to receiver's slot (a SLOT() signature). Whole page starts checked.
QMenu *buildScaleMenu(QWidget *parent, const QObject *receiver, const char *slot);

// Unchecks every entry, then checks the one whose data is entry (none when
// no entry has that data, e.g. -1).
void checkScaleEntry(QMenu *menu, int entry);

// The scale box text an entry stands for: "50%", "100%" for actual size,
// or the text of a fit mode.
QString scaleTextForEntry(int entry);

}  // namespace pageview

#endif
