// The stock objects: brushes, pens, fonts, the default palette and the 1x1
// bitmap of a new memory DC. They are never freed.
#include <cstring>

#include "gui/draw/detail/GdiPaint.h"

namespace gui::detail {

const PALETTEENTRY kStatic20[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

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

// The 1x1 monochrome bitmap that a new memory DC holds.
HBITMAP StockBitmap() {
    static BitmapObj* bmp = [] {
        auto* b = MakeStock(new BitmapObj);
        b->reset(1, 1, 1, DefaultTable(1));
        return b;
    }();
    return bmp;
}

}  // namespace gui::detail

namespace gui {

using namespace detail;

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

}  // namespace gui
