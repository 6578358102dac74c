// Keyboard focus: WM_KILLFOCUS to the old window, then WM_SETFOCUS to the new one.
#include "gui/windows/detail/win_State.h"

namespace gui::detail {

TWinControl* FocusedControl() { return RT().focused; }

void SetFocusedControl(TWinControl* control) {
    auto& rt = RT();
    if (rt.focused == control) return;
    TWinControl* old = rt.focused;
    rt.focused = control;
    if (old && old->HandleAllocated()) {
        HWND oldh = old->Handle();
        HWND newh = control ? control->Handle() : nullptr;
        Guard([&] { SendMessage(oldh, WM_KILLFOCUS, reinterpret_cast<WPARAM>(newh), 0); });
    }
    // The kill-focus handler may have moved the focus elsewhere.
    if (control && rt.focused == control) {
        Guard([&] { SendMessage(control->Handle(), WM_SETFOCUS, 0, 0); });
    }
}

}  // namespace gui::detail
