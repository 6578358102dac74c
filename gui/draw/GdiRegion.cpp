// Regions (QRegion keeps them as y-x banded rectangle lists, as GDI does) and
// the clip-region calls of device contexts.
#include <QPolygon>

#include <algorithm>
#include <cstring>

#include "gui/draw/detail/GdiInternal.h"

namespace gui {
namespace detail {

namespace {

// The region's rectangles in GDI's normal form: y-x banded, and a band
// merged into the one above it when their horizontal spans are the same.
std::vector<QRect> BandedRects(const QRegion& r) {
    std::vector<QRect> out;
    std::size_t prevStart = 0, prevEnd = 0;  // the last band in `out`
    std::vector<QRect> band;
    auto flush = [&]() {
        if (band.empty()) return;
        bool merge = prevEnd > prevStart && prevEnd - prevStart == band.size() &&
                     out[prevStart].bottom() + 1 == band.front().top();
        for (std::size_t i = 0; merge && i < band.size(); ++i)
            merge = out[prevStart + i].left() == band[i].left() && out[prevStart + i].right() == band[i].right();
        if (merge) {
            for (std::size_t i = 0; i < band.size(); ++i) out[prevStart + i].setBottom(band[i].bottom());
        } else {
            prevStart = out.size();
            out.insert(out.end(), band.begin(), band.end());
            prevEnd = out.size();
        }
        band.clear();
    };
    for (const QRect& q : r) {
        if (!band.empty() && (band.front().top() != q.top() || band.front().bottom() != q.bottom())) flush();
        band.push_back(q);
    }
    flush();
    return out;
}

int Complexity(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 || BandedRects(r).size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRect FromLTRB(int l, int t, int r, int b) {
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    return QRect(l, t, r - l, b - t);
}

// Union of many rectangles by halves, so that thousands of runs stay fast.
QRegion UnionOf(const std::vector<QRect>& rects, std::size_t a, std::size_t b) {
    if (b - a == 0) return QRegion();
    if (b - a == 1) return QRegion(rects[a]);
    std::size_t m = (a + b) / 2;
    return UnionOf(rects, a, m) | UnionOf(rects, m, b);
}

// The region of rectangles that are already in band order (y-x sorted,
// bands of equal height that do not overlap, rectangles of a band apart),
// built in one pass: rectangles that touch within a band are joined and a
// band that continues the one above with the same spans is merged into it,
// so the result is the normal form a union would give. Returns false, and
// leaves `out` alone, when the list is not in that order.
bool RegionFromBands(const std::vector<QRect>& rects, QRegion& out) {
    std::vector<QRect> norm;
    norm.reserve(rects.size());
    std::size_t bandStart = 0;   // first rectangle of the current band in `norm`
    std::size_t prevStart = 0, prevEnd = 0;  // the band before it
    auto closeBand = [&]() {
        const std::size_t n = norm.size() - bandStart;
        bool merge = prevEnd > prevStart && prevEnd - prevStart == n && norm[prevStart].bottom() + 1 == norm[bandStart].top();
        for (std::size_t i = 0; merge && i < n; ++i)
            merge = norm[prevStart + i].left() == norm[bandStart + i].left() &&
                    norm[prevStart + i].right() == norm[bandStart + i].right();
        if (merge) {
            for (std::size_t i = 0; i < n; ++i) norm[prevStart + i].setBottom(norm[bandStart + i].bottom());
            norm.resize(bandStart);
        } else {
            prevStart = bandStart;
            prevEnd = norm.size();
        }
        bandStart = norm.size();
    };
    for (const QRect& q : rects) {
        if (norm.size() > bandStart) {
            const QRect& last = norm.back();
            if (q.top() == last.top() && q.bottom() == last.bottom()) {
                if (q.left() <= last.right()) return false;  // overlaps or goes back
                if (q.left() == last.right() + 1) {
                    norm.back().setRight(q.right());
                    continue;
                }
                norm.push_back(q);
                continue;
            }
            if (q.top() <= last.bottom()) return false;  // a band that overlaps the last one
            closeBand();
        } else if (prevEnd > prevStart && q.top() <= norm[prevEnd - 1].bottom()) {
            return false;
        }
        norm.push_back(q);
    }
    if (norm.size() > bandStart) closeBand();
    QRegion r;
    if (!norm.empty()) r.setRects(norm.data(), static_cast<int>(norm.size()));
    out = r;
    return true;
}

}  // namespace

QRegion& RegionOf(HRGN rgn) { return AsRegion(rgn)->rgn; }

HRGN CreateRegionFrom(const QRegion& r) {
    auto* o = new RegionObj;
    o->rgn = r;
    return o;
}

}  // namespace detail

using namespace detail;

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return CreateRegionFrom(QRegion(FromLTRB(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* r) {
    if (r == nullptr) return nullptr;
    return CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom);
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    return CreateRegionFrom(EllipseRegionFor(FromLTRB(left, top, right, bottom)));
}

HRGN CreateEllipticRgnIndirect(const RECT* r) {
    if (r == nullptr) return nullptr;
    return CreateEllipticRgn(r->Left, r->Top, r->Right, r->Bottom);
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
    if (pts == nullptr || count < 0) return nullptr;
    if (count < 3) return CreateRegionFrom(QRegion());
    QPolygon poly(count);
    for (int i = 0; i < count; ++i) poly[i] = QPoint(pts[i].X, pts[i].Y);
    return CreateRegionFrom(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

HRGN ExtCreateRegion(const void* xform, DWORD count, const RGNDATA* data) {
    if (data == nullptr || xform != nullptr) return nullptr;
    const RGNDATAHEADER& h = data->rdh;
    if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
    // The block must hold the header and every rectangle it claims.
    if (count < sizeof(RGNDATAHEADER) || h.nCount > (count - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return nullptr;
    std::vector<QRect> rects;
    rects.reserve(h.nCount);
    for (DWORD i = 0; i < h.nCount; ++i) {
        RECT r;
        std::memcpy(&r, data->Buffer + i * sizeof(RECT), sizeof(RECT));
        if (r.Right > r.Left && r.Bottom > r.Top) rects.push_back(FromLTRB(r.Left, r.Top, r.Right, r.Bottom));
    }
    // Lists in band order (as GetRegionData and mask scans write them) are
    // taken in one linear pass; any other order is united.
    QRegion banded;
    if (RegionFromBands(rects, banded)) return CreateRegionFrom(banded);
    return CreateRegionFrom(UnionOf(rects, 0, rects.size()));
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    if (dst == nullptr || src1 == nullptr || (mode != RGN_COPY && src2 == nullptr)) return ERROR;
    const QRegion& a = RegionOf(src1);
    QRegion result;
    switch (mode) {
        case RGN_AND: result = a & RegionOf(src2); break;
        case RGN_OR: result = a | RegionOf(src2); break;
        case RGN_XOR: result = a ^ RegionOf(src2); break;
        case RGN_DIFF: result = a - RegionOf(src2); break;
        case RGN_COPY: result = a; break;
        default: return ERROR;
    }
    RegionOf(dst) = result;
    return Complexity(result);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
    if (rgn == nullptr) return ERROR;
    RegionOf(rgn).translate(dx, dy);
    return Complexity(RegionOf(rgn));
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
    if (rgn == nullptr) return FALSE;
    RegionOf(rgn) = QRegion(FromLTRB(left, top, right, bottom));
    return TRUE;
}

DWORD GetRegionData(HRGN rgn, DWORD count, RGNDATA* data) {
    if (rgn == nullptr) return 0;
    const QRegion& r = RegionOf(rgn);
    const std::vector<QRect> rects = BandedRects(r);
    const DWORD n = static_cast<DWORD>(rects.size());
    const DWORD need = static_cast<DWORD>(sizeof(RGNDATAHEADER) + n * sizeof(RECT));
    if (data == nullptr || count == 0) return need;
    if (count < need) return 0;
    RGNDATAHEADER h;
    h.dwSize = sizeof(RGNDATAHEADER);
    h.iType = RDH_RECTANGLES;
    h.nCount = n;
    h.nRgnSize = n * sizeof(RECT);
    h.rcBound = r.isEmpty() ? RECT{} : FromQRect(r.boundingRect());
    std::memcpy(&data->rdh, &h, sizeof(h));
    DWORD i = 0;
    for (const QRect& q : rects) {
        RECT rc = FromQRect(q);
        std::memcpy(data->Buffer + i * sizeof(RECT), &rc, sizeof(RECT));
        ++i;
    }
    return need;
}

BOOL PtInRegion(HRGN rgn, int x, int y) { return rgn != nullptr && RegionOf(rgn).contains(QPoint(x, y)); }

BOOL RectInRegion(HRGN rgn, const RECT* r) {
    if (rgn == nullptr || r == nullptr) return FALSE;
    QRect q = FromLTRB(r->Left, r->Top, r->Right, r->Bottom);
    return !q.isEmpty() && RegionOf(rgn).intersects(q);
}

int GetRgnBox(HRGN rgn, RECT* r) {
    if (rgn == nullptr || r == nullptr) return ERROR;
    const QRegion& q = RegionOf(rgn);
    *r = q.isEmpty() ? RECT{} : FromQRect(q.boundingRect());
    return Complexity(q);
}

BOOL EqualRgn(HRGN a, HRGN b) {
    if (a == nullptr || b == nullptr) return ERROR;
    // Same pixels, however the rectangles happen to be split.
    return (RegionOf(a) ^ RegionOf(b)).isEmpty() ? TRUE : FALSE;
}

// ---- Clipping ------------------------------------------------------------------------
namespace {

// The DC's clip region, or its whole surface when it has none (device units).
QRegion CurrentClip(HDC dc) {
    if (dc->st.hasClip) return dc->st.clip;
    QRegion all = DCClipRegion(dc).translated(-dc->origin);
    return all;
}

int SetClip(HDC dc, const QRegion& r) {
    dc->st.clip = r;
    dc->st.hasClip = true;
    dc->clipCacheValid = false;
    return Complexity(DCClipRegion(dc));
}

QRect LogicalToDevice(HDC dc, int l, int t, int r, int b) {
    QPoint o = dc->st.viewportOrg - dc->st.windowOrg;
    return FromLTRB(l, t, r, b).translated(o);
}

}  // namespace

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (dc == nullptr) return ERROR;
    const QRegion cur = CurrentClip(dc);
    const QRect r = LogicalToDevice(dc, left, top, right, bottom);
    // A rectangle within a rectangle: no new region needed (paints do this per control).
    if (cur.rectCount() <= 1) return SetClip(dc, RectRegion(dc, cur.boundingRect() & r));
    return SetClip(dc, cur & r);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (dc == nullptr) return ERROR;
    return SetClip(dc, CurrentClip(dc) - LogicalToDevice(dc, left, top, right, bottom));
}

int SelectClipRgn(HDC dc, HRGN rgn) {
    if (dc == nullptr) return ERROR;
    if (rgn == nullptr) {
        dc->st.hasClip = false;
        dc->st.clip = QRegion();
        dc->clipCacheValid = false;
        return Complexity(DCClipRegion(dc));
    }
    return SetClip(dc, RegionOf(rgn));
}

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
    if (dc == nullptr) return ERROR;
    if (mode == RGN_COPY) return SelectClipRgn(dc, rgn);
    if (rgn == nullptr) return ERROR;
    const QRegion& r = RegionOf(rgn);
    QRegion cur = CurrentClip(dc);
    switch (mode) {
        case RGN_AND: return SetClip(dc, cur & r);
        case RGN_OR: return SetClip(dc, cur | r);
        case RGN_XOR: return SetClip(dc, cur ^ r);
        case RGN_DIFF: return SetClip(dc, cur - r);
        default: return ERROR;
    }
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
    if (dc == nullptr) return ERROR;
    if (!dc->st.hasClip) return Complexity(DCClipRegion(dc));
    return SetClip(dc, dc->st.clip.translated(dx, dy));
}

int GetClipBox(HDC dc, RECT* r) {
    if (dc == nullptr || r == nullptr) return ERROR;
    QRegion c = DCClipRegion(dc);
    if (c.isEmpty()) {
        *r = RECT{};
        return NULLREGION;
    }
    QPoint off = DCDeviceOffset(dc);
    *r = FromQRect(c.boundingRect().translated(-off));
    return Complexity(c);
}

int GetClipRgn(HDC dc, HRGN rgn) {
    if (dc == nullptr || rgn == nullptr) return -1;
    if (!dc->st.hasClip) return 0;
    RegionOf(rgn) = dc->st.clip;
    return 1;
}

BOOL PtVisible(HDC dc, int x, int y) {
    if (dc == nullptr) return FALSE;
    return DCClipRegion(dc).contains(QPoint(x, y) + DCDeviceOffset(dc)) ? TRUE : FALSE;
}

BOOL RectVisible(HDC dc, const RECT* r) {
    if (dc == nullptr || r == nullptr) return FALSE;
    QRect q = FromLTRB(r->Left, r->Top, r->Right, r->Bottom).translated(DCDeviceOffset(dc));
    return DCClipRegion(dc).intersects(q) ? TRUE : FALSE;
}

}  // namespace gui
