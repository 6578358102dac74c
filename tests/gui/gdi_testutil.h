// Helpers for the drawing tests: a memory DC over a fresh 24-bit bitmap and
// pixel probes.
#pragma once

#include <gtest/gtest.h>

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"

namespace gdi_test {

using namespace gui;

// A memory DC with a w x h true-colour bitmap, filled with `fill`.
class Surface {
public:
    Surface(int w, int h, COLORREF fill = 0xFFFFFF) : w_(w), h_(h) {
        screen_ = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        dc_ = CreateCompatibleDC(screen_);
        bmp_ = CreateCompatibleBitmap(screen_, w, h);
        old_ = SelectObject(dc_, bmp_);
        Clear(fill);
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
        DeleteDC(screen_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bmp_; }
    int width() const { return w_; }
    int height() const { return h_; }

    void Clear(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT r{0, 0, w_, h_};
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // Pixels that differ from `bg`, as a bounding box (empty when none).
    RECT Ink(COLORREF bg = 0xFFFFFF) const {
        RECT r{w_, h_, 0, 0};
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (at(x, y) != bg) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        if (r.Right == 0) r = RECT{};
        return r;
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) n += at(x, y) == c;
        return n;
    }

private:
    int w_, h_;
    HDC screen_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// The picture of a row as characters: '#' where the pixel is `ink`, '.' elsewhere.
inline std::string Row(const Surface& s, int y, COLORREF ink, int x0 = 0, int x1 = -1) {
    if (x1 < 0) x1 = s.width();
    std::string r;
    for (int x = x0; x < x1; ++x) r.push_back(s.at(x, y) == ink ? '#' : '.');
    return r;
}
inline std::string Column(const Surface& s, int x, COLORREF ink, int y0 = 0, int y1 = -1) {
    if (y1 < 0) y1 = s.height();
    std::string r;
    for (int y = y0; y < y1; ++y) r.push_back(s.at(x, y) == ink ? '#' : '.');
    return r;
}

}  // namespace gdi_test
