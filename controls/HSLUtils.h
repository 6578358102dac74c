// Hue, saturation and luminance on the 240 scale of the classic colour
// dialog: hue 0..239, saturation and luminance 0..240.
#pragma once

#include "gui/base/Types.h"

namespace controls {

constexpr int HSLRange = 240;

struct THSL {
    int H = 0;
    int S = 0;
    int L = 0;
    friend bool operator==(const THSL&, const THSL&) = default;
};

// An RGB colour ($00BBGGRR, no system colours) to HSL on the 240 scale,
// each component taken to the nearest integer with halves to even.
THSL RGBtoHSL(gui::TColor Color);

// Back to RGB. Out-of-range components are limited to the scale first, so
// every result is a valid colour.
gui::TColor HSLtoRGB(int H, int S, int L);
inline gui::TColor HSLtoRGB(const THSL& c) { return HSLtoRGB(c.H, c.S, c.L); }

}  // namespace controls
