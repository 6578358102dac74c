// Pieces of the artwork that the release pictures reuse, and the shapes the
// tests check against.
#pragma once

#include <string>
#include <vector>

#include "content/pictures/Raster.h"

namespace content::pic {

// The main menu's outline as coverage; a pixel is visible when >= 0.5.
Mask MenuShape();
std::vector<bool> MenuMaskBits();  // true = black = visible, row-major, top-down

Image MenuBackground();
// Button pictures cut from the menu background with the name drawn in.
Image ArtistButton(const Image& menuBack, int index, bool enter);

// The 630 x 70 panel strip of the Bio window, with a word on the right.
Image PanelStrip(uint32_t seed, const std::string& word, Rgb tint);

Image SplashPicture();

// The program's icon is this square of the splash (the moon and its light),
// written as icon_<n>.png for each size.
struct IconCrop {
  int x, y, size;
};
inline constexpr IconCrop kIconCrop{261, 24, 116};
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// The slider's built-in pictures as 16-colour indices (Windows VGA order).
const std::vector<Rgb>& VgaPalette();
struct Indexed16 {
  int width, height;
  std::vector<uint8_t> idx;
};
Indexed16 SliderThumb(bool horizontal, bool pressed);
Indexed16 SliderRuler(bool horizontal);

}  // namespace content::pic
