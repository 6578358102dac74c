#include "controls/FlatUtils.h"

#include <algorithm>
#include <vector>

#include "controls/HSLUtils.h"

namespace controls {

using namespace gui;

TColor AdvColor(TColor Base, TColor Current, int Percent, TAdvColorDirection Direction) {
    if (Percent == 0) return Current;
    THSL hsl = RGBtoHSL(ColorToRGB(Base));
    int l = hsl.L + 10;
    if (Direction == adLighter)
        l = std::min(l + Percent, 100);
    else
        l = std::max(l - Percent, 0);
    // A darker shade of a very light base can still exceed the scale.
    return HSLtoRGB(hsl.H, hsl.S, std::min(l, HSLRange));
}

std::unique_ptr<TBitmap> CreateDisabledBitmap(const TBitmap& Source) {
    auto out = std::make_unique<TBitmap>();
    if (Source.Empty()) return out;
    const int w = Source.Width(), h = Source.Height();
    out->SetPixelFormat(pf24bit);
    out->SetSize(w, h);
    TCanvas* c = out->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect(0, 0, w, h));
    TCanvas* src = Source.ReadCanvas();
    const TColor hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
    // Read every black pixel once; the highlight pass must not see the shadow pass.
    std::vector<bool> black(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) black[static_cast<size_t>(y) * w + x] = ColorToRGB(src->Pixels(x, y)) == clBlack;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (black[static_cast<size_t>(y) * w + x] && x + 1 < w && y + 1 < h) c->SetPixels(x + 1, y + 1, hi);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (black[static_cast<size_t>(y) * w + x]) c->SetPixels(x, y, sh);
    return out;
}

}  // namespace controls
