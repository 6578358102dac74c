// Logical palettes: creation, selection, realizing and nearest colours.
#include <algorithm>

#include "gui/draw/detail/GdiPaint.h"

namespace gui {

using namespace detail;

HPALETTE CreatePalette(const LOGPALETTE* lp) {
    if (lp == nullptr || lp->palNumEntries == 0 || lp->palNumEntries > 1024) return nullptr;
    auto* p = new PaletteObj;
    p->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
    return p;
}

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL) {
    if (dc == nullptr || pal == nullptr) return nullptr;
    HPALETTE old = dc->st.palette;
    Retain(pal);
    dc->st.palette = pal;
    Release(old);
    return old;
}

UINT RealizePalette(HDC dc) {
    if (dc == nullptr) return 0;
    auto* p = AsPalette(dc->st.palette);
    // On a true-colour display nothing changes; on 8 bits report the entries mapped.
    return (g_displayDepth == 8 && p != nullptr) ? static_cast<UINT>(p->entries.size()) : 0;
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out) {
    auto* p = AsPalette(pal);
    if (p == nullptr) return 0;
    UINT n = static_cast<UINT>(p->entries.size());
    if (out == nullptr) return n;
    if (start >= n) return 0;
    UINT k = std::min(count, n - start);
    std::copy_n(p->entries.begin() + start, k, out);
    return k;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* in) {
    auto* p = AsPalette(pal);
    if (p == nullptr || in == nullptr || p->Stock) return 0;
    UINT n = static_cast<UINT>(p->entries.size());
    if (start >= n) return 0;
    UINT k = std::min(count, n - start);
    std::copy_n(in, k, p->entries.begin() + start);
    return k;
}

void GetStandardSystemPalette(PALETTEENTRY out[256]) {
    for (int i = 0; i < 256; ++i) out[i] = PALETTEENTRY{0, 0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        out[i] = kStatic20[i];
        out[246 + i] = kStatic20[10 + i];
    }
}

UINT GetSystemPaletteEntries(HDC, UINT start, UINT count, PALETTEENTRY* out) {
    if (out == nullptr) return 256;
    PALETTEENTRY all[256];
    GetStandardSystemPalette(all);
    if (start >= 256) return 0;
    UINT k = std::min(count, 256 - start);
    std::copy_n(all + start, k, out);
    return k;
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF c) {
    auto* p = AsPalette(pal);
    if (p == nullptr || p->entries.empty()) return CLR_INVALID;
    QRgb q = ResolveColor(nullptr, c & ~PALETTE_RELATIVE);
    long best = -1;
    UINT bestIdx = 0;
    for (UINT i = 0; i < p->entries.size(); ++i) {
        const auto& e = p->entries[i];
        long dr = e.peRed - qRed(q), dg = e.peGreen - qGreen(q), db = e.peBlue - qBlue(q);
        long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < best) {
            best = d;
            bestIdx = i;
        }
    }
    return bestIdx;
}

}  // namespace gui
