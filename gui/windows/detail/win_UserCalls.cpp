// The window procedure calls: messages, window procedures and long values,
// capture, window timers, cursor position, focus and window geometry by handle.
#include <QCoreApplication>

#include <algorithm>

#include "gui/windows/Forms.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_State.h"

namespace gui {

using detail::RT;

TWinControl* FindControl(HWND wnd) {
    if (!wnd) return nullptr;
    auto& h = RT().handles;
    auto it = h.find(wnd);
    return it == h.end() ? nullptr : it->second;
}

LONG_PTR MakeObjectInstance(TWndMethod method) {
    auto* inst = new detail::ObjectInstance{std::move(method)};
    auto key = reinterpret_cast<LONG_PTR>(inst);
    RT().instances.insert(key);
    return key;
}

void FreeObjectInstance(LONG_PTR instance) {
    auto& set = RT().instances;
    if (set.erase(instance)) delete reinterpret_cast<detail::ObjectInstance*>(instance);
}

LRESULT CallWindowProcA(LONG_PTR proc, HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (proc == 0) return DefWindowProcA(wnd, msg, w, l);
    if (RT().instances.count(proc)) {
        TMessage m{msg, w, l, 0};
        // Copy: the method may free its own instance while it runs.
        TWndMethod method = reinterpret_cast<detail::ObjectInstance*>(proc)->method;
        if (method) method(m);
        return m.Result;
    }
    return reinterpret_cast<WNDPROC>(proc)(wnd, msg, w, l);
}

LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    TMessage m{msg, w, l, 0};
    detail::WinAccess::DefWindowProc(c, m);
    return m.Result;
}

LONG_PTR SetWindowLongA(HWND wnd, int index, LONG_PTR value) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    if (index == GWL_WNDPROC) {
        if (value == 0) return 0;
        LONG_PTR& cur = detail::CurrentWndProc(c);
        LONG_PTR old = cur;
        cur = value;
        return old;
    }
    return detail::WinAccess::SetWindowLong(c, index, value);
}

LONG_PTR GetWindowLongA(HWND wnd, int index) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    if (index == GWL_WNDPROC) return detail::CurrentWndProc(c);
    return detail::WinAccess::GetWindowLong(c, index);
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    return CallWindowProcA(detail::CurrentWndProc(c), wnd, msg, w, l);
}

bool PostMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    QCoreApplication::postEvent(detail::WidgetOf(c), new detail::PostedMessageEvent(msg, w, l));
    return true;
}

bool IsWindow(HWND wnd) { return FindControl(wnd) != nullptr; }

bool IsWindowVisible(HWND wnd) {
    TWinControl* c = FindControl(wnd);
    return c && c->Showing();
}

HWND SetCapture(HWND wnd) {
    auto& rt = RT();
    HWND old = rt.capture;
    if (!FindControl(wnd)) return old;
    rt.capture = wnd;
    if (old && old != wnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd));
    return old;
}

HWND GetCapture() { return RT().capture; }

bool ReleaseCapture() {
    auto& rt = RT();
    HWND old = rt.capture;
    rt.capture = nullptr;
    rt.captureControl = nullptr;
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

TControl* GetCaptureControl() {
    auto& rt = RT();
    if (rt.captureControl) return rt.captureControl;
    return FindControl(rt.capture);
}

void SetCaptureControl(TControl* Control) {
    auto& rt = RT();
    if (!Control) {
        ReleaseCapture();
        return;
    }
    if (auto* wc = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(wc->Handle());
        rt.captureControl = nullptr;
        return;
    }
    if (Control->Parent()) {
        SetCapture(Control->Parent()->Handle());
        rt.captureControl = Control;
    }
}

UINT SetTimer(HWND wnd, UINT id, UINT elapseMs, void*) {
    if (!FindControl(wnd)) return 0;
    auto& hub = detail::TimerHub::Instance();
    int key = hub.Start(static_cast<int>(elapseMs), [wnd, id] { SendMessage(wnd, WM_TIMER, id, 0); });
    hub.SetWindowTimer(wnd, id, key);
    return id == 0 ? 1 : id;
}

bool KillTimer(HWND wnd, UINT id) {
    auto& hub = detail::TimerHub::Instance();
    if (!hub.WindowTimerKey(wnd, id)) return false;
    hub.DropWindowTimer(wnd, id);
    return true;
}

bool GetCursorPos(TPoint* pt) {
    if (!pt) return false;
    *pt = RT().cursor;
    return true;
}

bool SetCursorPos(int x, int y) {
    RT().cursor = TPoint{x, y};
    return true;
}

HWND WindowFromPoint(TPoint pt) {
    TWinControl* c = FindVCLWindow(pt);
    return c ? c->Handle() : nullptr;
}

HWND GetFocus() {
    TWinControl* c = detail::FocusedControl();
    return c ? c->Handle() : nullptr;
}

HWND SetFocus(HWND wnd) {
    HWND old = GetFocus();
    if (TWinControl* c = FindControl(wnd)) c->SetFocus();
    return old;
}

HWND GetActiveWindow() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm()->Handle();
    return nullptr;
}

bool InvalidateRect(HWND wnd, const TRect* rect, bool) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    if (rect)
        c->InvalidateRect(*rect);
    else
        c->Invalidate();
    return true;
}

bool UpdateWindow(HWND wnd) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    c->Update();
    return true;
}

bool GetClientRect(HWND wnd, TRect* rect) {
    TWinControl* c = FindControl(wnd);
    if (!c || !rect) return false;
    *rect = c->ClientRect();
    return true;
}

bool GetWindowRect(HWND wnd, TRect* rect) {
    TWinControl* c = FindControl(wnd);
    if (!c || !rect) return false;
    TPoint o = c->ClientOrigin();
    TRect cr = c->ClientRect();
    *rect = Bounds(o.X, o.Y, cr.Width(), cr.Height());
    return true;
}

bool ClientToScreen(HWND wnd, TPoint* pt) {
    TWinControl* c = FindControl(wnd);
    if (!c || !pt) return false;
    *pt = c->ClientToScreen(*pt);
    return true;
}

bool ScreenToClient(HWND wnd, TPoint* pt) {
    TWinControl* c = FindControl(wnd);
    if (!c || !pt) return false;
    *pt = c->ScreenToClient(*pt);
    return true;
}

bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* rect, const TRect*) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    c->ScrollBy(dx, dy, rect);
    return true;
}

bool ShowWindow(HWND wnd, int cmd) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    bool was = c->Visible();
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
        if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED) {
            f->SetWindowState(wsMinimized);
            return was;
        }
        if (cmd == SW_RESTORE) f->SetWindowState(wsNormal);
    }
    c->SetVisible(cmd != SW_HIDE);
    return was;
}

}  // namespace gui
