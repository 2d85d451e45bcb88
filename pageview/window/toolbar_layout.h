// Places the toolbar's controls about the middle of the window: in PDF mode
// the page controls left of the separator and the scale controls right of
// it; in image mode zoom, original size, separator and rotate. Controls the
// mode does not use are hidden.
#ifndef PAGEVIEW_WINDOW_TOOLBAR_LAYOUT_H
#define PAGEVIEW_WINDOW_TOOLBAR_LAYOUT_H

struct WindowForm;

namespace pageview {

void layoutToolbar(const WindowForm &form, int windowWidth, bool imageMode);

}  // namespace pageview

#endif
