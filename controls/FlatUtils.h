// Colour and picture routines of the flat button: the computed lighter and
// darker shades, and the disabled look of a one-frame glyph.
#pragma once

#include <memory>

#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"

namespace controls {

enum TAdvColorDirection { adLighter, adDarker };

// A shade of Base: its luminance (240 scale) plus 10, then plus Percent
// (lighter, at most 100) or minus Percent (darker, at least 0). Percent 0
// leaves Current as it is. System colours are resolved first.
gui::TColor AdvColor(gui::TColor Base, gui::TColor Current, int Percent, TAdvColorDirection Direction);

// The disabled rendering of a glyph: a same-size picture in clBtnFace with
// the glyph's black pixels embossed (clBtnHighlight one pixel right and
// down, then clBtnShadow in place). An empty source gives an empty bitmap.
std::unique_ptr<gui::TBitmap> CreateDisabledBitmap(const gui::TBitmap& Source);

}  // namespace controls
