// Inside gui/ only: what the drawing files share: how a brush fills pixels,
// how a cosmetic or wide pen strokes, shape regions, and the stock objects.
#pragma once

#include <QPolygon>
#include <QRegion>

#include <vector>

#include "gui/draw/detail/GdiInternal.h"
#include "gui/draw/detail/GdiRasterOps.h"

namespace gui::detail {

// The display's colour depth (SetDisplayColorDepth).
extern int g_displayDepth;

// ---- Stock objects ---------------------------------------------------------------------
// The 20 static colours of the system palette.
extern const PALETTEENTRY kStatic20[20];

template <typename T>
T* MakeStock(T* obj) {
    obj->Stock = true;
    return obj;
}

HGDIOBJ StockObject(int index);

// ---- Brushes ---------------------------------------------------------------------------
bool HatchBit(int hatch, int x, int y);

// How a brush paints one pixel.
struct BrushFill {
    enum Kind { None, Solid, Hatch, Pattern } kind = None;
    QRgb color = 0;
    QRgb bk = 0;
    bool opaqueBk = true;
    int hatch = 0;
    const QImage* pattern = nullptr;
    bool monoPattern = false;
    QRgb textColor = 0;
    QPoint org;  // surface coordinates of the brush origin

    // False when the brush leaves this pixel alone.
    bool at(int x, int y, QRgb& out) const {
        switch (kind) {
            case None: return false;
            case Solid: out = color; return true;
            case Hatch:
                if (HatchBit(hatch, x - org.x(), y - org.y())) {
                    out = color;
                    return true;
                }
                if (!opaqueBk) return false;
                out = bk;
                return true;
            case Pattern: {
                int w = pattern->width(), h = pattern->height();
                int px = (x - org.x()) % w, py = (y - org.y()) % h;
                if (px < 0) px += w;
                if (py < 0) py += h;
                QRgb c = reinterpret_cast<const QRgb*>(pattern->constScanLine(py))[px];
                if (monoPattern) c = (c & 0xFFFFFF) == 0 ? textColor : bk;
                out = c | 0xFF000000u;
                return true;
            }
        }
        return false;
    }
};

BrushFill MakeBrushFill(HDC dc, HBRUSH hb, QPoint off);
// Fills one rectangle (surface coordinates, already clipped) with a brush.
void FillClippedRect(QImage& img, const QRect& rc, const BrushFill& f, int rop2);
// Fills a region (surface coordinates) with a brush through a binary raster op
// (rop2 < 0: plain copy, as for FillRect).
void FillRegionWithBrush(DrawTarget& t, const QRegion& area, const BrushFill& f, int rop2);
// Fills a rectangle through each clip rectangle in turn, without allocating.
void FillRectWithBrush(DrawTarget& t, const QRect& r, const BrushFill& f, int rop2);

// ---- Pens ------------------------------------------------------------------------------
// Cosmetic pen style patterns: on/off run lengths in pixels.
struct DashPattern {
    int runs[6];
    int count;
};
const DashPattern* PatternFor(int style);

struct PenDraw {
    DrawTarget& t;
    int style = PS_SOLID;
    int width = 1;
    QRgb color = 0;
    QRgb bk = 0;
    bool opaqueBk = false;
    int rop2 = R2_COPYPEN;
    bool insideFrame = false;
    int styleIdx = 0;   // position in the dash pattern
    int styleLeft = 0;  // pixels left in the current run
    std::vector<QRect> wide;  // stamps of a wide pen, filled at the end
    std::vector<QRect> discRows;
    // The clip, looked at once per call: its bounds within the surface, and
    // whether those bounds are the whole clip (then no pixel needs the region).
    QRect box;
    bool boxIsClip = true;
    // Bounds of the pixels written, handed to the target at the end.
    int minX = 0, minY = 0, maxX = -1, maxY = -1;

    PenDraw(DrawTarget& target, HDC dc) : t(target) {
        if (t.img != nullptr) {
            box = t.clip.boundingRect() & t.img->rect();
            boxIsClip = t.clip.rectCount() <= 1;
        }
        auto* p = AsPen(dc->st.pen);
        if (p != nullptr) {
            style = p->style;
            width = std::max(1, p->width);
            color = ResolveColor(dc, p->color);
        }
        if (style == PS_INSIDEFRAME) {
            style = PS_SOLID;
            insideFrame = true;
        }
        if (width > 1 && style != PS_NULL) style = PS_SOLID;  // wide pens are solid
        bk = ResolveColor(dc, dc->st.bkColor);
        opaqueBk = dc->st.bkMode == OPAQUE;
        rop2 = dc->st.rop2;
        if (const auto* pat = PatternFor(style)) styleLeft = pat->runs[0];
    }
    ~PenDraw() {
        if (maxX >= minX) t.touched |= QRect(QPoint(minX, minY), QPoint(maxX, maxY));
    }
    PenDraw(const PenDraw&) = delete;
    PenDraw& operator=(const PenDraw&) = delete;
    bool null() const { return style == PS_NULL; }

    void touch(int x0, int y0, int x1, int y1) {
        if (maxX < minX) {
            minX = x0, minY = y0, maxX = x1, maxY = y1;
            return;
        }
        minX = std::min(minX, x0), minY = std::min(minY, y0);
        maxX = std::max(maxX, x1), maxY = std::max(maxY, y1);
    }
    void plot(int x, int y, QRgb c) {
        if (!box.contains(x, y)) return;
        if (!boxIsClip && !t.clip.contains(QPoint(x, y))) return;
        auto* line = reinterpret_cast<QRgb*>(t.img->scanLine(y));
        line[x] = Rop2(rop2, c, line[x]);
        touch(x, y, x, y);
    }
    // A solid one-pixel row or column (inclusive ends): cut by each clip
    // rectangle once, then written straight along the scan lines.
    void span(const QRect& r) {
        const QRect inBox = r & box;
        if (inBox.isEmpty()) return;
        auto fill = [&](const QRect& q) {
            for (int y = q.top(); y <= q.bottom(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(t.img->scanLine(y));
                for (int x = q.left(); x <= q.right(); ++x) line[x] = Rop2(rop2, color, line[x]);
            }
            touch(q.left(), q.top(), q.right(), q.bottom());
        };
        if (boxIsClip) {
            fill(inBox);
            return;
        }
        for (const QRect& c : t.clip) {
            const QRect q = c & inBox;
            if (!q.isEmpty()) fill(q);
        }
    }
    // The round stamp of a wide pen: one span per row, centred on (0, 0).
    const std::vector<QRect>& disc() {
        if (discRows.empty()) {
            const double r = width / 2.0;
            const int h = width / 2;
            for (int dy = -h; dy < width - h; ++dy) {
                double yc = dy + 0.5 - (width % 2 ? 0.5 : 0.0);
                double half = std::sqrt(std::max(0.0, r * r - yc * yc));
                int x0 = static_cast<int>(std::ceil(-half - 0.5 + (width % 2 ? 0.5 : 0.0)));
                int x1 = static_cast<int>(std::floor(half - 0.5 + (width % 2 ? 0.5 : 0.0)));
                x0 = std::max(x0, -h);
                x1 = std::min(x1, width - h - 1);
                if (x1 >= x0) discRows.emplace_back(QPoint(x0, dy), QPoint(x1, dy));
            }
        }
        return discRows;
    }
    void stamp(int x, int y) {
        for (const QRect& r : disc()) wide.push_back(r.translated(x, y));
    }
    static QRegion UnionOf(const std::vector<QRect>& rects, std::size_t a, std::size_t b) {
        if (b - a == 0) return QRegion();
        if (b - a == 1) return QRegion(rects[a]);
        std::size_t m = (a + b) / 2;
        return UnionOf(rects, a, m) | UnionOf(rects, m, b);
    }
    void pixel(int x, int y) {
        if (width > 1) {
            stamp(x, y);
            return;
        }
        const DashPattern* pat = PatternFor(style);
        if (pat == nullptr) {
            plot(x, y, color);
            return;
        }
        bool on = (styleIdx % 2) == 0;
        if (on) plot(x, y, color);
        else if (opaqueBk) plot(x, y, bk);
        if (--styleLeft <= 0) {
            styleIdx = (styleIdx + 1) % pat->count;
            styleLeft = pat->runs[styleIdx];
        }
    }
    // Bresenham from (x0,y0) towards (x1,y1), the end point excluded.
    void line(int x0, int y0, int x1, int y1) {
        if (null()) return;
        int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        if (width == 1 && PatternFor(style) == nullptr && (dx == 0 || dy == 0)) {
            // Rows and columns of a solid pen: every pixel gets the same
            // colour, so the order of the pixels does not matter.
            if (dx == 0 && dy == 0) return;
            if (dy == 0)
                span(QRect(QPoint(std::min(x0, x1 - sx), y0), QPoint(std::max(x0, x1 - sx), y0)));
            else
                span(QRect(QPoint(x0, std::min(y0, y1 - sy)), QPoint(x0, std::max(y0, y1 - sy))));
            return;
        }
        if (dx >= dy) {
            int err = dx / 2;
            int y = y0;
            for (int x = x0; x != x1; x += sx) {
                pixel(x, y);
                err -= dy;
                if (err < 0) {
                    y += sy;
                    err += dx;
                }
            }
        } else {
            int err = dy / 2;
            int x = x0;
            for (int y = y0; y != y1; y += sy) {
                pixel(x, y);
                err -= dx;
                if (err < 0) {
                    x += sx;
                    err += dy;
                }
            }
        }
    }
    // Wide pens have round ends and joins; their stamps cover the end point too.
    void finishWide(int xEnd, int yEnd) {
        if (width <= 1 || null()) return;
        stamp(xEnd, yEnd);
        QRegion r = UnionOf(wide, 0, wide.size());
        wide.clear();
        BrushFill f;
        f.kind = BrushFill::Solid;
        f.color = color;
        FillRegionWithBrush(t, r, f, rop2);
    }
};

// ---- Shape regions ---------------------------------------------------------------------
// Region of an ellipse inscribed in r (pixel centres inside the ellipse).
QRegion EllipseRegion(const QRect& r);
QRect NormRect(int l, int t, int r, int b);
QPolygon ToPolygon(const POINT* pts, int count, QPoint off);
// Interior of a polygon with GDI's pixel rule (pixel centres inside).
QRegion PolygonRegion(const QPolygon& poly, int fillMode);
void DrawClosedOutline(PenDraw& pd, const QPolygon& poly);
// Fills the frame of `outer` that is w pixels thick (all of it when the
// frame leaves no inside), without building a region.
void FillRingWithBrush(DrawTarget& t, const QRect& outer, int w, const BrushFill& f, int rop2);

}  // namespace gui::detail
