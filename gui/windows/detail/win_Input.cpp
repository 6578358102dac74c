// Delivery of mouse and key input to windows: capture, an active window
// move, hover tracking (enter/leave), then the window procedure.
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "gui/windows/Forms.h"
#include "gui/windows/detail/win_Cursor.h"
#include "gui/windows/detail/win_State.h"

namespace gui::detail {

namespace {

// A top-level window that can take the pointer at a screen point: shown, not
// minimised, the point in its client area and inside its shape.
bool TakesPointerAt(TWinControl* top, TPoint screen) {
    QWidget* w = WidgetOf(top);
    if (!w || !w->isVisible() || w->isMinimized()) return false;
    TPoint local = top->ScreenToClient(screen);
    TRect cr = top->ClientRect();
    if (local.X < cr.Left || local.X >= cr.Right || local.Y < cr.Top || local.Y >= cr.Bottom) return false;
    QRegion mask = w->mask();
    return mask.isEmpty() || mask.contains(QPoint(local.X, local.Y));
}

// The offscreen and minimal platforms keep no stacking of their own.
bool PlatformKnowsStacking() {
    if (!qGuiApp) return false;
    QString name = QGuiApplication::platformName();
    return name != "offscreen" && name != "minimal";
}

TWinControl* TopLevelOfWindow(const QWindow* window) {
    if (!window) return nullptr;
    for (TWinControl* top : RT().topLevels) {
        QWidget* w = WidgetOf(top);
        if (w && w->windowHandle() == window) return top;
    }
    return nullptr;
}

// Without a button held there is no implicit grab: the display server sent
// the event to the window under the pointer.
bool DeliveredUnderPointer(UINT msg, WPARAM keys) {
    int held = ((keys & MK_LBUTTON) ? 1 : 0) + ((keys & MK_RBUTTON) ? 1 : 0) + ((keys & MK_MBUTTON) ? 1 : 0);
    switch (msg) {
        case WM_MOUSEMOVE: return held == 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: return held <= 1;
        default: return false;
    }
}

}  // namespace

TWinControl* TopLevelAt(TPoint screen) {
    auto& rt = RT();
    if (PlatformKnowsStacking()) {
        TWinControl* top = TopLevelOfWindow(QGuiApplication::topLevelAt(QPoint(screen.X, screen.Y)));
        return top && TakesPointerAt(top, screen) ? top : nullptr;
    }
    if (rt.pointerTop && rt.pointerAt == screen && TakesPointerAt(rt.pointerTop, screen)) return rt.pointerTop;
    const auto& tops = rt.topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (TakesPointerAt(*it, screen)) return *it;
    return nullptr;
}

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

    if (receiver && DeliveredUnderPointer(msg, keys)) {
        TWinControl* top = receiver;
        while (top->Parent()) top = top->Parent();
        rt.pointerTop = top;
        rt.pointerAt = rt.cursor;
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
