// Inside gui/ only: binary and ternary raster operations on RGB32 pixels,
// as GDI applies them.
#pragma once

#include <QRgb>

#include "gui/draw/Gdi.h"

namespace gui::detail {

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

}  // namespace gui::detail
