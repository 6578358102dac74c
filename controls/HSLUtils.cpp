#include "controls/HSLUtils.h"

#include <algorithm>
#include <cmath>

#include "controls/SkSysUtils.h"

namespace controls {

namespace {

using Ext = long double;

// Nearest integer, halves to even; the results here are small.
int RoundEven(Ext x) { return static_cast<int>(RoundHalfEven(x)); }

Ext HueToChannel(Ext m1, Ext m2, Ext x) {
    if (x < 0) x += 1;
    if (x > 1) x -= 1;
    if (6 * x < 1) return m1 + (m2 - m1) * 6 * x;
    if (2 * x < 1) return m2;
    if (3 * x < 2) return m1 + (m2 - m1) * (Ext(2) / 3 - x) * 6;
    return m1;
}

int ToByte(Ext v) { return std::clamp(RoundEven(v * 255), 0, 255); }

}  // namespace

THSL RGBtoHSL(gui::TColor Color) {
    const Ext r = gui::GetRValue(Color) / Ext(255);
    const Ext g = gui::GetGValue(Color) / Ext(255);
    const Ext b = gui::GetBValue(Color) / Ext(255);
    const Ext mx = std::max({r, g, b});
    const Ext mn = std::min({r, g, b});
    const Ext l = (mx + mn) / 2;
    Ext h = 0, s = 0;
    if (mx != mn) {
        const Ext d = mx - mn;
        s = l >= Ext(0.5) ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            h = (g - b) / d;
        else if (mx == g)
            h = 2 + (b - r) / d;
        else
            h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0) h += 1;
    }
    return THSL{RoundEven(h * (HSLRange - 1)), RoundEven(s * HSLRange), RoundEven(l * HSLRange)};
}

gui::TColor HSLtoRGB(int H, int S, int L) {
    H = std::clamp(H, 0, HSLRange - 1);
    S = std::clamp(S, 0, HSLRange);
    L = std::clamp(L, 0, HSLRange);
    const Ext h = H / Ext(HSLRange - 1);
    const Ext s = S / Ext(HSLRange);
    const Ext l = L / Ext(HSLRange);
    if (S == 0) {
        const int v = ToByte(l);
        return gui::RGB(v, v, v);
    }
    const Ext m2 = l <= Ext(0.5) ? l * (1 + s) : l + s - l * s;
    const Ext m1 = 2 * l - m2;
    return gui::RGB(ToByte(HueToChannel(m1, m2, h + Ext(1) / 3)), ToByte(HueToChannel(m1, m2, h)),
                    ToByte(HueToChannel(m1, m2, h - Ext(1) / 3)));
}

}  // namespace controls
