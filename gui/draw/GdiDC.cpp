// Device contexts: the pool of freed DCs, creation over bitmaps, the screen
// and images, saved states, selections, coordinates and clipping, and the
// drawing target that the drawing files paint through. Drawing is done with
// integer span loops on the RGB32 surface so that results are pixel-exact and
// raster ops apply as GDI applies them.
#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <mutex>
#include <utility>
#include <cstdlib>
#include <cstring>

#include "gui/draw/detail/GdiPaint.h"

namespace gui {
namespace detail {

int g_displayDepth = 24;

namespace {

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

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

}  // namespace

// ---- Shared helpers --------------------------------------------------------------------
void EnsureQtApp() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "hollowmere";
    static char* argv[] = {name, nullptr};
    // With shared-memory images every paint waits for the X server to finish
    // the last one (a round trip, and a completion event that wakes a second
    // thread); the player repaints small areas 33 times a second, which plain
    // image requests carry for less. A user's own setting stays.
    setenv("QT_XCB_NO_MITSHM", "1", 0);
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    // The style keeps a picture of every standard control it drew, per size
    // and state, up to 10 MB; the viewer's scroll bar takes a new size with
    // every page, so a long session would grow by that much for no gain.
    QPixmapCache::setCacheLimit(1024);
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

}  // namespace gui
