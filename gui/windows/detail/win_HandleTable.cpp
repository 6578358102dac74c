// The handle table, the runtime state it lives in, and the list of
// top-level windows in z-order.
#include <algorithm>

#include "gui/windows/detail/win_State.h"

namespace gui::detail {

Runtime& RT() {
    static Runtime* rt = new Runtime;
    return *rt;
}

HWND RegisterHandle(TWinControl* control) {
    auto& rt = RT();
    HWND h = reinterpret_cast<HWND>(rt.nextHandle);
    rt.nextHandle += 4;
    rt.handles[h] = control;
    return h;
}

void UnregisterHandle(HWND wnd) {
    auto& rt = RT();
    rt.handles.erase(wnd);
    if (rt.capture == wnd) {
        rt.capture = nullptr;
        rt.captureControl = nullptr;
    }
    TimerHub::Instance().DropWindow(wnd);
}

TWinControl*& PressedWindow() { return RT().pressed; }
TPoint& CursorPos() { return RT().cursor; }
TShiftState& CurrentShift() { return RT().shift; }

void ForgetControl(TControl* control) {
    auto& rt = RT();
    if (rt.mouseControl == control) rt.mouseControl = nullptr;
    if (rt.captureControl == control) rt.captureControl = nullptr;
    if (rt.focused == control) rt.focused = nullptr;
    if (rt.pressed == control) rt.pressed = nullptr;
    if (rt.moving == control) rt.moving = nullptr;
    if (rt.pointerTop == control) rt.pointerTop = nullptr;
}

// ---- Top levels ----------------------------------------------------------------------

void RegisterTopLevel(TWinControl* control) {
    auto& v = RT().topLevels;
    if (std::find(v.begin(), v.end(), control) == v.end()) v.push_back(control);
}
void UnregisterTopLevel(TWinControl* control) {
    if (RT().pointerTop == control) RT().pointerTop = nullptr;
    auto& v = RT().topLevels;
    v.erase(std::remove(v.begin(), v.end(), control), v.end());
}
void RaiseTopLevel(TWinControl* control) {
    // Another window raised may now lie under the pointer: what the last
    // pointer input said no longer holds.
    if (RT().pointerTop != control) RT().pointerTop = nullptr;
    auto& v = RT().topLevels;
    v.erase(std::remove(v.begin(), v.end(), control), v.end());
    v.push_back(control);
}
const std::vector<TWinControl*>& TopLevels() { return RT().topLevels; }

}  // namespace gui::detail
