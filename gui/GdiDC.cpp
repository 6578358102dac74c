// Device contexts, pens and brushes, shapes, block transfers, palettes and the
// small USER/system helpers. Drawing is done with integer span loops on the
// RGB32 surface so that results are pixel-exact and raster ops apply as GDI
// applies them.
#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <mutex>
#include <utility>
#include <cstdlib>
#include <cstring>

#include "gui/detail/GdiInternal.h"

namespace gui {
namespace detail {

namespace {

int g_displayDepth = 24;

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

const PALETTEENTRY kStatic20[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

template <typename T>
T* MakeStock(T* obj) {
    obj->Stock = true;
    return obj;
}

HGDIOBJ StockObject(int index) {
    static HGDIOBJ objs[18] = {};
    if (index < 0 || index >= 18) return nullptr;
    if (objs[index] != nullptr) return objs[index];
    HGDIOBJ made = nullptr;
    auto brush = [](COLORREF c, UINT style) {
        auto* b = MakeStock(new BrushObj);
        b->color = c;
        b->style = style;
        return b;
    };
    auto pen = [](COLORREF c, int style) {
        auto* p = MakeStock(new PenObj);
        p->color = c;
        p->style = style;
        return p;
    };
    switch (index) {
        case WHITE_BRUSH: made = brush(0xFFFFFF, BS_SOLID); break;
        case LTGRAY_BRUSH: made = brush(0xC0C0C0, BS_SOLID); break;
        case GRAY_BRUSH: made = brush(0x808080, BS_SOLID); break;
        case DKGRAY_BRUSH: made = brush(0x404040, BS_SOLID); break;
        case BLACK_BRUSH: made = brush(0, BS_SOLID); break;
        case NULL_BRUSH: made = brush(0, BS_NULL); break;
        case WHITE_PEN: made = pen(0xFFFFFF, PS_SOLID); break;
        case BLACK_PEN: made = pen(0, PS_SOLID); break;
        case NULL_PEN: made = pen(0, PS_NULL); break;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT: {
            LOGFONTA lf;
            if (index == SYSTEM_FONT) {
                lf.lfHeight = 16;
                lf.lfWeight = FW_BOLD;
                std::strcpy(lf.lfFaceName, "System");
            } else {
                lf.lfHeight = -11;
                std::strcpy(lf.lfFaceName, "MS Sans Serif");
            }
            made = CreateFontIndirectA(&lf);
            made->Stock = true;
            break;
        }
        case DEFAULT_PALETTE: {
            auto* p = MakeStock(new PaletteObj);
            p->entries.assign(kStatic20, kStatic20 + 20);
            made = p;
            break;
        }
        default: return nullptr;
    }
    objs[index] = made;
    return made;
}

void RetainState(const DCState& s) {
    Retain(s.pen);
    Retain(s.brush);
    Retain(s.font);
    Retain(s.palette);
    Retain(s.bitmap);
}
void ReleaseState(const DCState& s) {
    Release(s.pen);
    Release(s.brush);
    Release(s.font);
    Release(s.palette);
    Release(s.bitmap);
}

void InvalidateClip(HDC dc) { dc->clipCacheValid = false; }

// ---- Pixel operations ----------------------------------------------------------
inline QRgb Rop2(int rop2, QRgb p, QRgb d) {
    QRgb r;
    switch (rop2) {
        case R2_BLACK: r = 0; break;
        case R2_NOTMERGEPEN: r = ~(d | p); break;
        case R2_MASKNOTPEN: r = d & ~p; break;
        case R2_NOTCOPYPEN: r = ~p; break;
        case R2_MASKPENNOT: r = p & ~d; break;
        case R2_NOT: r = ~d; break;
        case R2_XORPEN: r = d ^ p; break;
        case R2_NOTMASKPEN: r = ~(d & p); break;
        case R2_MASKPEN: r = d & p; break;
        case R2_NOTXORPEN: r = ~(d ^ p); break;
        case R2_NOP: r = d; break;
        case R2_MERGENOTPEN: r = d | ~p; break;
        case R2_MERGEPENNOT: r = p | ~d; break;
        case R2_MERGEPEN: r = d | p; break;
        case R2_WHITE: r = 0xFFFFFFFF; break;
        default: r = p; break;
    }
    return r | 0xFF000000u;
}

inline QRgb Rop3(unsigned code, QRgb p, QRgb s, QRgb d) {
    QRgb r = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if ((code >> i) & 1u) {
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        }
    }
    return r | 0xFF000000u;
}

inline bool RopUsesSource(unsigned code) { return ((code >> 2) & 0x33u) != (code & 0x33u); }
inline bool RopUsesPattern(unsigned code) { return ((code >> 4) & 0x0Fu) != (code & 0x0Fu); }

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

// ---- Pens ------------------------------------------------------------------------------
// Cosmetic pen style patterns: on/off run lengths in pixels.
struct DashPattern {
    int runs[6];
    int count;
};
const DashPattern* PatternFor(int style) {
    static const DashPattern dash{{18, 6}, 2};
    static const DashPattern dot{{3, 3}, 2};
    static const DashPattern dashdot{{9, 6, 3, 6}, 4};
    static const DashPattern dashdotdot{{9, 3, 3, 3, 3, 3}, 6};
    switch (style) {
        case PS_DASH: return &dash;
        case PS_DOT: return &dot;
        case PS_DASHDOT: return &dashdot;
        case PS_DASHDOTDOT: return &dashdotdot;
        default: return nullptr;
    }
}

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

    PenDraw(DrawTarget& target, HDC dc) : t(target) {
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
    bool null() const { return style == PS_NULL; }

    void plot(int x, int y, QRgb c) {
        if (x < 0 || y < 0 || x >= t.img->width() || y >= t.img->height()) return;
        if (!t.clip.contains(QPoint(x, y))) return;
        auto* line = reinterpret_cast<QRgb*>(t.img->scanLine(y));
        line[x] = Rop2(rop2, c, line[x]);
        t.touched |= QRect(x, y, 1, 1);
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

// Region of an ellipse inscribed in r (pixel centres inside the ellipse).
QRegion EllipseRegion(const QRect& r) {
    QRegion out;
    if (r.width() <= 0 || r.height() <= 0) return out;
    const double cx = r.left() + r.width() / 2.0, cy = r.top() + r.height() / 2.0;
    const double a = r.width() / 2.0, b = r.height() / 2.0;
    std::vector<QRect> rows;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        double dy = (y + 0.5 - cy) / b;
        double q = 1.0 - dy * dy;
        if (q < 0) continue;
        double half = a * std::sqrt(q);
        int x0 = static_cast<int>(std::ceil(cx - half - 0.5));
        int x1 = static_cast<int>(std::floor(cx + half - 0.5));
        x0 = std::max(x0, r.left());
        x1 = std::min(x1, r.right());
        if (x1 < x0) continue;
        if (!rows.empty() && rows.back().left() == x0 && rows.back().right() == x1 &&
            rows.back().bottom() == y - 1) {
            rows.back().setBottom(y);
        } else {
            rows.emplace_back(QPoint(x0, y), QPoint(x1, y));
        }
    }
    out.setRects(rows.data(), static_cast<int>(rows.size()));
    return out;
}

QRect NormRect(int l, int t, int r, int b) {
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    return QRect(l, t, r - l, b - t);
}

QPolygon ToPolygon(const POINT* pts, int count, QPoint off) {
    QPolygon poly(count);
    for (int i = 0; i < count; ++i) poly[i] = QPoint(pts[i].X, pts[i].Y) + off;
    return poly;
}

// Interior of a polygon with GDI's pixel rule (pixel centres inside).
QRegion PolygonRegion(const QPolygon& poly, int fillMode) {
    return QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

void DrawOutline(PenDraw& pd, const QPolygon& poly, bool closed) {
    if (pd.null() || poly.isEmpty()) return;
    for (int i = 0; i + 1 < poly.size(); ++i) pd.line(poly[i].x(), poly[i].y(), poly[i + 1].x(), poly[i + 1].y());
    if (closed && poly.size() > 1) {
        pd.line(poly.last().x(), poly.last().y(), poly[0].x(), poly[0].y());
        pd.finishWide(poly[0].x(), poly[0].y());
    } else {
        pd.finishWide(poly.last().x(), poly.last().y());
    }
}

}  // namespace

QRegion EllipseRegionFor(const QRect& r) { return EllipseRegion(r); }

// The 1x1 monochrome bitmap that a new memory DC holds.
HBITMAP StockBitmap() {
    static BitmapObj* bmp = [] {
        auto* b = MakeStock(new BitmapObj);
        b->reset(1, 1, 1, DefaultTable(1));
        return b;
    }();
    return bmp;
}


// ---- Shared helpers --------------------------------------------------------------------
void EnsureQtApp() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "hollowmere";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

QRgb ResolveColor(HDC dc, COLORREF c) {
    if ((c & 0xFF000000u) == 0x01000000u) {  // PALETTEINDEX
        auto* pal = dc != nullptr ? AsPalette(dc->st.palette) : nullptr;
        unsigned i = c & 0xFFFF;
        if (pal != nullptr && i < pal->entries.size()) {
            const auto& e = pal->entries[i];
            return qRgb(e.peRed, e.peGreen, e.peBlue);
        }
        return qRgb(0, 0, 0);
    }
    if (c & 0x80000000u) c = GetSysColor(static_cast<int>(c & 0xFF));
    return ToQRgb(c & 0xFFFFFF);
}

void Retain(HGDIOBJ obj) {
    if (obj != nullptr) ++obj->Uses;
}

void Release(HGDIOBJ obj) {
    if (obj == nullptr) return;
    if (--obj->Uses <= 0 && obj->DeletePending && !obj->Stock) delete obj;
}

HDC CreateDCOverImage(QImage* image, QPoint origin, QRect visible) {
    HDC dc = CreateCompatibleDC(nullptr);
    Release(dc->st.bitmap);
    dc->st.bitmap = nullptr;
    dc->kind = DCKind::External;
    dc->external = image;
    SetDCOrigin(dc, origin, visible);
    return dc;
}

void SetDCOrigin(HDC dc, QPoint origin, QRect visible) {
    if (dc == nullptr) return;
    dc->origin = origin;
    dc->visible = visible;
    dc->hasVisible = true;
    InvalidateClip(dc);
}

QImage* DCImage(HDC dc) {
    if (dc == nullptr) return nullptr;
    switch (dc->kind) {
        case DCKind::External: return dc->external;
        case DCKind::Screen:
            if (dc->own.isNull()) {
                dc->own = QImage(kScreenW, kScreenH, QImage::Format_RGB32);
                dc->own.fill(0xFFFFFFFF);
            }
            return &dc->own;
        case DCKind::Memory: {
            auto* b = AsBitmap(dc->st.bitmap);
            if (b == nullptr) return nullptr;
            return &b->imageForWrite();
        }
    }
    return nullptr;
}

static QSize SurfaceSize(HDC dc) {
    switch (dc->kind) {
        case DCKind::External: return dc->external != nullptr ? dc->external->size() : QSize();
        case DCKind::Screen: return QSize(kScreenW, kScreenH);
        case DCKind::Memory: {
            auto* b = AsBitmap(dc->st.bitmap);
            return b != nullptr ? QSize(b->width, b->height) : QSize();
        }
    }
    return QSize();
}

QPoint DCDeviceOffset(HDC dc) { return dc->origin + dc->st.viewportOrg - dc->st.windowOrg; }

QRegion DCClipRegion(HDC dc) {
    QSize sz = SurfaceSize(dc);
    if (dc->clipCacheValid && dc->clipCacheSize == sz) return dc->clipCache;
    QRect all(QPoint(0, 0), sz);
    if (dc->hasVisible) all &= dc->visible;
    QRegion r;
    if (!dc->st.hasClip) {
        r = RectRegion(dc, all);
    } else if (dc->st.clip.rectCount() <= 1) {
        r = RectRegion(dc, all & dc->st.clip.boundingRect().translated(dc->origin));
    } else {
        r = QRegion(all) & dc->st.clip.translated(dc->origin);
    }
    dc->clipCache = r;
    dc->clipCacheSize = sz;
    dc->clipCacheValid = true;
    return r;
}

QRegion RectRegion(HDC dc, const QRect& r) {
    if (r.isEmpty()) return QRegion();
    for (const QRegion& q : dc->rectRegions) {
        if (q.rectCount() == 1 && q.boundingRect() == r) return q;
    }
    QRegion& slot = dc->rectRegions[dc->rectRegionNext];
    dc->rectRegionNext = (dc->rectRegionNext + 1) % dc->rectRegions.size();
    slot = QRegion(r);
    return slot;
}

bool PreparePainter(HDC dc, QPainter& painter) {
    QImage* img = DCImage(dc);
    if (img == nullptr || img->isNull() || !painter.begin(img)) return false;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRegion(DCClipRegion(dc));
    painter.translate(DCDeviceOffset(dc));
    return true;
}

DrawTarget::DrawTarget(HDC d) : dc(d) {
    if (dc == nullptr) return;
    img = DCImage(dc);
    if (img == nullptr || img->isNull()) {
        img = nullptr;
        return;
    }
    off = DCDeviceOffset(dc);
    clip = DCClipRegion(dc);
}

DrawTarget::~DrawTarget() {
    if (dc == nullptr || img == nullptr || touched.isEmpty()) return;
    if (dc->kind == DCKind::Memory) {
        auto* b = AsBitmap(dc->st.bitmap);
        if (b != nullptr && b->bpp <= 8) b->quantize(touched);
    }
}

void DrawTarget::fillSolid(const QRect& r, QRgb c) {
    if (!ok()) return;
    BrushFill f;
    f.kind = BrushFill::Solid;
    f.color = c;
    FillRectWithBrush(*this, r, f, -1);
}

BlitSource SourceOf(HDC dc) {
    BlitSource s;
    if (dc == nullptr) return s;
    s.bkColor = ResolveColor(dc, dc->st.bkColor);
    switch (dc->kind) {
        case DCKind::External: s.image = dc->external; break;
        case DCKind::Screen: s.image = DCImage(dc); break;
        case DCKind::Memory: {
            auto* b = AsBitmap(dc->st.bitmap);
            if (b == nullptr) break;
            s.image = &b->image();
            if (b->bpp == 1) {
                s.mono = true;
                s.monoOne = b->table.size() > 1 ? b->table[1] : 0xFFFFFFFF;
            }
            break;
        }
    }
    return s;
}

bool BlitCore(HDC dst, int x, int y, int w, int h, const BlitSource* src, int sx, int sy, int sw, int sh,
              DWORD rop, const QRgb* transparent) {
    if (dst == nullptr || w == 0 || h == 0) return false;
    const unsigned code = (rop >> 16) & 0xFF;
    const bool needSrc = RopUsesSource(code) || transparent != nullptr;
    if (needSrc && (src == nullptr || src->image == nullptr || src->image->isNull() || sw == 0 || sh == 0))
        return false;
    DrawTarget t(dst);
    if (!t.ok()) return true;

    // Mirroring: a negative extent on one side only flips the picture.
    bool flipX = (w < 0) != (sw < 0);
    bool flipY = (h < 0) != (sh < 0);
    // A negative extent covers the pixels from x + w + 1 up to x itself.
    auto span = [](int p, int e) { return e < 0 ? std::pair<int, int>{p + e + 1, -e} : std::pair<int, int>{p, e}; };
    auto [dx0, dwAbs] = span(x, w);
    auto [dy0, dhAbs] = span(y, h);
    QRect d = QRect(dx0, dy0, dwAbs, dhAbs).translated(t.off);
    int sLeft = span(sx, sw).first, sTop = span(sy, sh).first;
    int aw = std::abs(sw), ah = std::abs(sh);
    int dw = d.width(), dh = d.height();

    // Reading and writing the same surface: take a copy of the source first.
    QImage srcCopy;
    const QImage* simg = needSrc ? src->image : nullptr;
    if (simg != nullptr && simg == t.img) {
        srcCopy = simg->copy();
        simg = &srcCopy;
    }
    const bool dstMono = dst->kind == DCKind::Memory && AsBitmap(dst->st.bitmap) != nullptr &&
                         AsBitmap(dst->st.bitmap)->bpp == 1;
    const QRgb dstText = ResolveColor(dst, dst->st.textColor);
    const QRgb dstBk = ResolveColor(dst, dst->st.bkColor);
    BrushFill pat = MakeBrushFill(dst, dst->st.brush, t.off);
    const bool needPat = RopUsesPattern(code);

    auto convert = [&](QRgb s) -> QRgb {
        s |= 0xFF000000u;
        if (src->mono && !dstMono) {
            return ((s & 0xFFFFFF) == (src->monoOne & 0xFFFFFF)) ? dstBk : dstText;
        }
        if (!src->mono && dstMono) {
            return ((s & 0xFFFFFF) == (src->bkColor & 0xFFFFFF)) ? 0xFFFFFFFF : 0xFF000000;
        }
        return s;
    };

    // The clip's rectangles are disjoint, so each one's share of d is drawn in
    // turn; no intersection region and, for common widths, no heap column map.
    std::array<int, 1024> xmapSmall;
    std::vector<int> xmapLarge;
    for (const QRect& clipRect : t.clip) {
        const QRect rc = clipRect & d;
        if (rc.isEmpty()) continue;
        t.touched |= rc;
        int* xmap = xmapSmall.data();
        if (needSrc) {
            if (static_cast<std::size_t>(rc.width()) > xmapSmall.size()) {
                xmapLarge.resize(static_cast<std::size_t>(rc.width()));
                xmap = xmapLarge.data();
            }
            for (int xx = rc.left(); xx <= rc.right(); ++xx) {
                int i = xx - d.left();
                if (flipX) i = dw - 1 - i;
                xmap[static_cast<std::size_t>(xx - rc.left())] =
                    sLeft + static_cast<int>(static_cast<long long>(i) * aw / dw);
            }
        }
        for (int yy = rc.top(); yy <= rc.bottom(); ++yy) {
            auto* out = reinterpret_cast<QRgb*>(t.img->scanLine(yy));
            const QRgb* in = nullptr;
            if (needSrc) {
                int j = yy - d.top();
                if (flipY) j = dh - 1 - j;
                int syy = sTop + static_cast<int>(static_cast<long long>(j) * ah / dh);
                if (syy < 0 || syy >= simg->height()) continue;
                in = reinterpret_cast<const QRgb*>(simg->constScanLine(syy));
            }
            for (int xx = rc.left(); xx <= rc.right(); ++xx) {
                QRgb s = 0;
                if (needSrc) {
                    int sxx = xmap[static_cast<std::size_t>(xx - rc.left())];
                    if (sxx < 0 || sxx >= simg->width()) continue;
                    QRgb raw = in[sxx] | 0xFF000000u;
                    if (transparent != nullptr && (raw & 0xFFFFFF) == (*transparent & 0xFFFFFF)) continue;
                    s = convert(raw);
                }
                switch (code) {
                    case 0xCC: out[xx] = s; continue;                             // SRCCOPY
                    case 0x88: out[xx] = (s & out[xx]) | 0xFF000000u; continue;   // SRCAND
                    case 0xEE: out[xx] = (s | out[xx]) | 0xFF000000u; continue;   // SRCPAINT
                    case 0x66: out[xx] = (s ^ out[xx]) | 0xFF000000u; continue;   // SRCINVERT
                    default: break;
                }
                QRgb p = 0;
                if (needPat && !pat.at(xx, yy, p)) p = out[xx];
                out[xx] = Rop3(code, p, s, out[xx]);
            }
        }
    }
    return true;
}

}  // namespace detail

using namespace detail;

// ---- Display ---------------------------------------------------------------------------
void SetDisplayColorDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 1) g_displayDepth = 1;
    else if (bitsPerPixel <= 4) g_displayDepth = 4;
    else if (bitsPerPixel <= 8) g_displayDepth = 8;
    else if (bitsPerPixel <= 16) g_displayDepth = 16;
    else if (bitsPerPixel <= 24) g_displayDepth = 24;
    else g_displayDepth = 32;
}

int GetDisplayColorDepth() { return g_displayDepth; }

// ---- Device contexts ------------------------------------------------------------------
// Freed DCs kept for reuse, with their saved-state capacity and rectangle
// regions: every synchronous repaint makes and frees one.
namespace {
// Trivially destructible on purpose: DCs may still be freed while statics are
// torn down at exit.
struct DCPool {
    std::array<HDC, 8> dcs{};
    std::size_t count = 0;
};
DCPool& FreeDCs() {
    static DCPool p;
    return p;
}
std::mutex& FreeDCsMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

static HDC NewDC(DCKind kind) {
    HDC dc = nullptr;
    {
        std::lock_guard<std::mutex> lock(FreeDCsMutex());
        auto& p = FreeDCs();
        if (p.count > 0) dc = p.dcs[--p.count];
    }
    if (dc == nullptr) dc = new HDC__;
    dc->kind = kind;
    dc->st.pen = AsPen(StockObject(BLACK_PEN));
    dc->st.brush = AsBrush(StockObject(WHITE_BRUSH));
    dc->st.font = AsFont(StockObject(SYSTEM_FONT));
    dc->st.palette = AsPalette(StockObject(DEFAULT_PALETTE));
    dc->st.bitmap = kind == DCKind::Memory ? StockBitmap() : nullptr;
    RetainState(dc->st);
    return dc;
}

HDC CreateDCA(LPCSTR, LPCSTR, LPCSTR, const void*) { return NewDC(DCKind::Screen); }

HDC CreateCompatibleDC(HDC) { return NewDC(DCKind::Memory); }

BOOL DeleteDC(HDC dc) {
    if (dc == nullptr) return FALSE;
    for (const auto& s : dc->saved) ReleaseState(s);
    ReleaseState(dc->st);
    dc->reset();
    {
        std::lock_guard<std::mutex> lock(FreeDCsMutex());
        auto& p = FreeDCs();
        if (p.count < p.dcs.size()) {
            p.dcs[p.count++] = dc;
            return TRUE;
        }
    }
    delete dc;
    return TRUE;
}

int SaveDC(HDC dc) {
    if (dc == nullptr) return 0;
    dc->saved.push_back(dc->st);
    RetainState(dc->st);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC dc, int savedDC) {
    if (dc == nullptr) return FALSE;
    int n = static_cast<int>(dc->saved.size());
    int level = savedDC < 0 ? n + 1 + savedDC : savedDC;
    if (level < 1 || level > n) return FALSE;
    ReleaseState(dc->st);
    dc->st = dc->saved[static_cast<std::size_t>(level - 1)];  // keeps the saved refs
    for (int i = n - 1; i >= level; --i) ReleaseState(dc->saved[static_cast<std::size_t>(i)]);
    dc->saved.resize(static_cast<std::size_t>(level - 1));
    InvalidateClip(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    if (dc == nullptr || obj == nullptr) return nullptr;
    HGDIOBJ old = nullptr;
    auto swap = [&](auto& slot, auto* value) {
        old = slot;
        Retain(value);
        slot = value;
        return old;
    };
    HGDIOBJ result = nullptr;
    switch (obj->Kind) {
        case GdiKind::Pen: result = swap(dc->st.pen, static_cast<HPEN>(obj)); break;
        case GdiKind::Brush: result = swap(dc->st.brush, static_cast<HBRUSH>(obj)); break;
        case GdiKind::Font: result = swap(dc->st.font, static_cast<HFONT>(obj)); break;
        case GdiKind::Bitmap:
            if (dc->kind != DCKind::Memory) return nullptr;
            result = swap(dc->st.bitmap, static_cast<HBITMAP>(obj));
            InvalidateClip(dc);
            break;
        case GdiKind::Region:
            return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(SelectClipRgn(dc, static_cast<HRGN>(obj))));
        case GdiKind::Palette: return SelectPalette(dc, static_cast<HPALETTE>(obj), FALSE);
    }
    // The previous object goes back to the caller, who may delete it now; one
    // that was deleted while selected is freed here instead.
    bool freed = result != nullptr && result->DeletePending && result->Uses <= 1 && !result->Stock;
    Release(result);
    return freed ? nullptr : result;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    if (dc == nullptr) return nullptr;
    switch (type) {
        case OBJ_PEN: return dc->st.pen;
        case OBJ_BRUSH: return dc->st.brush;
        case OBJ_FONT: return dc->st.font;
        case OBJ_PAL: return dc->st.palette;
        case OBJ_BITMAP: return dc->st.bitmap;
        default: return nullptr;
    }
}

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

BOOL DeleteObject(HGDIOBJ obj) {
    if (obj == nullptr) return FALSE;
    if (obj->Stock) return TRUE;
    if (obj->Uses > 0) {
        obj->DeletePending = true;
        return TRUE;
    }
    delete obj;
    return TRUE;
}

int GetObjectA(HGDIOBJ obj, int size, void* out) {
    if (obj == nullptr) return 0;
    auto give = [&](const auto& value) {
        int need = static_cast<int>(sizeof(value));
        if (out == nullptr) return need;
        if (size < need) return 0;
        std::memcpy(out, &value, sizeof(value));
        return need;
    };
    switch (obj->Kind) {
        case GdiKind::Bitmap: {
            auto* b = AsBitmap(obj);
            BITMAP bm;
            bm.bmWidth = b->width;
            bm.bmHeight = b->height;
            bm.bmBitsPixel = static_cast<WORD>(b->ddb ? std::max(g_displayDepth, b->bpp == 1 ? 1 : 0) : b->bpp);
            if (b->ddb && b->bpp == 1) bm.bmBitsPixel = 1;
            bm.bmWidthBytes = ((b->width * bm.bmBitsPixel + 15) / 16) * 2;
            return give(bm);
        }
        case GdiKind::Pen: {
            auto* p = AsPen(obj);
            LOGPEN lp;
            lp.lopnStyle = static_cast<UINT>(p->style);
            lp.lopnWidth = POINT{p->width, 0};
            lp.lopnColor = p->color;
            return give(lp);
        }
        case GdiKind::Brush: {
            auto* b = AsBrush(obj);
            LOGBRUSH lb;
            lb.lbStyle = b->style;
            lb.lbColor = b->color;
            lb.lbHatch = b->hatch;
            return give(lb);
        }
        case GdiKind::Font: return give(AsFont(obj)->lf);
        case GdiKind::Palette: {
            WORD n = static_cast<WORD>(AsPalette(obj)->entries.size());
            return give(n);
        }
        case GdiKind::Region: return 0;
    }
    return 0;
}

int GetDeviceCaps(HDC, int index) {
    const int depth = g_displayDepth;
    switch (index) {
        case HORZRES: return kScreenW;
        case VERTRES: return kScreenH;
        case BITSPIXEL: return depth;
        case PLANES: return 1;
        case NUMCOLORS: return depth <= 8 ? (depth == 8 ? 20 : (1 << depth)) : -1;
        case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB | (depth == 8 ? RC_PALETTE : 0);
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        case SIZEPALETTE: return depth == 8 ? 256 : 0;
        case NUMRESERVED: return depth == 8 ? 20 : 0;
        case COLORRES: return depth == 8 ? 18 : 24;
        default: return 0;
    }
}

static BOOL SetPointField(HDC dc, QPoint& field, QPoint v, POINT* old) {
    if (dc == nullptr) return FALSE;
    if (old != nullptr) *old = POINT{field.x(), field.y()};
    field = v;
    InvalidateClip(dc);
    return TRUE;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old) {
    return dc ? SetPointField(dc, dc->st.windowOrg, QPoint(x, y), old) : FALSE;
}
BOOL GetWindowOrgEx(HDC dc, POINT* p) {
    if (dc == nullptr || p == nullptr) return FALSE;
    *p = POINT{dc->st.windowOrg.x(), dc->st.windowOrg.y()};
    return TRUE;
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old) {
    return dc ? SetPointField(dc, dc->st.windowOrg, dc->st.windowOrg + QPoint(dx, dy), old) : FALSE;
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
    return dc ? SetPointField(dc, dc->st.viewportOrg, QPoint(x, y), old) : FALSE;
}
BOOL GetViewportOrgEx(HDC dc, POINT* p) {
    if (dc == nullptr || p == nullptr) return FALSE;
    *p = POINT{dc->st.viewportOrg.x(), dc->st.viewportOrg.y()};
    return TRUE;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old) {
    return dc ? SetPointField(dc, dc->st.viewportOrg, dc->st.viewportOrg + QPoint(dx, dy), old) : FALSE;
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old) {
    return dc ? SetPointField(dc, dc->st.brushOrg, QPoint(x, y), old) : FALSE;
}

COLORREF SetTextColor(HDC dc, COLORREF c) {
    if (dc == nullptr) return CLR_INVALID;
    return std::exchange(dc->st.textColor, c);
}
COLORREF GetTextColor(HDC dc) { return dc ? dc->st.textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF c) {
    if (dc == nullptr) return CLR_INVALID;
    return std::exchange(dc->st.bkColor, c);
}
COLORREF GetBkColor(HDC dc) { return dc ? dc->st.bkColor : CLR_INVALID; }
int SetBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->st.bkMode, mode);
}
int GetBkMode(HDC dc) { return dc ? dc->st.bkMode : 0; }
UINT SetTextAlign(HDC dc, UINT align) {
    if (dc == nullptr) return 0xFFFFFFFF;
    return std::exchange(dc->st.textAlign, align);
}
UINT GetTextAlign(HDC dc) { return dc ? dc->st.textAlign : 0xFFFFFFFF; }
int SetROP2(HDC dc, int rop2) {
    if (dc == nullptr || rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
    return std::exchange(dc->st.rop2, rop2);
}
int GetROP2(HDC dc) { return dc ? dc->st.rop2 : 0; }
int SetStretchBltMode(HDC dc, int mode) {
    if (dc == nullptr || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(dc->st.stretchMode, mode);
}
int GetStretchBltMode(HDC dc) { return dc ? dc->st.stretchMode : 0; }
int SetPolyFillMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
    return std::exchange(dc->st.polyFillMode, mode);
}

COLORREF GetNearestColor(HDC dc, COLORREF c) {
    QRgb q = ResolveColor(dc, c);
    if (dc != nullptr && dc->kind == DCKind::Memory) {
        auto* b = AsBitmap(dc->st.bitmap);
        if (b != nullptr && b->bpp <= 8 && !b->table.empty()) q = b->table[static_cast<std::size_t>(b->nearestIndex(q))];
    }
    return FromQRgb(q);
}

// ---- Pens and brushes ------------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) style = PS_SOLID;
    auto* p = new PenObj;
    p->style = style;
    p->width = std::max(0, width);
    p->color = color;
    return p;
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
    if (lp == nullptr) return nullptr;
    return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor);
}

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

// ---- Drawing ---------------------------------------------------------------------------
BOOL MoveToEx(HDC dc, int x, int y, POINT* old) {
    if (dc == nullptr) return FALSE;
    if (old != nullptr) *old = POINT{dc->st.pos.x(), dc->st.pos.y()};
    dc->st.pos = QPoint(x, y);
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* p) {
    if (dc == nullptr || p == nullptr) return FALSE;
    *p = POINT{dc->st.pos.x(), dc->st.pos.y()};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    if (dc == nullptr) return FALSE;
    {
        DrawTarget t(dc);
        if (t.ok()) {
            PenDraw pd(t, dc);
            QPoint a = dc->st.pos + t.off, b = QPoint(x, y) + t.off;
            pd.line(a.x(), a.y(), b.x(), b.y());
            pd.finishWide(b.x(), b.y());
        }
    }
    dc->st.pos = QPoint(x, y);
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
    if (dc == nullptr || pts == nullptr || count < 2) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    PenDraw pd(t, dc);
    DrawOutline(pd, ToPolygon(pts, count, t.off), false);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* pts, int count) {
    if (dc == nullptr || pts == nullptr || count < 2) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QPolygon poly = ToPolygon(pts, count, t.off);
    FillRegionWithBrush(t, PolygonRegion(poly, dc->st.polyFillMode), MakeBrushFill(dc, dc->st.brush, t.off),
                        dc->st.rop2);
    PenDraw pd(t, dc);
    DrawOutline(pd, poly, true);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (dc == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QRect r = NormRect(left, top, right, bottom).translated(t.off);
    PenDraw pd(t, dc);
    BrushFill brush = MakeBrushFill(dc, dc->st.brush, t.off);
    if (pd.null()) {
        // Without a pen GDI fills one pixel less to the right and below.
        FillRectWithBrush(t, r.adjusted(0, 0, -1, -1), brush, dc->st.rop2);
        return TRUE;
    }
    int w = pd.width;
    if (r.width() <= 2 * w || r.height() <= 2 * w) {
        BrushFill f;
        f.kind = BrushFill::Solid;
        f.color = pd.color;
        FillRectWithBrush(t, r, f, dc->st.rop2);
        return TRUE;
    }
    if (w == 1) {
        FillRectWithBrush(t, r.adjusted(1, 1, -1, -1), brush, dc->st.rop2);
        int l = r.left(), tp = r.top(), rr = r.right(), b = r.bottom();
        pd.line(l, tp, rr, tp);
        pd.line(rr, tp, rr, b);
        pd.line(rr, b, l, b);
        pd.line(l, b, l, tp);
    } else {
        // A wide pen is centred on the outline unless it is an inside-frame pen.
        QRect outer = pd.insideFrame ? r
                                     : QRect(QPoint(r.left() - w / 2, r.top() - w / 2),
                                             QPoint(r.right() + (w - 1) / 2, r.bottom() + (w - 1) / 2));
        QRect inner = outer.adjusted(w, w, -w, -w);
        FillRectWithBrush(t, inner, brush, dc->st.rop2);
        BrushFill f;
        f.kind = BrushFill::Solid;
        f.color = pd.color;
        FillRegionWithBrush(t, QRegion(outer) - QRegion(inner), f, dc->st.rop2);
    }
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int w, int h) {
    if (dc == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QRect r = NormRect(left, top, right, bottom).translated(t.off);
    QPainterPath path;
    path.addRoundedRect(QRectF(r), w / 2.0, h / 2.0);
    QPolygon poly = path.toFillPolygon().toPolygon();
    FillRegionWithBrush(t, QRegion(poly), MakeBrushFill(dc, dc->st.brush, t.off), dc->st.rop2);
    PenDraw pd(t, dc);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(r.adjusted(0, 0, -1, -1)), w / 2.0, h / 2.0);
    DrawOutline(pd, inner.toFillPolygon().toPolygon(), true);
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    if (dc == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QRect r = NormRect(left, top, right, bottom).translated(t.off);
    PenDraw pd(t, dc);
    BrushFill brush = MakeBrushFill(dc, dc->st.brush, t.off);
    if (pd.null()) {
        FillRegionWithBrush(t, EllipseRegion(r.adjusted(0, 0, -1, -1)), brush, dc->st.rop2);
        return TRUE;
    }
    QRegion outer = EllipseRegion(r);
    QRegion inner = EllipseRegion(r.adjusted(pd.width, pd.width, -pd.width, -pd.width));
    FillRegionWithBrush(t, inner, brush, dc->st.rop2);
    BrushFill f;
    f.kind = BrushFill::Solid;
    f.color = pd.color;
    FillRegionWithBrush(t, outer - inner, f, dc->st.rop2);
    return TRUE;
}

int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
    if (dc == nullptr || r == nullptr || brush == nullptr) return 0;
    // A system colour index + 1 may stand for a brush, as in window classes.
    std::intptr_t asInt = reinterpret_cast<std::intptr_t>(brush);
    if (asInt > 0 && asInt <= 31) brush = GetSysColorBrush(static_cast<int>(asInt - 1));
    DrawTarget t(dc);
    if (!t.ok()) return 1;
    FillRectWithBrush(t, NormRect(r->Left, r->Top, r->Right, r->Bottom).translated(t.off),
                      MakeBrushFill(dc, brush, t.off), -1);
    return 1;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH brush) {
    if (dc == nullptr || r == nullptr || brush == nullptr) return 0;
    DrawTarget t(dc);
    if (!t.ok()) return 1;
    QRect q = QRect(QPoint(r->Left, r->Top), QPoint(r->Right - 1, r->Bottom - 1)).translated(t.off);
    if (q.width() <= 0 || q.height() <= 0) return 1;
    QRegion ring = QRegion(q) - QRegion(q.adjusted(1, 1, -1, -1));
    FillRegionWithBrush(t, ring, MakeBrushFill(dc, brush, t.off), -1);
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* r) {
    if (dc == nullptr || r == nullptr) return FALSE;
    return PatBlt(dc, r->Left, r->Top, r->Right - r->Left, r->Bottom - r->Top, DSTINVERT);
}

BOOL DrawFocusRect(HDC dc, const RECT* r) {
    if (dc == nullptr || r == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QRect q = QRect(QPoint(r->Left, r->Top), QPoint(r->Right - 1, r->Bottom - 1)).translated(t.off);
    if (q.width() <= 0 || q.height() <= 0) return TRUE;
    // A one-pixel frame through a checkerboard aligned to the DC origin, inverted;
    // a second call restores the picture.
    auto flip = [&](int x, int y) {
        if (((x - dc->origin.x() + y - dc->origin.y()) & 1) != 0) return;
        if (x < 0 || y < 0 || x >= t.img->width() || y >= t.img->height()) return;
        if (!t.clip.contains(QPoint(x, y))) return;
        auto* line = reinterpret_cast<QRgb*>(t.img->scanLine(y));
        line[x] = (line[x] ^ 0x00FFFFFFu) | 0xFF000000u;
    };
    for (int x = q.left(); x <= q.right(); ++x) {
        flip(x, q.top());
        if (q.bottom() != q.top()) flip(x, q.bottom());
    }
    for (int y = q.top() + 1; y < q.bottom(); ++y) {
        flip(q.left(), y);
        if (q.right() != q.left()) flip(q.right(), y);
    }
    t.touched |= q;
    return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
    if (dc == nullptr) return FALSE;
    return BlitCore(dc, x, y, w, h, nullptr, 0, 0, 0, 0, rop, nullptr) ? TRUE : FALSE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c) {
    if (dc == nullptr) return CLR_INVALID;
    DrawTarget t(dc);
    if (!t.ok()) return CLR_INVALID;
    QPoint p = QPoint(x, y) + t.off;
    if (!t.clip.contains(p)) return CLR_INVALID;
    QRgb q = ResolveColor(dc, c) | 0xFF000000u;
    reinterpret_cast<QRgb*>(t.img->scanLine(p.y()))[p.x()] = q;
    t.touched = QRect(p, QSize(1, 1));
    if (dc->kind == DCKind::Memory) {
        auto* b = AsBitmap(dc->st.bitmap);
        if (b != nullptr && b->bpp <= 8 && !b->table.empty()) return FromQRgb(b->table[static_cast<std::size_t>(b->nearestIndex(q))]);
    }
    return FromQRgb(q);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF c) { return SetPixel(dc, x, y, c) != CLR_INVALID ? TRUE : FALSE; }

COLORREF GetPixel(HDC dc, int x, int y) {
    if (dc == nullptr) return CLR_INVALID;
    BlitSource s = SourceOf(dc);
    if (s.image == nullptr) return CLR_INVALID;
    QPoint p = QPoint(x, y) + DCDeviceOffset(dc);
    if (!DCClipRegion(dc).contains(p)) return CLR_INVALID;
    return FromQRgb(reinterpret_cast<const QRgb*>(s.image->constScanLine(p.y()))[p.x()]);
}

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
    if (dc == nullptr || rgn == nullptr || brush == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    FillRegionWithBrush(t, AsRegion(rgn)->rgn.translated(t.off), MakeBrushFill(dc, brush, t.off), -1);
    return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN rgn) { return dc ? FillRgn(dc, rgn, dc->st.brush) : FALSE; }

BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h) {
    if (dc == nullptr || rgn == nullptr || brush == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    const QRegion& r = AsRegion(rgn)->rgn;
    // The frame is what is left of the region when it is eroded by w x h.
    QRegion inner = r;
    for (int dx = -w; dx <= w; ++dx) inner &= r.translated(dx, 0);
    for (int dy = -h; dy <= h; ++dy) inner &= r.translated(0, dy);
    FillRegionWithBrush(t, (r - inner).translated(t.off), MakeBrushFill(dc, brush, t.off), -1);
    return TRUE;
}

BOOL InvertRgn(HDC dc, HRGN rgn) {
    if (dc == nullptr || rgn == nullptr) return FALSE;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    QRegion r = AsRegion(rgn)->rgn.translated(t.off) & t.clip;
    for (const QRect& rc : r) {
        for (int y = rc.top(); y <= rc.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(t.img->scanLine(y));
            for (int x = rc.left(); x <= rc.right(); ++x) line[x] = (line[x] ^ 0x00FFFFFFu) | 0xFF000000u;
        }
    }
    t.touched |= r.boundingRect();
    return TRUE;
}

// ---- Block transfers -------------------------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    if (dst == nullptr) return FALSE;
    BlitSource s;
    if (src != nullptr) {
        s = SourceOf(src);
        QPoint o = DCDeviceOffset(src);
        sx += o.x();
        sy += o.y();
    }
    return BlitCore(dst, x, y, w, h, src != nullptr ? &s : nullptr, sx, sy, sw, sh, rop, nullptr) ? TRUE : FALSE;
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent) {
    if (dst == nullptr || src == nullptr || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return FALSE;
    BlitSource s = SourceOf(src);
    QPoint o = DCDeviceOffset(src);
    QRgb tc = ResolveColor(src, transparent);
    return BlitCore(dst, x, y, w, h, &s, sx + o.x(), sy + o.y(), sw, sh, SRCCOPY, &tc) ? TRUE : FALSE;
}

int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
    if (dc == nullptr || bits == nullptr || info == nullptr) return 0;
    bool mono = false;
    QImage img = DecodeDIB(bits, info, usage, dc, &mono);
    if (img.isNull()) return 0;
    BlitSource s;
    s.image = &img;
    // DIB source coordinates count from the bottom row for bottom-up data.
    int srcY = info->bmiHeader.biHeight > 0 ? img.height() - sy - sh : sy;
    if (!BlitCore(dc, x, y, w, h, &s, sx, srcY, sw, sh, rop, nullptr)) return 0;
    return std::abs(sh);
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage) {
    if (dc == nullptr || bits == nullptr || info == nullptr) return 0;
    (void)startScan;
    (void)lines;
    return StretchDIBits(dc, x, y, static_cast<int>(w), static_cast<int>(h), sx, sy, static_cast<int>(w),
                         static_cast<int>(h), bits, info, usage, SRCCOPY);
}

// ---- Palettes -------------------------------------------------------------------------
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

// ---- Rectangles --------------------------------------------------------------------------
BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
    if (r == nullptr) return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
BOOL OffsetRect(RECT* r, int dx, int dy) {
    if (r == nullptr) return FALSE;
    r->Left += dx;
    r->Right += dx;
    r->Top += dy;
    r->Bottom += dy;
    return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
    if (r == nullptr) return FALSE;
    r->Left -= dx;
    r->Right += dx;
    r->Top -= dy;
    r->Bottom += dy;
    return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return r == nullptr || r->Right <= r->Left || r->Bottom <= r->Top; }
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    RECT r{std::max(a->Left, b->Left), std::max(a->Top, b->Top), std::min(a->Right, b->Right),
           std::min(a->Bottom, b->Bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    if (IsRectEmpty(a)) {
        *dst = IsRectEmpty(b) ? RECT{} : *b;
    } else if (IsRectEmpty(b)) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->Left, b->Left), std::min(a->Top, b->Top), std::max(a->Right, b->Right),
                    std::max(a->Bottom, b->Bottom)};
    }
    return IsRectEmpty(dst) ? FALSE : TRUE;
}
BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    *dst = *a;
    RECT i;
    if (!IntersectRect(&i, a, b)) return IsRectEmpty(dst) ? FALSE : TRUE;
    // Only a full-height or full-width bite shrinks the rectangle.
    if (i.Top == a->Top && i.Bottom == a->Bottom) {
        if (i.Left == a->Left) dst->Left = i.Right;
        else if (i.Right == a->Right) dst->Right = i.Left;
    } else if (i.Left == a->Left && i.Right == a->Right) {
        if (i.Top == a->Top) dst->Top = i.Bottom;
        else if (i.Bottom == a->Bottom) dst->Bottom = i.Top;
    }
    return IsRectEmpty(dst) ? FALSE : TRUE;
}
BOOL PtInRect(const RECT* r, POINT p) {
    return r != nullptr && p.X >= r->Left && p.X < r->Right && p.Y >= r->Top && p.Y < r->Bottom;
}
BOOL EqualRect(const RECT* a, const RECT* b) { return a != nullptr && b != nullptr && *a == *b; }

// ---- System --------------------------------------------------------------------------------
DWORD GetSysColor(int index) {
    // The classic Windows scheme. 3D light is the classic silver (C0C0C0)
    // rather than the later DFDFDF, so that bevels match button faces.
    static const COLORREF colours[31] = {
        RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
        RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
        RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225),
        RGB(192, 192, 192), RGB(0, 0, 255),     RGB(16, 132, 208),  RGB(181, 181, 181), RGB(0, 0, 128),
        RGB(192, 192, 192),
    };
    if (index < 0 || index > 30) return 0;
    return colours[index];
}

HBRUSH GetSysColorBrush(int index) {
    static HBRUSH brushes[31] = {};
    if (index < 0 || index > 30) return nullptr;
    if (brushes[index] == nullptr) {
        brushes[index] = CreateSolidBrush(GetSysColor(index));
        brushes[index]->Stock = true;
    }
    return brushes[index];
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long num = static_cast<long long>(a) * b;
    long long q = num / c, r = num % c;
    // Halves round away from zero.
    if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(c))) q += ((num < 0) != (c < 0)) ? -1 : 1;
    if (q > 2147483647LL || q < -2147483648LL) return -1;
    return static_cast<int>(q);
}

static DWORD MonotonicMs() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() { return MonotonicMs(); }
DWORD timeGetTime() { return MonotonicMs(); }

}  // namespace gui
