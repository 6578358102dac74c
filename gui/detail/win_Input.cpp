// Delivery of mouse and key input to windows: capture, an active window
// move, hover tracking (enter/leave), then the window procedure.
#include "gui/Forms.h"
#include "gui/detail/win_Cursor.h"
#include "gui/detail/win_State.h"

namespace gui::detail {

TWinControl* WindowAtClientPoint(TWinControl* top, TPoint p) {
    TWinControl* cur = top;
    for (;;) {
        TWinControl* next = nullptr;
        for (int i = cur->ControlCount() - 1; i >= 0; --i) {
            auto* wc = dynamic_cast<TWinControl*>(cur->Controls(i));
            if (!wc || !wc->Visible()) continue;
            TRect b = wc->BoundsRect();
            if (p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom) {
                next = wc;
                p = TPoint{p.X - b.Left, p.Y - b.Top};
                break;
            }
        }
        if (!next) return cur;
        cur = next;
    }
}

void UpdateMouseControl(QPoint global) {
    auto& rt = RT();
    TControl* c = FindDragTarget(TPoint{global.x(), global.y()}, true);
    ApplyControlCursor(c);
    if (c == rt.mouseControl) return;
    TControl* old = rt.mouseControl;
    rt.mouseControl = c;
    if (old) Guard([&] { old->Perform(CM_MOUSELEAVE, 0, 0); });
    // The leave handler may have freed or replaced the new control.
    if (c && rt.mouseControl == c) Guard([&] { c->Perform(CM_MOUSEENTER, 0, 0); });
}

void DeliverMouse(TWinControl* receiver, UINT msg, WPARAM keys, QPoint global) {
    auto& rt = RT();
    rt.cursor = TPoint{global.x(), global.y()};
    TShiftState s = KeysToShiftState(keys);
    rt.shift = s;

    // Our own window move follows the pointer and eats the input until release.
    if (rt.moving) {
        TWinControl* top = rt.moving;
        if (msg == WM_MOUSEMOVE) {
            QPoint d = global - rt.moveStartCursor;
            Guard([&] { top->SetBounds(rt.moveStartPos.x() + d.x(), rt.moveStartPos.y() + d.y(), top->Width(),
                                       top->Height()); });
            return;
        }
        if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
            rt.moving = nullptr;
            rt.pressed = nullptr;
            return;
        }
        return;
    }

    TWinControl* target = receiver;
    if (rt.capture) {
        if (TWinControl* c = FindControl(rt.capture)) target = c;
    }
    if (msg == WM_MOUSEMOVE) UpdateMouseControl(global);
    if (!target || !target->HandleAllocated()) return;
    TPoint local = target->ScreenToClient(TPoint{global.x(), global.y()});
    HWND h = target->Handle();
    Guard([&] { SendMessage(h, msg, keys, MakeLParam(local.X, local.Y)); });
}

void DeliverKey(TWinControl* receiver, UINT msg, WPARAM key) {
    if (!receiver || !receiver->HandleAllocated()) return;
    HWND h = receiver->Handle();
    Guard([&] { SendMessage(h, msg, key, 0); });
}

}  // namespace gui::detail
