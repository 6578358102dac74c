// Inside gui/ only: how a form presents itself to the desktop (the window
// class, icon and taskbar presence). Every top-level window goes through
// ApplyWindowIdentity when it is about to be shown.
#pragma once

class QWidget;

namespace gui {
class TCustomForm;
}

namespace gui::detail {

// Before the window is mapped: a form with ShowInTaskbar off is kept out of
// the taskbar and pager; one with it on gets its entries back.
void ApplyWindowIdentity(QWidget* window, const TCustomForm* form);

}  // namespace gui::detail
