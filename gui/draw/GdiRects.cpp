// Rectangle arithmetic and MulDiv.
#include <algorithm>
#include <cstdlib>

#include "gui/draw/Gdi.h"

namespace gui {


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

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long num = static_cast<long long>(a) * b;
    long long q = num / c, r = num % c;
    // Halves round away from zero.
    if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(c))) q += ((num < 0) != (c < 0)) ? -1 : 1;
    if (q > 2147483647LL || q < -2147483648LL) return -1;
    return static_cast<int>(q);
}

}  // namespace gui
