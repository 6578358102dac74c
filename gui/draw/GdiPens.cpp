// Pens: creation and the cosmetic dash patterns.
#include "gui/draw/detail/GdiPaint.h"

namespace gui::detail {

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

}  // namespace gui::detail

namespace gui {

using namespace detail;

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

}  // namespace gui
