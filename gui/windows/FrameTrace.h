// Frame timing for benchmarks and traces: when a window's pixels have been
// handed to the window system, and how many of them were painted for it.
#pragma once

#include <cstdint>
#include <functional>

#include "gui/windows/Controls.h"

namespace gui {

struct TFrameInfo {
    // Pixels our windows copied to the screen in this frame (the window's
    // own and its child windows' paints).
    long long PaintedPixels = 0;
    // The top-level window's client area.
    long long WindowPixels = 0;
    // When the frame was handed over, on FrameClockNs's clock.
    std::int64_t PresentedNs = 0;
};

// Steady-clock nanoseconds: the clock of TFrameInfo.
std::int64_t FrameClockNs();

// Calls Done once, after the next frame of Window's top-level window has been
// handed to the window system. A window that never paints again never calls.
void AfterNextFrame(TWinControl* Window, std::function<void(const TFrameInfo&)> Done);

// While set, Hook hears of every wheel turn once the frame it caused has been
// handed over: the milliseconds from the event reaching the program.
void SetWheelFrameHook(std::function<void(double Ms, const TFrameInfo&)> Hook);

}  // namespace gui
