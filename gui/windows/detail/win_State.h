// Inside gui/ only: the state that the windowing runtime's pieces share
// (handle table, capture, hover, focus, pressed window, cursor, top levels,
// window move) and the event that carries a posted message.
#pragma once

#include <QEvent>
#include <QPoint>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gui/windows/detail/win_Internal.h"

namespace gui::detail {

struct Runtime {
    std::unordered_map<HWND, TWinControl*> handles;
    std::uintptr_t nextHandle = 0x10000;
    std::unordered_set<LONG_PTR> instances;
    HWND capture = nullptr;
    TControl* captureControl = nullptr;
    TControl* mouseControl = nullptr;
    TWinControl* focused = nullptr;
    TWinControl* pressed = nullptr;
    TPoint cursor;
    TShiftState shift;
    std::vector<TWinControl*> topLevels;
    // The top-level window the display server last delivered pointer input
    // to without a grab, and where the pointer was then.
    TWinControl* pointerTop = nullptr;
    TPoint pointerAt;
    TWinControl* moving = nullptr;
    QPoint moveStartCursor;
    QPoint moveStartPos;
};
// The one runtime state of the program, never destroyed.
Runtime& RT();

struct ObjectInstance {
    TWndMethod method;
};

inline constexpr int kPostedMessageEvent = QEvent::User + 0x400;
class PostedMessageEvent : public QEvent {
public:
    PostedMessageEvent(UINT m, WPARAM w, LPARAM l)
        : QEvent(static_cast<QEvent::Type>(kPostedMessageEvent)), msg(m), wparam(w), lparam(l) {}
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
};

// Virtual-key code of a Qt key, 0 for keys without one.
int VirtualKeyOf(int qtKey);

// Sets the current shift state from Qt's keyboard modifiers.
void SetShiftFromModifiers(Qt::KeyboardModifiers m);

// Turns Qt mouse, wheel and key events for a window into its messages;
// false for other events.
bool TranslateInput(TWinControl* owner, QEvent* e);

}  // namespace gui::detail
