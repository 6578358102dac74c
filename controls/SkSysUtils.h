// Drawing and arithmetic routines shared by the custom-painted controls:
// the percent arithmetic of the meters, colour helpers, bevel rings,
// stepped gradients and tiled bitmaps.
#pragma once

#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"

namespace controls {

// trunc(Total * (Percent * 0.01)) in 80-bit extended precision. The constant
// 0.01 is slightly below one hundredth, so e.g. PercentOf(10, 100) is 9: the
// meters' tick counts depend on exactly this.
int PercentOf(int Percent, int Total);

// 100 * Value / Range truncated toward zero; 0 when Range is 0. Takes 64-bit
// values so that callers can pass differences of 32-bit bounds safely.
int PercentFromValue(long long Value, long long Range);

// A system colour (negative value) becomes the colour of the index in its
// low byte; any other colour is returned unchanged.
gui::TColor ResolveColor(gui::TColor Color);

// X rounded to the nearest integer, halves to even, in 80-bit extended
// precision whatever the current rounding mode. X must fit a long long.
long long RoundHalfEven(long double X);

// Moves the lower (Upper false) or upper bound of a control's Min < Max
// range holding Position. A value that changes nothing or would empty the
// range is ignored. A position left outside is pulled to the new bound
// through the control's SetPosition (so it notifies); otherwise the control
// just repaints.
template <class Control>
void SetRangeBound(Control& C, int& Min, int& Max, bool Upper, int Value, int Position) {
    int& bound = Upper ? Max : Min;
    if (Value == bound || (Upper ? Value <= Min : Value >= Max)) return;
    bound = Value;
    if (Upper ? Position > Value : Position < Value)
        C.SetPosition(Value);
    else
        C.UpdateControl();
}

// X rounded to the nearest integer (halves to even), limited to 0..255.
int RoundClampByte(double X);

// Draws Width one-pixel rings inward from Rect's edge, the top and left
// edges in TopColor and the bottom and right edges in BottomColor, and
// shrinks Rect by Width on each side. Width <= 0 draws nothing.
void Draw3DFrame(gui::TCanvas* Canvas, gui::TRect& Rect, gui::TColor TopColor, gui::TColor BottomColor, int Width);

constexpr int gdVertical = 0;
constexpr int gdHorizontal = 1;

// A stepped ramp from StartColor to EndColor in strips of StripSize pixels:
// Direction 0 runs top to bottom, 1 left to right; any other direction (or
// a strip size below 1) draws nothing.
void DrawGradient(gui::TCanvas* Canvas, const gui::TRect& Rect, gui::TColor StartColor, gui::TColor EndColor,
                  int Direction, int StripSize);

// Covers Rect with copies of Bitmap, starting at its top-left corner; the
// last column and row may hang over. An empty bitmap draws nothing.
void TileBitmap(gui::TCanvas* Canvas, const gui::TRect& Rect, gui::TBitmap* Bitmap);

bool SameRect(const gui::TRect& A, const gui::TRect& B);

// Shrinks R by D on every side, saturating instead of overflowing.
void ShrinkRect(gui::TRect& R, long long D);

}  // namespace controls
