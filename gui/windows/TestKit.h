// Test helpers for code built on the GUI layer: an off-screen session with a
// virtual clock and captured message boxes, input sent through the same
// dispatch as real input, deterministic timers, and pixel read-back.
#pragma once

#include <memory>
#include <vector>

#include "gui/windows/Controls.h"
#include "gui/windows/Dialogs.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"

namespace gui::testkit {

// While a session lives: timers run only when the test advances the virtual
// clock, message boxes (and so the default error report) are recorded and
// answered with NextAnswer, and Halt is recorded instead of ending the process.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::vector<TMessageBoxRequest> Boxes;
    std::vector<int> Halts;
    int NextAnswer = IDOK;
    // Texts of the recorded boxes, in order.
    std::vector<String> Texts() const;
    void Clear() { Boxes.clear(); }

private:
    TMessageBoxHandler FOldBoxes;
    THaltHandler FOldHalt;
};

// ---- Input, at client coordinates of `control` ----------------------------------
void MouseMove(TControl* control, int x, int y);
void MouseDown(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
void MouseUp(TControl* control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
// Press and release at the same point.
void Click(TControl* control, int x, int y, TMouseButton button = mbLeft);
// Press, release, double-click press, release.
void DblClick(TControl* control, int x, int y);
// The mouse buttons the kit currently holds down.
WPARAM HeldButtons();

// One wheel turn (120 a notch, negative toward the user) with the pointer
// at a client point of the windowed control under it, as the window system
// reports it.
void Wheel(TWinControl* under, int x, int y, int delta);

// Keys go to the focused control, or to `control` when it is given.
void KeyDown(Word vk, TShiftState shift = {}, TWinControl* control = nullptr);
void KeyUp(Word vk, TShiftState shift = {}, TWinControl* control = nullptr);
void KeyPress(char ch, TWinControl* control = nullptr);
// Key down, character (for printable keys) and key up.
void PressKey(Word vk, TShiftState shift = {}, TWinControl* control = nullptr);

// ---- Timers and the event loop -----------------------------------------------------
// Moves the virtual clock, firing every timer that falls due, in time order.
void AdvanceTime(int ms);
// Fires one timer now; false when it is not running.
bool FireTimer(TTimer* timer);
bool FireWindowTimer(HWND wnd, UINT id);
bool TimerRunning(TTimer* timer);
bool WindowTimerRunning(HWND wnd, UINT id);
// Delivers posted messages and pending events.
void ProcessMessages();

// ---- Pixels ------------------------------------------------------------------------------
// The control's window as it is drawn now (windowed children included):
// pending paints are rendered first. A graphic control renders its parent
// and crops to itself.
std::unique_ptr<TBitmap> Render(TControl* control);
// One pixel of Render, as $00BBGGRR.
TColor PixelAt(TControl* control, int x, int y);
// One pixel of a window's persistent back buffer as it is, without painting.
TColor BackBufferPixel(TWinControl* control, int x, int y);
// How often a window's back buffer has been copied to the screen so far
// (one paint event of its widget, or one direct copy at the end of a timer
// tick, each followed by one flush).
int ScreenCopies(TWinControl* control);
// One pixel of what the window system was last handed for the top-level
// window holding `control` (its store), at the control's client point; clNone
// when there is no such store or point.
TColor ScreenPixel(TWinControl* control, int x, int y);

}  // namespace gui::testkit
