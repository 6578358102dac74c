#include "controls/SkSysUtils.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>

#include "gui/draw/Gdi.h"

namespace controls {

using namespace gui;

namespace {

int SaturateInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int SaturateInt(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<long double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<long double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);  // truncates toward zero
}

}  // namespace

int PercentOf(int Percent, int Total) {
    static_assert(sizeof(long double) >= 10, "PercentOf needs 80-bit extended precision");
    // Two separately rounded extended products, as the meters have always
    // computed them; the volatile keeps the compiler from fusing them.
    volatile long double p = static_cast<long double>(Percent) * 0.01L;
    volatile long double q = static_cast<long double>(Total) * p;
    return SaturateInt(std::trunc(static_cast<long double>(q)));
}

int PercentFromValue(long long Value, long long Range) {
    if (Range == 0) return 0;
    // Past 2^56 the product would overflow; such values never come from
    // 32-bit bounds, so dividing first is good enough there.
    const long long limit = (1LL << 56);
    if (Value > limit || Value < -limit) return SaturateInt(Value / Range * 100);
    return SaturateInt(100 * Value / Range);
}

TColor ResolveColor(TColor Color) {
    if (Color < 0) return static_cast<TColor>(GetSysColor(Color & 0xFF));
    return Color;
}

long long RoundHalfEven(long double X) {
    const int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyintl(X);
    if (old != FE_TONEAREST) std::fesetround(old);
    return static_cast<long long>(r);
}

int RoundClampByte(double X) {
    if (std::isnan(X)) return 0;
    if (X <= 0) return 0;
    if (X >= 255) return 255;
    return static_cast<int>(RoundHalfEven(X));  // a double widens exactly
}

void ShrinkRect(TRect& R, long long D) {
    R.Left = SaturateInt(static_cast<long long>(R.Left) + D);
    R.Top = SaturateInt(static_cast<long long>(R.Top) + D);
    R.Right = SaturateInt(static_cast<long long>(R.Right) - D);
    R.Bottom = SaturateInt(static_cast<long long>(R.Bottom) - D);
}

void Draw3DFrame(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    if (Width <= 0) return;
    // Rings past the canvas's clip box cannot show, so a huge width (a bevel
    // width may be up to 2^31-1) costs no more than the visible rings.
    TRect clip = Canvas->ClipRect();
    long long visible = std::max({static_cast<long long>(clip.Bottom) - Rect.Top,
                                  static_cast<long long>(Rect.Bottom) - clip.Top,
                                  static_cast<long long>(clip.Right) - Rect.Left,
                                  static_cast<long long>(Rect.Right) - clip.Left, 0LL}) + 2;
    long long rings = std::min<long long>(Width, visible);

    Canvas->Pen()->SetWidth(1);
    long long l = Rect.Left, t = Rect.Top, r = static_cast<long long>(Rect.Right) - 1,
              b = static_cast<long long>(Rect.Bottom) - 1;
    for (long long i = 0; i < rings; ++i) {
        TPoint top[3] = {{SaturateInt(l), SaturateInt(b)}, {SaturateInt(l), SaturateInt(t)},
                         {SaturateInt(r), SaturateInt(t)}};
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Polyline(top, 3);
        TPoint bottom[3] = {{SaturateInt(r), SaturateInt(t)}, {SaturateInt(r), SaturateInt(b)},
                            {SaturateInt(l - 1), SaturateInt(b)}};
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline(bottom, 3);
        ++l;
        ++t;
        --r;
        --b;
    }
    ShrinkRect(Rect, Width);
}

void DrawGradient(TCanvas* Canvas, const TRect& Rect, TColor StartColor, TColor EndColor, int Direction,
                  int StripSize) {
    if (Direction != gdVertical && Direction != gdHorizontal) return;
    // A strip size below 1 would never advance.
    if (StripSize < 1) return;
    TColor c0 = ResolveColor(StartColor), c1 = ResolveColor(EndColor);
    const int r0 = GetRValue(c0), g0 = GetGValue(c0), b0 = GetBValue(c0);
    const int dR = GetRValue(c1) - r0, dG = GetGValue(c1) - g0, dB = GetBValue(c1) - b0;

    const bool vertical = Direction == gdVertical;
    const long long n = std::max<long long>(1, vertical ? static_cast<long long>(Rect.Bottom) - Rect.Top
                                                        : static_cast<long long>(Rect.Right) - Rect.Left);
    double r = r0, g = g0, b = b0;
    const double stepR = static_cast<double>(dR) / static_cast<double>(n) * StripSize;
    const double stepG = static_cast<double>(dG) / static_cast<double>(n) * StripSize;
    const double stepB = static_cast<double>(dB) / static_cast<double>(n) * StripSize;
    for (long long p = 0; p <= n; p += StripSize) {
        Canvas->Brush()->SetColor(RGB(RoundClampByte(r), RoundClampByte(g), RoundClampByte(b)));
        TRect strip = Rect;
        if (vertical) {
            strip.Top = SaturateInt(Rect.Top + p);
            strip.Bottom = SaturateInt(Rect.Top + p + StripSize);
        } else {
            strip.Left = SaturateInt(Rect.Left + p);
            strip.Right = SaturateInt(Rect.Left + p + StripSize);
        }
        Canvas->FillRect(strip);
        r += stepR;
        g += stepG;
        b += stepB;
    }
}

void TileBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->Empty()) return;
    const int w = Bitmap->Width(), h = Bitmap->Height();
    if (w <= 0 || h <= 0) return;
    for (long long x = Rect.Left; x < Rect.Right; x += w)
        for (long long y = Rect.Top; y < Rect.Bottom; y += h) Canvas->Draw(static_cast<int>(x), static_cast<int>(y), Bitmap);
}

bool SameRect(const TRect& A, const TRect& B) {
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

}  // namespace controls
