// Brushes: creation, and how a brush fills pixels through a raster op.
#include <algorithm>

#include "gui/draw/detail/GdiPaint.h"

namespace gui::detail {

bool HatchBit(int hatch, int x, int y) {
    x &= 7;
    y &= 7;
    switch (hatch) {
        case HS_HORIZONTAL: return y == 7;
        case HS_VERTICAL: return x == 7;
        case HS_FDIAGONAL: return x == y;
        case HS_BDIAGONAL: return x + y == 7;
        case HS_CROSS: return x == 7 || y == 7;
        case HS_DIAGCROSS: return x == y || x + y == 7;
        default: return false;
    }
}

BrushFill MakeBrushFill(HDC dc, HBRUSH hb, QPoint off) {
    BrushFill f;
    auto* b = AsBrush(hb);
    if (b == nullptr) return f;
    f.color = ResolveColor(dc, b->color);
    f.bk = ResolveColor(dc, dc->st.bkColor);
    f.textColor = ResolveColor(dc, dc->st.textColor);
    f.opaqueBk = dc->st.bkMode == OPAQUE;
    f.org = dc->st.brushOrg + dc->origin;
    (void)off;
    switch (b->style) {
        case BS_SOLID: f.kind = BrushFill::Solid; break;
        case BS_HATCHED:
            f.kind = BrushFill::Hatch;
            f.hatch = b->hatch;
            break;
        case BS_PATTERN:
            if (!b->pattern.isNull() && b->pattern.width() > 0 && b->pattern.height() > 0) {
                f.kind = BrushFill::Pattern;
                f.pattern = &b->pattern;
                f.monoPattern = b->monoPattern;
            }
            break;
        default: f.kind = BrushFill::None; break;
    }
    return f;
}

// Fills one rectangle (surface coordinates, already clipped) with a brush.
void FillClippedRect(QImage& img, const QRect& rc, const BrushFill& f, int rop2) {
    for (int y = rc.top(); y <= rc.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        if (f.kind == BrushFill::Solid && (rop2 < 0 || rop2 == R2_COPYPEN)) {
            std::fill(line + rc.left(), line + rc.right() + 1, f.color | 0xFF000000u);
            continue;
        }
        for (int x = rc.left(); x <= rc.right(); ++x) {
            QRgb c;
            if (!f.at(x, y, c)) continue;
            line[x] = rop2 < 0 ? (c | 0xFF000000u) : Rop2(rop2, c, line[x]);
        }
    }
}

// Fills a region (surface coordinates) with a brush through a binary raster op
// (rop2 < 0: plain copy, as for FillRect).
void FillRegionWithBrush(DrawTarget& t, const QRegion& area, const BrushFill& f, int rop2) {
    if (f.kind == BrushFill::None || !t.ok()) return;
    QRegion r = area & t.clip;
    if (r.isEmpty()) return;
    t.touched |= r.boundingRect();
    for (const QRect& rc : r) FillClippedRect(*t.img, rc, f, rop2);
}

// Clips against each rectangle of the clip region in turn instead of building
// the intersection region: fills happen on every timer tick and must not allocate.
void FillRectWithBrush(DrawTarget& t, const QRect& r, const BrushFill& f, int rop2) {
    if (r.isEmpty() || f.kind == BrushFill::None || !t.ok()) return;
    for (const QRect& c : t.clip) {
        const QRect rc = c & r;
        if (rc.isEmpty()) continue;
        t.touched |= rc;
        FillClippedRect(*t.img, rc, f, rop2);
    }
}

}  // namespace gui::detail

namespace gui {

using namespace detail;

HBRUSH CreateSolidBrush(COLORREF color) {
    auto* b = new BrushObj;
    b->color = color;
    return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    auto* b = new BrushObj;
    b->style = BS_HATCHED;
    b->hatch = std::clamp(hatch, HS_HORIZONTAL, HS_DIAGCROSS);
    b->color = color;
    return b;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    auto* bm = AsBitmap(bitmap);
    if (bm == nullptr || bm->width <= 0 || bm->height <= 0) return nullptr;
    auto* b = new BrushObj;
    b->style = BS_PATTERN;
    b->pattern = bm->image().copy();
    b->monoPattern = bm->bpp == 1;
    return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
    if (lb == nullptr) return nullptr;
    switch (lb->lbStyle) {
        case BS_SOLID: return CreateSolidBrush(lb->lbColor);
        case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
        case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
        default: {
            auto* b = new BrushObj;
            b->style = BS_NULL;
            return b;
        }
    }
}

}  // namespace gui
