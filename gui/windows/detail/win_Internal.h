// Inside gui/ only: the Qt side of the windowing half. The widget behind a
// windowed control, the handle table, capture, focus and hover state, the
// timer hub with its virtual clock, and the input entry points that both Qt
// events and the test kit go through.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "gui/windows/Controls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/FrameTrace.h"

namespace gui::detail {

// ---- The widget behind a TWinControl ------------------------------------------
class WinWidget : public QWidget {
public:
    WinWidget(TWinControl* owner, QWidget* parent);
    ~WinWidget() override;

    TWinControl* owner = nullptr;
    QImage back;    // persistent back buffer, client size
    QRegion dirty;  // parts of the back buffer still to be rendered
    int flushes = 0;  // paint events that copied the back buffer to the screen
    // A top-level window's waiters on its next frame (see FrameTrace.h).
    std::vector<std::function<void(const TFrameInfo&)>> frameWaiters;
    long long framePainted = 0;
    bool frameQueued = false;

    // Makes the back buffer the client size (keeping what fits) and marks
    // the new parts dirty.
    void EnsureBuffer();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

// Private access to the windowed control for the runtime.
struct WinAccess {
    static WinWidget* Widget(const TWinControl* c) { return c ? c->FWidget : nullptr; }
    static LONG_PTR& WndProc(TWinControl* c) { return c->FCurrentWndProc; }
    // The window system changed the client size or the position.
    static void WindowResized(TWinControl* c, int clientW, int clientH) { c->WindowSizeChanged(clientW, clientH); }
    static void WindowMoved(TWinControl* c, int x, int y) { c->WindowPosChanged(x, y); }
    static void DefWindowProc(TWinControl* c, TMessage& m) { c->DefWindowHandler(m); }
    static LONG_PTR SetWindowLong(TWinControl* c, int index, LONG_PTR v) { return c->SetWindowLongValue(index, v); }
    static LONG_PTR GetWindowLong(TWinControl* c, int index) { return c->GetWindowLongValue(index); }
    // The window system (a window manager, the user) minimised, maximised or
    // restored a form.
    static void WindowStateChanged(TCustomForm* f, TWindowState state);
};

// Embeds a native Qt widget (edit, list...) filling the control's window:
// its key and focus events are reported through the control's messages.
void EmbedNative(TWinControl* control, QWidget* native);
QWidget* WidgetOf(const TWinControl* control);
WinWidget* WinWidgetOf(const TWinControl* control);

// ---- Frame timing (FrameTrace.h) ------------------------------------------------
// A paint event of `painted` copied `region` to the screen.
void NoteFramePaint(WinWidget* painted, const QRegion& region);
// A wheel message started at startNs was sent to target.
void TraceWheel(TWinControl* target, std::int64_t startNs);
bool WheelTraced();

// ---- Reaching the screen ----------------------------------------------------------
// While one is open (a timer tick runs in one), the back-buffer areas asked
// for are collected and, when the outermost closes, copied to the screen at
// once in one copy per window; outside one, Qt's next paint pass copies them.
class FrameBatch {
public:
    FrameBatch();
    ~FrameBatch();
    FrameBatch(const FrameBatch&) = delete;
    FrameBatch& operator=(const FrameBatch&) = delete;
};
// Asks for `area` of w's back buffer (already drawn) to reach the screen.
void RequestFlush(WinWidget* w, const QRect& area);
// A widget going away leaves the open batch.
void ForgetFlush(WinWidget* w);

// ---- Dispatch boundary ------------------------------------------------------------
// Runs fn; an exception that leaves it goes to the application's error report.
void Guard(const std::function<void()>& fn);

// ---- Handles -----------------------------------------------------------------------
HWND RegisterHandle(TWinControl* control);
void UnregisterHandle(HWND wnd);
inline LONG_PTR& CurrentWndProc(TWinControl* control) { return WinAccess::WndProc(control); }

// ---- Input -------------------------------------------------------------------------
// Delivers a mouse message as real input does: capture and an active window
// move take it first, hover tracking runs, then the message goes to the
// window's procedure at client coordinates.
void DeliverMouse(TWinControl* receiver, UINT msg, WPARAM keys, QPoint global);
// Keyboard input to a window (the focused one for real input).
void DeliverKey(TWinControl* receiver, UINT msg, WPARAM key);
// The window that implicitly holds the mouse between press and release.
TWinControl*& PressedWindow();
// Sends CM_MOUSELEAVE / CM_MOUSEENTER when the control under the pointer changed.
void UpdateMouseControl(QPoint global);
void ForgetControl(TControl* control);
TPoint& CursorPos();
TShiftState& CurrentShift();
// The deepest visible window of `top` (itself included) at a client point of `top`.
TWinControl* WindowAtClientPoint(TWinControl* top, TPoint p);
// The top-level window of ours under a screen point, or null (the desktop, a
// foreign window, a popup). A window manager restacks windows behind our
// back, so where the display server knows the stacking it is asked; else the
// window that last got pointer input at exactly that point (the display server
// chose it), else the top-level list.
TWinControl* TopLevelAt(TPoint screen);

// ---- Focus ---------------------------------------------------------------------------
TWinControl* FocusedControl();
void SetFocusedControl(TWinControl* control);

// ---- Top-level windows, in z-order (last is topmost) ----------------------------------
// The order is ours: Show/BringToFront/SendToBack and activation by the
// window system move a window; a window manager's raise without activation
// is not seen, so pointer look-ups go through TopLevelAt.
void RegisterTopLevel(TWinControl* control);
void UnregisterTopLevel(TWinControl* control);
void RaiseTopLevel(TWinControl* control);
const std::vector<TWinControl*>& TopLevels();

// ---- Window move ---------------------------------------------------------------------
// Starts moving a top-level window with the pointer: the window system's
// move when it offers one, else our own until the button is released.
void BeginWindowMove(TWinControl* top);
bool WindowMoveActive();
void EndWindowMove();

// ---- Timers ----------------------------------------------------------------------
// Every timer of the program (window timers and TTimer) lives here, so that
// the test kit can run them on a virtual clock.
class TimerHub {
public:
    static TimerHub& Instance();
    // Starts (or restarts) a periodic timer; returns its key.
    int Start(int intervalMs, std::function<void()> fire);
    void Stop(int key);
    bool Active(int key) const;
    // Fires one timer now (as if it had elapsed); false when it is not running.
    bool Fire(int key);
    // Virtual clock: no real timers run; Advance moves time and fires what is due.
    void SetVirtual(bool on);
    bool Virtual() const { return virtual_; }
    void Advance(int ms);
    std::int64_t NowMs() const;
    // Window timers keyed by (window, id).
    int WindowTimerKey(HWND wnd, UINT id) const;
    void SetWindowTimer(HWND wnd, UINT id, int key);
    void DropWindowTimer(HWND wnd, UINT id);
    void DropWindow(HWND wnd);

private:
    struct Entry;
    TimerHub() = default;
    Entry* Find(int key);
    const Entry* Find(int key) const;
    void StartReal(Entry& e);
    std::vector<Entry*> entries_;
    struct WinTimer {
        HWND wnd;
        UINT id;
        int key;
    };
    std::vector<WinTimer> windowTimers_;
    int nextKey_ = 1;
    bool virtual_ = false;
    std::int64_t virtualNow_ = 0;
};

}  // namespace gui::detail
