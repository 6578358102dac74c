// Keys for a whole window: a handler that sees every key pressed in the
// window first, wherever the focus is in it, before the focused control.
#pragma once

#include <functional>

#include "gui/windows/Controls.h"

namespace app {

// Returns true when it acted on the key; the control with the focus then
// sees neither that key's press nor its release.
using TWindowKeyHandler = std::function<bool(gui::Word Key, gui::TShiftState Shift)>;

// Hooks the window and every windowed control it owns (at any depth), so
// call it once the window's controls exist.
void HandleWindowKeys(gui::TWinControl* Window, TWindowKeyHandler Handler);

}  // namespace app
