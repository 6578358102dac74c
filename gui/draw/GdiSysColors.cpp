// The system colours and their brushes.
#include "gui/draw/detail/GdiInternal.h"

namespace gui {

using namespace detail;

DWORD GetSysColor(int index) {
    // The classic Windows scheme. 3D light is the classic silver (C0C0C0)
    // rather than the later DFDFDF, so that bevels match button faces.
    static const COLORREF colours[31] = {
        RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
        RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
        RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225),
        RGB(192, 192, 192), RGB(0, 0, 255),     RGB(16, 132, 208),  RGB(181, 181, 181), RGB(0, 0, 128),
        RGB(192, 192, 192),
    };
    if (index < 0 || index > 30) return 0;
    return colours[index];
}

HBRUSH GetSysColorBrush(int index) {
    static HBRUSH brushes[31] = {};
    if (index < 0 || index > 30) return nullptr;
    if (brushes[index] == nullptr) {
        brushes[index] = CreateSolidBrush(GetSysColor(index));
        brushes[index]->Stock = true;
    }
    return brushes[index];
}

}  // namespace gui
