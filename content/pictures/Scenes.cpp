#include "content/pictures/Scenes.h"

#include <algorithm>
#include <cmath>

namespace content::pic {

namespace {

float Smooth(float e0, float e1, float x) {
  const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

}  // namespace

void PaintMere(Image& img, const MereStyle& st) {
  const int w = img.Width(), h = img.Height();
  const int hy = static_cast<int>(h * st.horizon);
  const float mx = w * st.moonX, my = h * st.moonY, mr = w * st.moonR;

  // Sky with drifting cloud bands lit from the moon side.
  for (int y = 0; y < hy; ++y) {
    const float t = static_cast<float>(y) / std::max(1, hy - 1);
    const Rgb base = Mix(st.skyTop, st.skyLow, t * t);
    for (int x = 0; x < w; ++x) {
      Rgb c = base;
      const float n = Fbm(x / 110.0f, y / 28.0f, st.seed);
      const float cloud = Smooth(0.48f, 0.78f, n) * st.clouds * (0.35f + 0.65f * t);
      const float lit = std::max(0.0f, 1.0f - std::hypot(x - mx, (y - my) * 1.6f) / (w * 0.6f));
      c = Mix(c, Mix(Rgb{30, 26, 28}, Rgb{150, 138, 120}, lit * lit), cloud);
      img.Set(x, y, c);
    }
  }
  Rng rng(st.seed * 7 + 3);
  for (int i = 0; i < st.stars; ++i) {
    const float sx = rng.Range(0, static_cast<float>(w)), sy = rng.Range(0, hy * 0.75f);
    const float b = rng.Range(0.2f, 1.0f);
    const float n = Fbm(sx / 110.0f, sy / 28.0f, st.seed);
    if (n > 0.62f) continue;  // hidden behind cloud
    img.Add(static_cast<int>(sx), static_cast<int>(sy), Rgb{200, 205, 220}, b * 0.9f);
    if (b > 0.85f) img.Glow(sx + 0.5f, sy + 0.5f, 3.0f, Rgb{120, 130, 160}, 0.6f);
  }
  // Moon: glow, disc with mottled surface, thin cloud across it.
  img.Glow(mx, my, mr * 6.0f, Rgb{70, 62, 50}, 0.7f);
  img.Glow(mx, my, mr * 2.2f, Rgb{120, 110, 90}, 0.6f);
  {
    Mask disc(w, h);
    disc.FillCircle(mx, my, mr);
    for (int y = static_cast<int>(my - mr - 2); y <= static_cast<int>(my + mr + 2); ++y)
      for (int x = static_cast<int>(mx - mr - 2); x <= static_cast<int>(mx + mr + 2); ++x) {
        const float a = disc.At(x, y);
        if (a <= 0) continue;
        const float n = Fbm(x / (mr * 0.45f + 1), y / (mr * 0.45f + 1), st.seed + 99);
        const float shade = 0.78f + 0.3f * n - 0.25f * std::max(0.0f, (x - mx) / mr);
        img.Blend(x, y, Scale(kMoon, shade), a);
      }
  }
  // Two ranges of hills; the far one is paler, swallowed by mist.
  for (int layer = 0; layer < 2; ++layer) {
    const float amp = layer == 0 ? h * 0.10f : h * 0.06f;
    const Rgb col = layer == 0 ? Mix(st.hills, st.skyLow, 0.35f) : st.hills;
    for (int x = 0; x < w; ++x) {
      const float n = Fbm(x / (layer == 0 ? 140.0f : 80.0f), 3.7f + layer * 11.0f, st.seed + 17u + static_cast<uint32_t>(layer));
      const int top = static_cast<int>(hy - amp * (0.25f + n) + (layer == 0 ? -amp * 0.4f : 0.0f));
      for (int y = std::max(0, top); y < hy; ++y) img.Set(x, y, col);
    }
  }
  // Mist along the horizon.
  for (int y = std::max(0, hy - h / 8); y < hy; ++y) {
    const float t = Smooth(static_cast<float>(hy - h / 8), static_cast<float>(hy), static_cast<float>(y));
    for (int x = 0; x < w; ++x) {
      const float n = Fbm(x / 60.0f, y / 9.0f, st.seed + 5);
      img.Blend(x, y, Rgb{70, 66, 62}, t * 0.45f * n);
    }
  }
  // Water: a rippled, darkened mirror of the sky with glints under the moon.
  for (int y = hy; y < h; ++y) {
    const float depth = static_cast<float>(y - hy) / std::max(1, h - hy);
    for (int x = 0; x < w; ++x) {
      const float ripple = std::sin(y * 0.9f + Fbm(x / 30.0f, y / 4.0f, st.seed + 3) * 9.0f) * (1.0f + depth * 6.0f);
      const int sx = std::clamp(static_cast<int>(x + ripple), 0, w - 1);
      const int sy = std::clamp(hy - 1 - static_cast<int>((y - hy) * 1.1f), 0, hy - 1);
      Rgb c = Mix(img.At(sx, sy), st.water, 0.45f + 0.4f * depth);
      // Glints: short horizontal streaks, denser and brighter under the moon.
      const float col = std::max(0.0f, 1.0f - std::fabs(x - mx) / (mr * (1.3f + depth * 2.5f) + 2.0f));
      if (col > 0) {
        const float streak = ValueNoise(x / (3.0f + 6.0f * depth), y * 0.9f, st.seed + 8);
        const float g = Smooth(0.5f, 0.85f, streak) * col * col * (0.75f - 0.45f * depth);
        c = Mix(c, kMoon, g);
      }
      img.Set(x, y, c);
    }
  }
  if (st.reeds) {
    // Reeds in the foreground, black against the water.
    Mask reeds(w, h);
    Rng r(st.seed + 41);
    const int n = std::max(6, w / 14);
    for (int i = 0; i < n; ++i) {
      const bool left = i % 2 == 0;
      const float bx = left ? r.Range(0, w * 0.22f) : r.Range(w * 0.8f, static_cast<float>(w));
      const float height = r.Range(h * 0.12f, h * 0.38f);
      const float bend = r.Range(-0.25f, 0.25f) * height;
      float px = bx, py = static_cast<float>(h);
      const int segs = 8;
      for (int s = 1; s <= segs; ++s) {
        const float t = static_cast<float>(s) / segs;
        const float nx = bx + bend * t * t, ny = h - height * t;
        reeds.Line(px, py, nx, ny, std::max(1.0f, 2.4f * (1.0f - t) + 0.6f));
        px = nx;
        py = ny;
      }
      if (r.Uniform() > 0.6f) reeds.FillCircle(px, py + height * 0.05f, 1.8f + r.Uniform());  // seed head
    }
    img.Paint(reeds, Rgb{3, 3, 2}, 0.95f);
  }
  img.Noise(st.seed + 77, 5.0f);
}

void PaintPanel(Image& img, int x0, int y0, int x1, int y1, uint32_t seed, float alpha) {
  for (int y = std::max(0, y0); y < std::min(img.Height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(img.Width(), x1); ++x) {
      // Brushed streaks: noise stretched along x.
      const float n = Fbm(x / 70.0f, y / 1.6f, seed);
      const float v = 24 + 22 * n;
      img.Blend(x, y, Rgb{static_cast<uint8_t>(v), static_cast<uint8_t>(v * 0.97f), static_cast<uint8_t>(v * 0.86f)}, alpha);
    }
  // Bevel: light top/left, dark bottom/right.
  for (int x = x0; x < x1; ++x) {
    img.Blend(x, y0, Rgb{120, 114, 100}, 0.8f * alpha);
    img.Blend(x, y1 - 1, Rgb{0, 0, 0}, 0.9f * alpha);
  }
  for (int y = y0; y < y1; ++y) {
    img.Blend(x0, y, Rgb{100, 96, 84}, 0.8f * alpha);
    img.Blend(x1 - 1, y, Rgb{0, 0, 0}, 0.9f * alpha);
  }
  // Rivets in the corners.
  const int in = 4;
  for (auto [rx, ry] : {std::pair{x0 + in, y0 + in}, {x1 - in - 1, y0 + in}, {x0 + in, y1 - in - 1}, {x1 - in - 1, y1 - in - 1}}) {
    img.Blend(rx, ry, Rgb{150, 140, 120}, alpha);
    img.Blend(rx + 1, ry + 1, Rgb{0, 0, 0}, alpha);
  }
}

void PaintLogo(Image& img, int cx, int y, int scale, float glow) {
  const std::string word = "HOLLOWMERE";
  TextStyle st;
  st.scale = scale;
  st.spacing = 1;
  st.colour = kBone;
  st.glow = kBlood;
  st.glowStrength = 1.1f * glow;
  st.glowRadius = std::max(2, scale * 2);
  st.shadow = 0.8f;
  st.bevel = 0.5f;
  const int tw = font::TextWidth(word, scale, 1);
  DrawText(img, cx - tw / 2, y, word, st);
  // A cut through the middle of the letters, the release's mark.
  const int cutY = y + scale * 3 + scale / 2;
  for (int x = cx - tw / 2 - scale * 2; x < cx + tw / 2 + scale * 2; ++x) {
    img.Blend(x, cutY, Rgb{0, 0, 0}, 0.55f);
  }
  PaintRule(img, cx - tw / 2 - scale * 4, cx + tw / 2 + scale * 4, y + font::kCapH * scale + scale * 2, kBlood, glow);
}

void PaintRule(Image& img, int x0, int x1, int y, Rgb c, float strength) {
  const float mid = (x0 + x1) * 0.5f, half = std::max(1.0f, (x1 - x0) * 0.5f);
  for (int x = x0; x < x1; ++x) {
    const float t = 1.0f - std::fabs(x - mid) / half;
    img.Add(x, y, c, t * strength);
    img.Add(x, y - 1, c, t * 0.25f * strength);
    img.Add(x, y + 1, c, t * 0.25f * strength);
  }
}

}  // namespace content::pic
