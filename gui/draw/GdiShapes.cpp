// Lines, polygons, rectangles, ellipses, region fills and frames.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

#include "gui/draw/detail/GdiPaint.h"

namespace gui::detail {

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

void DrawClosedOutline(PenDraw& pd, const QPolygon& poly) {
    if (pd.null() || poly.isEmpty()) return;
    for (int i = 0; i + 1 < poly.size(); ++i) pd.line(poly[i].x(), poly[i].y(), poly[i + 1].x(), poly[i + 1].y());
    if (poly.size() > 1) {
        pd.line(poly.last().x(), poly.last().y(), poly[0].x(), poly[0].y());
        pd.finishWide(poly[0].x(), poly[0].y());
    } else {
        pd.finishWide(poly.last().x(), poly.last().y());
    }
}

// An open outline straight from the caller's points: no polygon is built
// for what is drawn line by line (bevels draw theirs on every paint).
static void DrawOpenOutline(PenDraw& pd, const POINT* pts, int count, QPoint off) {
    if (pd.null() || count <= 0) return;
    for (int i = 0; i + 1 < count; ++i)
        pd.line(pts[i].X + off.x(), pts[i].Y + off.y(), pts[i + 1].X + off.x(), pts[i + 1].Y + off.y());
    pd.finishWide(pts[count - 1].X + off.x(), pts[count - 1].Y + off.y());
}

QRegion EllipseRegionFor(const QRect& r) { return EllipseRegion(r); }

// The frame of `outer` that is `w` pixels thick, as four rectangles that do
// not overlap (top and bottom full width, the sides between them).
void FillRingWithBrush(DrawTarget& t, const QRect& outer, int w, const BrushFill& f, int rop2) {
    if (outer.isEmpty() || w <= 0) return;
    if (outer.width() <= 2 * w || outer.height() <= 2 * w) {
        FillRectWithBrush(t, outer, f, rop2);
        return;
    }
    const int l = outer.left(), tp = outer.top(), r = outer.right(), b = outer.bottom();
    FillRectWithBrush(t, QRect(QPoint(l, tp), QPoint(r, tp + w - 1)), f, rop2);
    FillRectWithBrush(t, QRect(QPoint(l, b - w + 1), QPoint(r, b)), f, rop2);
    FillRectWithBrush(t, QRect(QPoint(l, tp + w), QPoint(l + w - 1, b - w)), f, rop2);
    FillRectWithBrush(t, QRect(QPoint(r - w + 1, tp + w), QPoint(r, b - w)), f, rop2);
}

}  // namespace gui::detail

namespace gui {

using namespace detail;

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
    DrawOpenOutline(pd, pts, count, t.off);
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
    DrawClosedOutline(pd, poly);
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
        FillRingWithBrush(t, outer, w, f, dc->st.rop2);
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
    DrawClosedOutline(pd, inner.toFillPolygon().toPolygon());
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
    FillRingWithBrush(t, q, 1, MakeBrushFill(dc, brush, t.off), -1);
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

}  // namespace gui
