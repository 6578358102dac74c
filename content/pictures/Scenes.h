// Painters shared by the artwork and the release pictures: the moonlit mere,
// the logo, metal panels and the colour scheme of the release.
#pragma once

#include <cstdint>
#include <string>

#include "content/pictures/Raster.h"

namespace content::pic {

// The release's colours: near-black olive ink, bone white, dried blood, rust.
inline constexpr Rgb kInk{21, 22, 5};
inline constexpr Rgb kNight{8, 9, 12};
inline constexpr Rgb kBone{222, 214, 192};
inline constexpr Rgb kAsh{128, 124, 112};
inline constexpr Rgb kBlood{168, 22, 18};
inline constexpr Rgb kEmber{255, 96, 40};
inline constexpr Rgb kRust{142, 70, 34};
inline constexpr Rgb kMoss{58, 70, 40};
inline constexpr Rgb kMoon{236, 228, 200};

struct MereStyle {
  uint32_t seed = 1;
  float horizon = 0.6f;  // fraction of the height
  float moonX = 0.7f, moonY = 0.25f, moonR = 0.07f;  // fractions of width/height/width
  Rgb skyTop{5, 6, 10};
  Rgb skyLow{58, 34, 32};
  Rgb hills{10, 10, 8};
  Rgb water{6, 9, 12};
  float clouds = 0.8f;
  int stars = 60;
  bool reeds = true;
};

// A night landscape: sky, clouds, moon, hills, mist and a rippled reflection.
void PaintMere(Image& img, const MereStyle& st);

// Dark brushed-metal panel with rivets and a bevelled border, used behind text.
void PaintPanel(Image& img, int x0, int y0, int x1, int y1, uint32_t seed, float alpha = 1.0f);

// The "HOLLOWMERE" word mark centred at cx, top at y.
void PaintLogo(Image& img, int cx, int y, int scale, float glow = 1.0f);

// Thin horizontal rule with a bright centre fading to both ends.
void PaintRule(Image& img, int x0, int x1, int y, Rgb c, float strength = 1.0f);

}  // namespace content::pic
