// Inside gui/ only: the controls' side of accessibility. The Qt side (the
// interfaces that assistive technology reads, and the factory that gives one
// to every window) lives in Accessible.cpp.
#pragma once

namespace gui {
class TControl;
}

namespace gui::detail {

enum class AccessibleChange { Value, Name, Items };

// Installs the factory that describes our windows to assistive technology;
// once, after the Qt application exists.
void InstallAccessibility();
// Tells assistive technology, when one listens, what changed on a control.
void NotifyAccessible(TControl* control, AccessibleChange what);
// Drops what was handed out for a control that is being destroyed.
void AccessibleControlGone(const TControl* control);

}  // namespace gui::detail
