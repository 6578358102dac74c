#include "content/pictures/Artwork.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "content/pictures/Artists.h"
#include "content/pictures/Codecs.h"
#include "content/pictures/Pictures.h"
#include "content/pictures/Scenes.h"

namespace content::pic {

// ---------------------------------------------------------------- main menu

Mask MenuShape() {
  Mask m(kMenuWidth, kMenuHeight);
  // Body holding the logo and the artist column, its top-left corner cut.
  m.FillPolygon({{0, 58}, {14, 44}, {196, 44}, {222, 70}, {222, 382}, {0, 382}});
  // The moon rising out of the top right.
  m.FillCircle(242, 62, 50);
  // The pillar on the right, ending in a point below the text buttons.
  m.FillPolygon({{222, 100}, {270, 112}, {286, 128}, {286, 404}, {256, 440}, {226, 404}});
  // The bar carrying the four text buttons.
  m.FillPolygon({{0, 378}, {292, 378}, {292, 402}, {280, 414}, {12, 414}, {0, 402}});
  return m;
}

std::vector<bool> MenuMaskBits() {
  const Mask m = MenuShape();
  std::vector<bool> bits(static_cast<size_t>(kMenuWidth) * kMenuHeight);
  for (int y = 0; y < kMenuHeight; ++y)
    for (int x = 0; x < kMenuWidth; ++x) bits[static_cast<size_t>(y) * kMenuWidth + x] = m.At(x, y) >= 0.5f;
  return bits;
}

namespace {

bool Visible(const std::vector<bool>& bits, int x, int y) {
  if (x < 0 || y < 0 || x >= kMenuWidth || y >= kMenuHeight) return false;
  return bits[static_cast<size_t>(y) * kMenuWidth + x];
}

}  // namespace

Image MenuBackground() {
  const int w = kMenuWidth, h = kMenuHeight;
  Image img(w, h, kInk);
  // Stone-and-rust texture everywhere; regions are painted over it.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float n = Fbm(x / 40.0f, y / 40.0f, 501);
      const float f = Fbm(x / 7.0f, y / 7.0f, 502);
      Rgb c = Mix(Rgb{14, 14, 9}, Rgb{44, 40, 28}, n * 0.8f + f * 0.3f);
      c = Mix(c, kRust, 0.3f * std::clamp((Fbm(x / 25.0f, y / 25.0f, 503) - 0.6f) * 4.0f, 0.0f, 1.0f));
      img.Set(x, y, c);
    }
  // The pillar: a tall window onto the mere.
  {
    Image strip(64, 340);
    MereStyle st;
    st.seed = 77;
    st.horizon = 0.55f;
    // The big moon sits above the pillar; only its glow and its reflection
    // reach into this picture.
    st.moonX = 18.0f / 64.0f;
    st.moonY = -0.12f;
    st.moonR = 0.16f;
    st.stars = 25;
    st.skyLow = Rgb{48, 24, 22};
    PaintMere(strip, st);
    strip.Vignette(0.6f);
    img.Blit(strip, 224, 100);
  }
  // The moon disc fills the round part of the outline.
  {
    const float cx = 242, cy = 62, r = 50;
    for (int y = 0; y < 120; ++y)
      for (int x = 180; x < w; ++x) {
        const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
        if (d > r + 1) continue;
        const float n = Fbm(x / 14.0f, y / 14.0f, 611);
        const float crater = Fbm(x / 5.0f, y / 5.0f, 612);
        float shade = 0.55f + 0.45f * n - 0.35f * std::max(0.0f, (x - cx + (y - cy) * 0.3f) / r);
        shade *= 1.0f - 0.25f * std::clamp((crater - 0.6f) * 5.0f, 0.0f, 1.0f);
        const float rim = std::clamp((d - r * 0.75f) / (r * 0.25f), 0.0f, 1.0f);
        Rgb c = Scale(kMoon, shade * (1.0f - 0.45f * rim));
        c = Mix(c, Rgb{120, 60, 40}, 0.18f * rim);
        img.Set(x, y, c);
      }
  }
  // The artist column: a recessed slab with faint grooves between rows.
  for (int y = 92; y < 384; ++y)
    for (int x = 0; x < 222; ++x) {
      const float n = Fbm(x / 90.0f, y / 2.0f, 520);
      Rgb c = Mix(Rgb{10, 10, 7}, Rgb{30, 28, 20}, n);
      c = Mix(c, Rgb{40, 14, 10}, std::max(0.0f, 1.0f - x / 150.0f) * 0.35f);
      img.Set(x, y, c);
    }
  for (const ArtistArt& a : Artists()) {
    const int gy = PicTop(a) + a.picHeight - 1;
    for (int x = 6; x < 214; ++x) img.Blend(x, gy, Rgb{0, 0, 0}, 0.6f);
  }
  // The logo between the cut corner and the moon.
  PaintLogo(img, 98, 56, 3, 0.9f);
  {
    TextStyle st;
    st.scale = 1;
    st.colour = kAsh;
    st.shadow = 0.0f;
    const std::string sub = "k o r v a n e   2 0 0 2";
    DrawText(img, 98 - font::TextWidth(sub, 1) / 2, 87, sub, st);
  }
  // The text-button bar: dark brushed metal.
  PaintPanel(img, 0, 380, 292, 414, 530);
  for (int x = 0; x < 292; ++x) img.Blend(x, 385, Rgb{0, 0, 0}, 0.35f);
  // A dim red seam between the two pairs of text buttons.
  PaintRule(img, 120, 206, 394, kBlood, 0.8f);

  // Edges of the outline: a rust line, light from the top left, shade below.
  const std::vector<bool> bits = MenuMaskBits();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!Visible(bits, x, y)) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (!Visible(bits, x + dx, y + dy)) edge = true;
      if (edge) {
        img.Set(x, y, Rgb{96, 46, 24});
        continue;
      }
      if (!Visible(bits, x - 2, y - 2) || !Visible(bits, x, y - 2) || !Visible(bits, x - 2, y))
        img.Blend(x, y, Rgb{190, 170, 140}, 0.35f);
      else if (!Visible(bits, x + 2, y + 2) || !Visible(bits, x, y + 2) || !Visible(bits, x + 2, y))
        img.Blend(x, y, Rgb{0, 0, 0}, 0.6f);
    }
  // Outside the outline nothing is seen; keep it plain so that a rectangular
  // fallback still looks deliberate.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!Visible(bits, x, y)) img.Set(x, y, kInk);
  img.Noise(540, 3.0f);
  return img;
}

Image ArtistButton(const Image& menuBack, int index, bool enter) {
  const ArtistArt& a = Artists().at(static_cast<size_t>(index));
  Image pic = menuBack.Crop(PicLeft(a), PicTop(a), a.picWidth, a.picHeight);
  const int w = pic.Width(), h = pic.Height();
  if (enter) {
    // A red light sweeping in from the left, brightest behind the name.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const float t = std::max(0.0f, 1.0f - x / (w * 0.9f));
        const float v = 1.0f - std::fabs((y - h * 0.5f) / (h * 0.5f));
        pic.Add(x, y, Rgb{150, 24, 16}, 0.55f * t * (0.4f + 0.6f * v));
      }
    for (int y = 3; y < h - 3; ++y) {
      pic.Set(2, y, kEmber);
      pic.Set(3, y, Rgb{200, 60, 30});
    }
  } else {
    for (int y = 5; y < h - 5; ++y) pic.Set(3, y, Rgb{70, 30, 20});
  }
  TextStyle st;
  st.scale = 2;
  st.colour = enter ? Rgb{255, 244, 220} : Rgb{156, 148, 128};
  st.glow = enter ? kEmber : kBlood;
  st.glowStrength = enter ? 1.0f : 0.25f;
  st.glowRadius = 2;
  st.shadow = 0.9f;
  st.bevel = enter ? 0.5f : 0.2f;
  const int ty = (h - font::kCapH * 2) / 2;
  DrawText(pic, 14, ty, a.name, st);
  // Slot number on the right, small and dim.
  char num[16];
  std::snprintf(num, sizeof num, "%02d", index + 1);
  TextStyle ns;
  ns.scale = 1;
  ns.colour = enter ? kEmber : Rgb{96, 60, 40};
  ns.shadow = 0.0f;
  DrawText(pic, w - 22, (h - font::kCapH) / 2, num, ns);
  if (enter) PaintRule(pic, 12, w - 30, h - 4, kEmber, 0.7f);
  return pic;
}

// ---------------------------------------------------------------- panels

Image PanelStrip(uint32_t seed, const std::string& word, Rgb tint) {
  constexpr int w = 630, h = 70;
  Image img(w, h);
  // A wide slice of the mere on the right, fading into black on the left
  // where the song captions and the player sit.
  Image scene(w, 160);
  MereStyle st;
  st.seed = seed;
  st.horizon = 0.62f;
  st.moonX = 0.74f;
  st.moonY = 0.45f;
  st.moonR = 0.018f;
  st.reeds = false;
  st.skyLow = Mix(Rgb{58, 34, 32}, tint, 0.5f);
  PaintMere(scene, st);
  Image band = scene.Crop(0, 52, w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float t = std::clamp((x - 300.0f) / 200.0f, 0.0f, 1.0f);
      const Rgb dark = Mix(Rgb{4, 4, 3}, Rgb{14, 13, 9}, Fbm(x / 80.0f, y / 2.0f, seed + 1));
      img.Set(x, y, Mix(dark, band.At(x, y), t * t * (3 - 2 * t)));
    }
  // Fine scanlines for the early-2000s screen feel.
  img.Scanlines(0.18f, 2);
  TextStyle ts;
  ts.scale = 2;
  ts.colour = kBone;
  ts.glow = kBlood;
  ts.glowStrength = 0.9f;
  ts.glowRadius = 3;
  ts.bevel = 0.4f;
  const int lw = font::TextWidth("HOLLOWMERE", 2);
  DrawText(img, w - lw - 14, 14, "HOLLOWMERE", ts);
  TextStyle ws;
  ws.scale = 1;
  ws.colour = Mix(kAsh, tint, 0.4f);
  ws.shadow = 0.8f;
  DrawText(img, w - font::TextWidth(word, 1) - 14, 38, word, ws);
  PaintRule(img, w - lw - 30, w - 6, 33, kBlood, 0.9f);
  // Hairline frame.
  img.Frame(0, 0, w, h, Rgb{40, 36, 28});
  return img;
}

Image SplashPicture() {
  constexpr int n = 472;
  Image img(n, n);
  MereStyle st;
  st.seed = 2002;
  st.horizon = 0.64f;
  st.moonX = 0.68f;
  st.moonY = 0.22f;
  st.moonR = 0.06f;
  st.stars = 90;
  PaintMere(img, st);
  img.Vignette(0.55f);
  PaintLogo(img, n / 2, 150, 4, 1.0f);
  TextStyle sub;
  sub.scale = 1;
  sub.colour = kAsh;
  sub.shadow = 0.9f;
  const std::string line1 = "a korvane music disk";
  DrawText(img, CentreX(n, line1, 1), 200, line1, sub);
  const std::string line2 = "ten artists  -  twenty songs  -  2002";
  sub.colour = Rgb{150, 120, 100};
  DrawText(img, CentreX(n, line2, 1), n - 30, line2, sub);
  img.Frame(0, 0, n, n, Rgb{60, 30, 20});
  img.Frame(1, 1, n - 1, n - 1, Rgb{0, 0, 0});
  return img;
}

// ---------------------------------------------------------------- slider

const std::vector<Rgb>& VgaPalette() {
  static const std::vector<Rgb> pal = {
      {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
      {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  return pal;
}

namespace {

constexpr uint8_t kBlack = 0, kOlive = 3, kSilver = 7, kGrey = 8, kMagenta = 13, kWhite = 15;

}  // namespace

Indexed16 SliderThumb(bool horizontal, bool pressed) {
  // Horizontal slider: a thumb pointing down, 9 x 17. Vertical: pointing
  // right, 18 x 9. The shape leaves the bottom row free so that the bottom-left
  // pixel, the transparent colour, is the magenta background.
  const int w = horizontal ? 9 : 18, h = horizontal ? 17 : 9;
  auto inside = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    if (horizontal) {
      if (y <= 11) return true;
      return y <= 15 && std::abs(x - 4) <= 15 - y;
    }
    if (y > 7) return false;
    if (x <= 11) return true;
    return x <= 16 && std::fabs(y - 3.5f) <= 16.5f - x;
  };
  Indexed16 out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, kMagenta)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!inside(x, y)) continue;
      uint8_t c = kSilver;
      if (!inside(x, y + 1) || !inside(x + 1, y))
        c = kBlack;
      else if (!inside(x, y + 2) || !inside(x + 2, y))
        c = kGrey;
      else if (!inside(x, y - 1) || !inside(x - 1, y))
        c = kWhite;
      else if (pressed && (x + y) % 2 == 0)
        c = kWhite;
      out.idx[static_cast<size_t>(y) * w + x] = c;
    }
  return out;
}

Indexed16 SliderRuler(bool horizontal) {
  // A sunken channel on olive: rows 3..6 of a 10 x 10 picture, or columns
  // 3..5 of an 8 x 10 one. Shadow above/left, highlight below/right.
  if (horizontal) {
    const int w = 10, h = 10;
    Indexed16 out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, kOlive)};
    auto set = [&](int x, int y, uint8_t c) { out.idx[static_cast<size_t>(y) * w + x] = c; };
    for (int x = 0; x < w; ++x) {
      set(x, 3, x == w - 1 ? kWhite : kGrey);
      set(x, 4, x == 0 ? kGrey : (x >= w - 2 ? (x == w - 1 ? kWhite : kSilver) : kBlack));
      set(x, 5, x == 0 ? kGrey : (x == 1 ? kBlack : (x == w - 1 ? kWhite : kSilver)));
      set(x, 6, kWhite);
    }
    return out;
  }
  const int w = 8, h = 10;
  Indexed16 out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, kOlive)};
  auto set = [&](int x, int y, uint8_t c) { out.idx[static_cast<size_t>(y) * w + x] = c; };
  for (int y = 0; y < h; ++y) {
    set(3, y, y == h - 1 ? kWhite : kGrey);
    set(4, y, y == 0 ? kGrey : (y == h - 1 ? kWhite : kBlack));
    set(5, y, kWhite);
  }
  return out;
}

// ---------------------------------------------------------------- icons and cursors

namespace {

// 16 x 16 stock pictures of the viewer, as VGA indices; `opaque` marks the
// pixels the picture covers (for the mask).
struct Icon {
  std::vector<uint8_t> idx;
  std::vector<bool> opaque;
};

Icon ErrorIcon() {
  Icon ic{std::vector<uint8_t>(256, kWhite), std::vector<bool>(256, false)};
  auto set = [&](int x, int y, uint8_t c) {
    ic.idx[static_cast<size_t>(y) * 16 + x] = c;
    ic.opaque[static_cast<size_t>(y) * 16 + x] = true;
  };
  // A small picture frame with a torn corner and a red cross.
  for (int y = 1; y <= 14; ++y)
    for (int x = 1; x <= 13; ++x) {
      if (x + (14 - y) > 23) continue;  // torn top-right corner
      const bool border = x == 1 || y == 14 || x == 13 || y == 1 || x + (14 - y) == 23;
      set(x, y, border ? kBlack : kSilver);
    }
  for (int x = 2; x <= 14; ++x) set(x, 15, kGrey);  // drop shadow
  for (int y = 2; y <= 15; ++y)
    if (y >= 3) set(14, y, kGrey);
  for (int i = 0; i < 7; ++i) {
    set(4 + i, 5 + i, 9);  // red
    set(5 + i, 5 + i, 9);
    set(10 - i, 5 + i, 9);
    set(11 - i, 5 + i, 9);
  }
  return ic;
}

std::vector<uint8_t> PendingIcon() {
  std::vector<uint8_t> px(256, kSilver);
  auto set = [&](int x, int y, uint8_t c) { px[static_cast<size_t>(y) * 16 + x] = c; };
  // A framed slot with an hourglass: the picture is on its way.
  for (int i = 0; i < 16; ++i) {
    set(i, 0, kWhite);
    set(0, i, kWhite);
    set(i, 15, kGrey);
    set(15, i, kGrey);
  }
  for (int y = 2; y <= 13; ++y) {
    const int half = y <= 7 ? 7 - y : y - 8;
    for (int x = 7 - half - 1; x <= 8 + half + 1; ++x) {
      const bool edge = x == 7 - half - 1 || x == 8 + half + 1;
      const bool sand = (y <= 7 && y >= 5) || y >= 11;
      set(x, y, edge ? 4 : (sand ? 11 : kWhite));  // navy glass, yellow sand
    }
  }
  for (int x = 4; x <= 11; ++x) {
    set(x, 2, 4);
    set(x, 13, 4);
  }
  return px;
}

using Art = std::vector<std::string>;

Art Blank() { return Art(32, std::string(32, '.')); }

// White shape with a black outline (the hands).
Art OutlinedWhite(const Mask& m) {
  Art art = Blank();
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (m.At(x, y) < 0.5f) continue;
      const bool edge = m.At(x - 1, y) < 0.5f || m.At(x + 1, y) < 0.5f || m.At(x, y - 1) < 0.5f || m.At(x, y + 1) < 0.5f;
      art[static_cast<size_t>(y)][static_cast<size_t>(x)] = edge ? '#' : 'o';
    }
  return art;
}

// Black shape with a white halo (arrows, the text beam): visible on any page.
Art OutlinedBlack(const Mask& m) {
  Art art = Blank();
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (m.At(x, y) >= 0.5f) {
        art[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#';
        continue;
      }
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (m.At(x + dx, y + dy) >= 0.5f) art[static_cast<size_t>(y)][static_cast<size_t>(x)] = 'o';
    }
  return art;
}

Art HandCursor(bool cuff) {
  Mask m(32, 32);
  m.FillRect(7, 1, 11, 16);    // index finger
  m.FillRect(11, 7, 14, 16);   // folded fingers
  m.FillRect(14, 8, 17, 16);
  m.FillRect(17, 9, 20, 17);
  m.FillRect(6, 13, 20, 23);   // palm
  m.FillPolygon({{2, 12}, {5, 11}, {8, 16}, {8, 20}, {5, 19}});  // thumb
  m.FillRect(8, 22, 18, 25);   // wrist
  if (cuff) m.FillRect(7, 25, 19, 29);
  Art art = OutlinedWhite(m);
  // Creases between the fingers.
  for (int y = 9; y < 14; ++y) art[static_cast<size_t>(y)][11] = '#';
  for (int y = 10; y < 14; ++y) art[static_cast<size_t>(y)][14] = '#';
  for (int y = 11; y < 14; ++y) art[static_cast<size_t>(y)][17] = '#';
  if (cuff)
    for (int x = 7; x < 19; ++x) art[25][static_cast<size_t>(x)] = '#';
  return art;
}

Art TextCursor() {
  Mask m(32, 32);
  m.FillRect(15, 8, 17, 24);
  m.FillRect(12, 7, 15, 9);
  m.FillRect(17, 7, 20, 9);
  m.FillRect(12, 23, 15, 25);
  m.FillRect(17, 23, 20, 25);
  m.FillRect(13, 15, 19, 16);
  return OutlinedBlack(m);
}

Art ScrollCursor(bool up, bool down) {
  Mask m(32, 32);
  // A ring marking the origin, with an arrow for each way the page can go.
  Mask ring(32, 32);
  ring.FillCircle(16, 16, 4.5f);
  Mask hole(32, 32);
  hole.FillCircle(16, 16, 2.5f);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) m.Ref(x, y) = std::max(0.0f, ring.At(x, y) - hole.At(x, y));
  m.FillRect(15, 15, 17, 17);
  if (up) m.FillPolygon({{16, 2}, {23, 9}, {9, 9}});
  if (down) m.FillPolygon({{9, 23}, {23, 23}, {16, 30}});
  return OutlinedBlack(m);
}

struct Manifest {
  std::string dir;
  std::vector<std::string> lines;
  void Add(const std::string& file, const std::string& resource, const std::string& kind, int w, int h,
           const Bytes& data) {
    WriteFile((std::filesystem::path(dir) / file).string(), data);
    char buf[256];
    std::snprintf(buf, sizeof buf, "%-28s %-34s %-18s %dx%d", file.c_str(), resource.c_str(), kind.c_str(), w, h);
    lines.emplace_back(buf);
  }
};

// Area-average scaling of a square picture to n x n: every source pixel
// counts with the share of it that falls into the target pixel.
Image ScaleSquare(const Image& src, int n) {
  const int s = src.Width();
  Image out(n, n);
  const double k = static_cast<double>(s) / n;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double r = 0, g = 0, b = 0, wsum = 0;
      const double x0 = x * k, x1 = (x + 1) * k, y0 = y * k, y1 = (y + 1) * k;
      for (int sy = static_cast<int>(y0); sy < std::min(s, static_cast<int>(std::ceil(y1))); ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        for (int sx = static_cast<int>(x0); sx < std::min(s, static_cast<int>(std::ceil(x1))); ++sx) {
          const double wgt = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          const Rgb c = src.At(sx, sy);
          r += c.r * wgt;
          g += c.g * wgt;
          b += c.b * wgt;
          wsum += wgt;
        }
      }
      auto q = [&](double v) { return static_cast<uint8_t>(std::clamp(v / wsum + 0.5, 0.0, 255.0)); };
      out.Set(x, y, Rgb{q(r), q(g), q(b)});
    }
  }
  return out;
}

}  // namespace

}  // namespace content::pic

namespace content {

void WriteArtwork(const std::string& outDir) {
  using namespace pic;
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir)) throw std::runtime_error("Cannot create folder " + outDir);
  Manifest mf{outDir, {}};

  mf.Add("splash.jpg", "Form4.Image1.Picture", "JPEG", 472, 472, EncodeJpeg(SplashPicture(), 92));

  const Image menu = MenuBackground();
  mf.Add("menu_back.bmp", "Form1.SwImage1.Picture", "BMP 24-bit", kMenuWidth, kMenuHeight, EncodeBmp24(menu));
  mf.Add("menu_mask.bmp", "Form1.SwImage1.Mask", "BMP 1-bit", kMenuWidth, kMenuHeight,
         EncodeBmpMask(kMenuWidth, kMenuHeight, MenuMaskBits()));
  for (size_t i = 0; i < Artists().size(); ++i) {
    const ArtistArt& a = Artists()[i];
    for (bool enter : {false, true}) {
      const std::string file = std::string("btn_") + a.stem + (enter ? "_enter.bmp" : "_leave.bmp");
      const std::string res = std::string("Form1.") + a.button + (enter ? ".ImageEnter" : ".ImageLeave");
      mf.Add(file, res, "BMP 24-bit", a.picWidth, a.picHeight,
             EncodeBmp24(ArtistButton(menu, static_cast<int>(i), enter)));
    }
  }
  mf.Add("bio_panel.jpg", "Form3.Image1.Picture", "JPEG", 630, 70,
         EncodeJpeg(PanelStrip(3003, "select an artist", Rgb{90, 60, 40}), 90));

  const auto& vga = VgaPalette();
  auto slider = [&](const char* name, const Indexed16& p, int bpp) {
    mf.Add(std::string(name) + ".bmp", name, bpp == 4 ? "BMP 4-bit" : "BMP 8-bit", p.width, p.height,
           EncodeBmpIndexed(p.width, p.height, p.idx, vga, bpp));
  };
  slider("W95_HTB", SliderThumb(true, false), 4);
  slider("W95_HRL", SliderRuler(true), 4);
  slider("W95_VTB", SliderThumb(false, false), 4);
  slider("W95_VRL", SliderRuler(false), 4);
  slider("W95_VTBP", SliderThumb(false, true), 8);
  slider("W95_HTBP", SliderThumb(true, true), 4);

  const Icon err = ErrorIcon();
  mf.Add("1001.bmp", "1001", "BMP 4-bit", 16, 16, EncodeBmpIndexed(16, 16, err.idx, vga, 4));
  mf.Add("1002.bmp", "1002", "BMP 4-bit", 16, 16, EncodeBmpIndexed(16, 16, PendingIcon(), vga, 4));
  {
    // The error picture's mask: white where the page shows through.
    std::vector<bool> black(256);
    for (size_t i = 0; i < 256; ++i) black[i] = err.opaque[i];
    mf.Add("1005.bmp", "1005", "BMP 1-bit", 16, 16, EncodeBmpMask(16, 16, black));
  }
  mf.Add("1003.cur", "1003", "cursor", 32, 32, EncodeCursor(HandCursor(false), 8, 1));
  mf.Add("1006.cur", "1006", "cursor", 32, 32, EncodeCursor(TextCursor(), 16, 16));
  mf.Add("UPDOWNCURSOR.cur", "UPDOWNCURSOR", "cursor", 32, 32, EncodeCursor(ScrollCursor(true, true), 16, 16));
  mf.Add("UPONLYCURSOR.cur", "UPONLYCURSOR", "cursor", 32, 32, EncodeCursor(ScrollCursor(true, false), 16, 16));
  mf.Add("DOWNONLYCURSOR.cur", "DOWNONLYCURSOR", "cursor", 32, 32, EncodeCursor(ScrollCursor(false, true), 16, 16));
  mf.Add("SKCURSORHANDPOINT.cur", "SKCURSORHANDPOINT", "cursor", 32, 32, EncodeCursor(HandCursor(true), 8, 1));

  // The program's icon: the splash's moon over the water, at the sizes the
  // desktop's icon theme and the window icon use.
  const Image iconArt = SplashPicture().Crop(kIconCrop.x, kIconCrop.y, kIconCrop.size, kIconCrop.size);
  for (int n : kIconSizes) {
    mf.Add("icon_" + std::to_string(n) + ".png", "ICON/ICON_" + std::to_string(n), "PNG", n, n,
           EncodePng(ScaleSquare(iconArt, n)));
  }

  std::string text =
      "# Hollowmere artwork: file, resource (window.component.property or resource name), kind, size\n";
  for (const std::string& l : mf.lines) text += l + "\n";
  WriteFile((std::filesystem::path(outDir) / "artwork.txt").string(), Bytes(text.begin(), text.end()));
}

}  // namespace content
