// Masks for the shaped-window tests, drawn as text.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/draw/Graphics.h"

namespace shapedwin_test {

// A one-bit mask from rows of '#' (black, inside) and '.' (white, outside).
inline std::unique_ptr<gui::TBitmap> MaskOf(const std::vector<std::string>& rows) {
    auto bmp = std::make_unique<gui::TBitmap>();
    bmp->SetPixelFormat(gui::pf1bit);
    bmp->SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bmp->Height(); ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
        std::memset(row, 0xFF, static_cast<std::size_t>((bmp->Width() + 7) / 8));
        for (int x = 0; x < bmp->Width(); ++x)
            if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#')
                row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
    }
    return bmp;
}

// A mask of w x h with a black rectangle (right and bottom exclusive).
inline std::unique_ptr<gui::TBitmap> RectMask(int w, int h, gui::TRect black) {
    std::vector<std::string> rows(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '.'));
    for (int y = black.Top; y < black.Bottom; ++y)
        for (int x = black.Left; x < black.Right; ++x) rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
    return MaskOf(rows);
}

}  // namespace shapedwin_test
