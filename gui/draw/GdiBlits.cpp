// Block transfers: the one blit core behind BitBlt, StretchBlt, TransparentBlt
// and the DIB calls.
#include <algorithm>
#include <cmath>

#include "gui/draw/detail/GdiPaint.h"

namespace gui::detail {

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

}  // namespace gui::detail

namespace gui {

using namespace detail;

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

}  // namespace gui
