#include "content/pictures/PagePictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "content/pictures/Artists.h"
#include "content/pictures/Artwork.h"
#include "content/pictures/Scenes.h"

namespace content::pic {

namespace {

// Index 0 is the transparent colour; the visible pixels share up to 255 more.
struct Sprite {
  Image img;  // already blended over kPageBack
  Mask cover;
};

std::vector<Rgb> SpritePalette(const std::vector<Sprite>& sprites) {
  // Only visible pixels take part in the palette.
  std::vector<Image> visible;
  for (const Sprite& s : sprites) {
    int n = 0;
    for (int y = 0; y < s.img.Height(); ++y)
      for (int x = 0; x < s.img.Width(); ++x) n += s.cover.At(x, y) >= 0.5f;
    Image strip(std::max(1, n), 1, s.img.At(0, 0));
    int i = 0;
    for (int y = 0; y < s.img.Height(); ++y)
      for (int x = 0; x < s.img.Width(); ++x)
        if (s.cover.At(x, y) >= 0.5f) strip.Set(i++, 0, s.img.At(x, y));
    visible.push_back(std::move(strip));
  }
  std::vector<const Image*> ptrs;
  for (const Image& v : visible) ptrs.push_back(&v);
  std::vector<Rgb> pal = BuildPalette(ptrs, 255);
  pal.insert(pal.begin(), kPageBack);
  return pal;
}

GifFrame SpriteFrame(const Sprite& s, const std::vector<Rgb>& pal) {
  const std::vector<Rgb> visiblePal(pal.begin() + 1, pal.end());
  const Indexed ix = MapToPalette(s.img, visiblePal, false);
  GifFrame f;
  f.width = s.img.Width();
  f.height = s.img.Height();
  f.transparentIndex = 0;
  f.indices.resize(ix.indices.size());
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const size_t i = static_cast<size_t>(y) * f.width + x;
      f.indices[i] = s.cover.At(x, y) >= 0.5f ? static_cast<uint8_t>(ix.indices[i] + 1) : 0;
    }
  return f;
}

Bytes StillGif(const Image& img, int colours, bool dither, bool interlaced) {
  const std::vector<Rgb> pal = BuildPalette({&img}, colours);
  const Indexed ix = MapToPalette(img, pal, dither);
  GifFile gif;
  gif.width = img.Width();
  gif.height = img.Height();
  gif.globalPalette = pal;
  GifFrame f;
  f.width = img.Width();
  f.height = img.Height();
  f.indices = ix.indices;
  f.interlaced = interlaced;
  gif.frames.push_back(std::move(f));
  return EncodeGif(gif);
}

// ---------------------------------------------------------------- GIFs

Sprite LogoSprite() {
  Sprite s{Image(300, 44, kPageBack), Mask(300, 44)};
  PaintLogo(s.img, 150, 8, 3, 0.8f);
  // Coverage: wherever the logo or its glow lifted the colour off the page.
  for (int y = 0; y < 44; ++y)
    for (int x = 0; x < 300; ++x) {
      const Rgb c = s.img.At(x, y);
      const int d = std::abs(c.r - kPageBack.r) + std::abs(c.g - kPageBack.g) + std::abs(c.b - kPageBack.b);
      s.cover.Ref(x, y) = d > 18 ? 1.0f : 0.0f;
    }
  return s;
}

Bytes LogoGif() {
  const Sprite s = LogoSprite();
  const std::vector<Rgb> pal = SpritePalette({s});
  GifFile gif;
  gif.width = 300;
  gif.height = 44;
  gif.globalPalette = pal;
  gif.frames.push_back(SpriteFrame(s, pal));
  gif.comment = "Hollowmere";
  return EncodeGif(gif);
}

Bytes NoteGif() {
  Sprite s{Image(12, 12, kPageBack), Mask(12, 12)};
  s.cover.FillPolygon({{6, 0.5f}, {11.5f, 6}, {6, 11.5f}, {0.5f, 6}});
  Mask inner(12, 12);
  inner.FillPolygon({{6, 3}, {9, 6}, {6, 9}, {3, 6}});
  s.img.Paint(s.cover, Rgb{90, 20, 14});
  s.img.Paint(inner, kEmber);
  s.img.Set(5, 4, Rgb{255, 220, 180});
  return EncodeGif([&] {
    const std::vector<Rgb> pal = SpritePalette({s});
    GifFile g;
    g.width = 12;
    g.height = 12;
    g.globalPalette = pal;
    g.frames.push_back(SpriteFrame(s, pal));
    return g;
  }());
}

// VU bars that rise and fall; after the first frame only the bars change, so
// later frames are sub-rectangles. One frame carries its own colour table.
Bytes PulseGif() {
  constexpr int w = 96, h = 32, frames = 12;
  auto paint = [&](int f) {
    Image img(w, h, Rgb{10, 10, 8});
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (y % 3 == 2) img.Set(x, y, Rgb{4, 4, 3});
    for (int b = 0; b < 12; ++b) {
      const float level = 0.2f + 0.8f * std::fabs(std::sin(f * 0.55f + b * 0.7f) * std::cos(f * 0.23f + b * 0.31f));
      const int top = h - 3 - static_cast<int>(level * (h - 6));
      for (int y = top; y < h - 3; ++y) {
        if (y % 3 == 2) continue;
        const float t = static_cast<float>(h - 3 - y) / (h - 6);
        const Rgb c = t < 0.5f ? Mix(kMoss, Rgb{170, 160, 60}, t * 2) : Mix(Rgb{170, 160, 60}, kBlood, (t - 0.5f) * 2);
        for (int x = 4 + b * 7; x < 4 + b * 7 + 5; ++x) img.Set(x, y, c);
      }
    }
    img.Frame(0, 0, w, h, Rgb{50, 40, 30});
    return img;
  };
  std::vector<Image> imgs;
  for (int f = 0; f < frames; ++f) imgs.push_back(paint(f));
  std::vector<const Image*> ptrs;
  for (const Image& i : imgs) ptrs.push_back(&i);
  const std::vector<Rgb> pal = BuildPalette(ptrs, 32);
  GifFile gif;
  gif.width = w;
  gif.height = h;
  gif.globalPalette = pal;
  gif.loopCount = 0;
  for (int f = 0; f < frames; ++f) {
    GifFrame fr;
    fr.delayCs = 8;
    fr.disposal = 1;
    if (f == 0) {
      fr.width = w;
      fr.height = h;
      fr.indices = MapToPalette(imgs[0], pal, false).indices;
    } else {
      const Image part = imgs[static_cast<size_t>(f)].Crop(3, 2, w - 6, h - 4);
      fr.left = 3;
      fr.top = 2;
      fr.width = part.Width();
      fr.height = part.Height();
      if (f == 6) {
        // The loudest moment flashes in a hotter palette of its own.
        Image hot = part;
        for (int y = 0; y < hot.Height(); ++y)
          for (int x = 0; x < hot.Width(); ++x) hot.Add(x, y, Rgb{60, 10, 0}, 1.0f);
        fr.localPalette = BuildPalette({&hot}, 16);
        fr.indices = MapToPalette(hot, fr.localPalette, false).indices;
      } else {
        fr.indices = MapToPalette(part, pal, false).indices;
      }
    }
    gif.frames.push_back(std::move(fr));
  }
  return EncodeGif(gif);
}

// A flickering flame on a transparent ground; each frame replaces the last.
Bytes EmberGif() {
  constexpr int w = 24, h = 40, frames = 8;
  std::vector<Sprite> sprites;
  for (int f = 0; f < frames; ++f) {
    Sprite s{Image(w, h, kPageBack), Mask(w, h)};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const float v = static_cast<float>(h - 1 - y) / h;  // 0 at the bottom
        const float n = Fbm(x / 5.0f, y / 6.0f + f * 0.9f, 909);
        const float width = (1.0f - v) * 9.0f * (0.7f + 0.6f * n);
        const float sway = std::sin(f * 0.8f + v * 3.0f) * v * 3.0f;
        const float d = std::fabs(x + 0.5f - (w * 0.5f + sway)) / std::max(0.5f, width);
        float heat = (1.0f - d) * (1.1f - v * 0.9f) + (n - 0.5f) * 0.4f;
        if (y > h - 6) heat = std::max(heat, 1.0f - std::fabs(x + 0.5f - w * 0.5f) / 6.0f);  // wick glow
        if (heat <= 0.05f) continue;
        const Rgb c = heat < 0.5f ? Mix(Rgb{90, 10, 4}, kEmber, heat * 2) : Mix(kEmber, Rgb{255, 236, 170}, (heat - 0.5f) * 2);
        s.img.Blend(x, y, c, std::min(1.0f, heat * 2.5f));
        s.cover.Ref(x, y) = heat > 0.15f ? 1.0f : 0.0f;
      }
    sprites.push_back(std::move(s));
  }
  const std::vector<Rgb> pal = SpritePalette(sprites);
  GifFile gif;
  gif.width = w;
  gif.height = h;
  gif.globalPalette = pal;
  gif.loopCount = 0;
  for (const Sprite& s : sprites) {
    GifFrame fr = SpriteFrame(s, pal);
    fr.delayCs = 9;
    fr.disposal = 2;
    gif.frames.push_back(std::move(fr));
  }
  return EncodeGif(gif);
}

// A record turning: the disc once, then a glint drawn on top and taken back
// (disposal 3) at each step round. Plays three times, then rests.
Bytes DiskGif() {
  constexpr int n = 48;
  const float c = n / 2.0f;
  Sprite base{Image(n, n, kPageBack), Mask(n, n)};
  base.cover.FillCircle(c, c, 22.5f);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float d = std::hypot(x + 0.5f - c, y + 0.5f - c);
      if (d > 23) continue;
      Rgb col = Rgb{18, 18, 16};
      if (static_cast<int>(d) % 3 == 0) col = Rgb{30, 30, 27};
      if (d < 8) col = kBlood;
      if (d < 2) col = Rgb{0, 0, 0};
      base.img.Blend(x, y, col, std::clamp(23.0f - d, 0.0f, 1.0f));
    }
  std::vector<Sprite> all{base};
  constexpr int steps = 8;
  for (int s = 0; s < steps; ++s) {
    const float a = s * 6.2831853f / steps;
    const float gx = c + std::cos(a) * 15, gy = c + std::sin(a) * 15;
    Sprite g{base.img.Crop(static_cast<int>(gx) - 5, static_cast<int>(gy) - 5, 10, 10), Mask(10, 10)};
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const float d = std::hypot(x + 0.5f - (gx - (static_cast<int>(gx) - 5)), y + 0.5f - (gy - (static_cast<int>(gy) - 5)));
        if (d < 4.5f) {
          g.img.Add(x, y, Rgb{200, 190, 170}, (4.5f - d) / 4.5f * 0.8f);
          g.cover.Ref(x, y) = 1.0f;
        }
      }
    all.push_back(std::move(g));
  }
  const std::vector<Rgb> pal = SpritePalette(all);
  GifFile gif;
  gif.width = n;
  gif.height = n;
  gif.globalPalette = pal;
  gif.loopCount = 3;
  GifFrame first = SpriteFrame(base, pal);
  first.delayCs = 10;
  first.disposal = 1;
  gif.frames.push_back(std::move(first));
  for (int s = 0; s < steps; ++s) {
    const float a = s * 6.2831853f / steps;
    GifFrame fr = SpriteFrame(all[static_cast<size_t>(s) + 1], pal);
    fr.left = static_cast<int>(c + std::cos(a) * 15) - 5;
    fr.top = static_cast<int>(c + std::sin(a) * 15) - 5;
    fr.delayCs = 10;
    fr.disposal = 3;
    gif.frames.push_back(std::move(fr));
  }
  return EncodeGif(gif);
}

Bytes MereGif() {
  Image img(440, 110);
  MereStyle st;
  st.seed = 4410;
  st.horizon = 0.58f;
  st.moonX = 0.2f;
  st.moonY = 0.3f;
  st.moonR = 0.025f;
  st.stars = 50;
  PaintMere(img, st);
  img.Frame(0, 0, 440, 110, Rgb{50, 30, 20});
  return StillGif(img, 128, true, true);
}

// ---------------------------------------------------------------- BMPs

// A pattern editor as it looked in the late nineties, in the release colours.
Image TrackerScreen() {
  constexpr int w = 320, h = 200;
  Image img(w, h, Rgb{12, 12, 18});
  TextStyle t;
  t.scale = 1;
  t.shadow = 0.0f;
  img.VerticalGradient(0, 24, Rgb{52, 46, 62}, Rgb{24, 22, 30});
  img.Frame(0, 0, w, 24, Rgb{70, 64, 80});
  t.colour = kBone;
  DrawText(img, 4, 3, "Song: Rust Engine", t);
  t.colour = kAsh;
  DrawText(img, 4, 13, "Ord 07  Pat 12  Row 20  Spd 06  BPM 140", t);
  static const char* kNotes[] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
  const int rows = 17, top = 28;
  for (int r = 0; r < rows; ++r) {
    const int row = 12 + r;
    const int y = top + r * 10;
    if (r == 8) img.FillRect(0, y - 1, w, y + 9, Rgb{70, 18, 14});
    char num[16];
    std::snprintf(num, sizeof num, "%02d", row);
    t.colour = row % 4 == 0 ? kBone : Rgb{90, 88, 100};
    DrawText(img, 2, y, num, t);
    for (int ch = 0; ch < 4; ++ch) {
      const int x = 20 + ch * 75;
      img.FillRect(x - 3, y - 1, x - 2, y + 9, Rgb{50, 46, 60});
      std::string cell = "... .. ...";
      const uint32_t hsh = Hash(static_cast<uint32_t>(row), static_cast<uint32_t>(ch), 12);
      const bool drum = ch == 0 && row % 4 == 0, snare = ch == 1 && row % 8 == 4;
      if (drum || snare || hsh % 5 == 0) {
        const int note = drum ? 0 : snare ? 2 : static_cast<int>(hsh / 7 % 12);
        const int oct = drum ? 3 : snare ? 4 : 4 + static_cast<int>(hsh / 97 % 2);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%s%d %02d %s", kNotes[note], oct, drum ? 1 : snare ? 2 : 3 + ch,
                      hsh % 3 == 0 ? "A04" : "...");
        cell = buf;
      }
      t.colour = cell[0] == '.' ? Rgb{60, 60, 72} : (r == 8 ? Rgb{255, 230, 200} : Rgb{170, 190, 200});
      DrawText(img, x, y, cell, t);
    }
  }
  img.Scanlines(0.12f, 2);
  return img;
}

// An oscilloscope view of a plucked sample, stored with a 256-colour palette.
Image SamplerScreen() {
  constexpr int w = 200, h = 80;
  Image img(w, h, Rgb{4, 10, 6});
  img.HorizontalGradient(0, w, Rgb{2, 8, 4}, Rgb{10, 22, 12});
  for (int x = 0; x < w; x += 20)
    for (int y = 0; y < h; ++y) img.Set(x, y, Rgb{14, 34, 18});
  for (int y = 0; y < h; y += 20)
    for (int x = 0; x < w; ++x) img.Set(x, y, Rgb{14, 34, 18});
  Mask wave(w, h);
  float px = 0, py = h / 2.0f;
  for (int x = 0; x < w; ++x) {
    const float t = x / static_cast<float>(w);
    const float v = std::exp(-t * 4.0f) * (std::sin(x * 0.5f) * 0.7f + std::sin(x * 1.31f) * 0.3f);
    const float y = h / 2.0f - v * (h * 0.42f);
    wave.Line(px, py, static_cast<float>(x), y, 1.2f);
    px = static_cast<float>(x);
    py = y;
  }
  Mask glow = wave;
  glow.Blur(2);
  img.Light(glow, Rgb{40, 200, 90}, 1.2f);
  img.Paint(wave, Rgb{170, 255, 190});
  TextStyle t;
  t.scale = 1;
  t.shadow = 0.0f;
  t.colour = Rgb{80, 170, 100};
  DrawText(img, 4, 4, "pluck.raw  8363 Hz", t);
  return img;
}

Image PortraitScene(int index) {
  const ArtistArt& a = Artists().at(static_cast<size_t>(index));
  constexpr int w = 150, h = 190;
  const uint32_t seed = 1000u + static_cast<uint32_t>(index) * 37u;
  static const Rgb kTints[10] = {{90, 140, 200}, {200, 80, 40},  {120, 160, 120}, {170, 40, 40},  {200, 150, 80},
                                 {220, 110, 30}, {140, 140, 170}, {230, 120, 160}, {200, 140, 60}, {160, 60, 50}};
  const Rgb tint = kTints[index];
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float n = Fbm(x / 40.0f, y / 40.0f, seed);
      img.Set(x, y, Mix(Rgb{6, 6, 6}, Scale(tint, 0.28f), n * (1.0f - y / (h * 1.4f))));
    }
  img.Glow(w * 0.72f, h * 0.3f, 90, Scale(tint, 0.5f), 0.7f);
  // Head and shoulders in silhouette, shaped a little differently per artist.
  Rng r(seed);
  Mask body(w, h);
  const float hx = w * 0.5f + r.Range(-8, 8), hy = h * 0.38f;
  const float hr = r.Range(24, 30);
  body.FillCircle(hx, hy, hr);
  body.FillPolygon({{hx - hr * 0.4f, hy + hr * 0.6f}, {hx + hr * 0.4f, hy + hr * 0.6f}, {hx + hr * 0.6f, hy + hr * 1.9f},
                    {hx - hr * 0.6f, hy + hr * 1.9f}});
  body.FillCircle(hx - hr * 0.9f, hy + hr * 3.7f, hr * 2.2f);  // shoulders
  body.FillCircle(hx + hr * 0.9f, hy + hr * 3.7f, hr * 2.2f);
  switch (index % 4) {
    case 0:  // hood
      body.FillCircle(hx, hy - hr * 0.1f, hr * 1.3f);
      body.FillPolygon({{hx - hr * 1.3f, hy}, {hx + hr * 1.3f, hy}, {hx + hr * 1.7f, hy + hr * 2.2f}, {hx - hr * 1.7f, hy + hr * 2.2f}});
      break;
    case 1:  // headphones
      body.Line(hx - hr * 1.05f, hy, hx - hr * 0.5f, hy - hr * 1.05f, 4);
      body.Line(hx - hr * 0.5f, hy - hr * 1.05f, hx + hr * 0.5f, hy - hr * 1.05f, 4);
      body.Line(hx + hr * 0.5f, hy - hr * 1.05f, hx + hr * 1.05f, hy, 4);
      body.FillCircle(hx - hr * 1.02f, hy + 2, 8);
      body.FillCircle(hx + hr * 1.02f, hy + 2, 8);
      break;
    case 2:  // long hair
      body.FillCircle(hx, hy - hr * 0.05f, hr * 1.12f);
      body.FillPolygon({{hx - hr * 1.12f, hy}, {hx + hr * 1.12f, hy}, {hx + hr * 1.35f, hy + hr * 2.1f}, {hx - hr * 1.35f, hy + hr * 2.1f}});
      break;
    default:  // cap
      body.FillPolygon({{hx - hr, hy - hr * 0.3f}, {hx - hr * 0.8f, hy - hr * 0.95f}, {hx + hr * 0.8f, hy - hr * 0.95f},
                        {hx + hr * 1.7f, hy - hr * 0.35f}, {hx + hr, hy - hr * 0.25f}});
      break;
  }
  img.Paint(body, Rgb{4, 4, 4});
  // Rim light from the right: where the shape ends a few pixels further right.
  Mask rim(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float v = body.At(x, y) - body.At(x + 3, y - 1);
      if (v > 0) rim.Ref(x, y) = v;
    }
  Mask soft = rim;
  soft.Blur(2);
  img.Light(soft, tint, 0.9f);
  img.Light(rim, Mix(tint, Rgb{255, 255, 255}, 0.5f), 0.6f);
  img.Scanlines(0.25f, 3);
  img.Noise(seed + 5, 9.0f);
  img.Vignette(0.5f);
  TextStyle t;
  t.scale = 1;
  t.colour = Mix(kBone, tint, 0.3f);
  t.shadow = 0.9f;
  DrawText(img, 6, h - 14, a.name, t);
  img.Frame(0, 0, w, h, Scale(tint, 0.45f));
  return img;
}

}  // namespace

Image ArtistPortrait(int index) { return PortraitScene(index); }

Image FrontCover() {
  constexpr int w = 593, h = 473;
  Image img(w, h);
  MereStyle st;
  st.seed = 593;
  st.horizon = 0.66f;
  st.moonX = 0.7f;
  st.moonY = 0.4f;
  st.moonR = 0.07f;
  st.stars = 120;
  PaintMere(img, st);
  img.Vignette(0.6f);
  PaintLogo(img, w / 2, 36, 5, 1.0f);
  TextStyle t;
  t.scale = 2;
  t.colour = kAsh;
  t.shadow = 0.9f;
  const std::string sub = "a korvane music disk";
  DrawText(img, CentreX(w, sub, 2), 108, sub, t);
  t.scale = 1;
  t.colour = Rgb{170, 120, 96};
  const std::string foot = "ten artists  .  twenty songs  .  old and new  .  2002";
  DrawText(img, CentreX(w, foot, 1), h - 24, foot, t);
  img.Frame(0, 0, w, h, Rgb{70, 34, 22});
  img.Frame(3, 3, w - 3, h - 3, Rgb{30, 16, 10});
  return img;
}

Image BackCover() {
  constexpr int w = 593, h = 473;
  Image img(w, h);
  MereStyle st;
  st.seed = 594;
  st.horizon = 0.86f;
  st.moonX = 0.9f;
  st.moonY = 0.1f;
  st.moonR = 0.03f;
  st.clouds = 1.0f;
  st.reeds = true;
  PaintMere(img, st);
  img.FillRect(0, 0, w, h, Rgb{6, 6, 5}, 0.55f);
  PaintLogo(img, w / 2, 22, 3, 0.8f);
  TextStyle head;
  head.scale = 1;
  head.colour = kAsh;
  head.shadow = 0.9f;
  const std::string sub = "the artists and their songs, the old and the remade";
  DrawText(img, CentreX(w, sub, 1), 66, sub, head);
  for (size_t i = 0; i < Artists().size(); ++i) {
    const ArtistArt& a = Artists()[i];
    const int col = static_cast<int>(i) / 5, row = static_cast<int>(i) % 5;
    const int x = 40 + col * 280, y = 100 + row * 58;
    PaintPanel(img, x - 10, y - 8, x + 250, y + 42, 800u + static_cast<uint32_t>(i), 0.55f);
    char num[16];
    std::snprintf(num, sizeof num, "%02d", static_cast<int>(i % 100) + 1);
    TextStyle n;
    n.scale = 2;
    n.colour = kBlood;
    n.glow = kBlood;
    n.glowStrength = 0.5f;
    DrawText(img, x, y, num, n);
    TextStyle nm;
    nm.scale = 2;
    nm.colour = kBone;
    nm.bevel = 0.3f;
    DrawText(img, x + 34, y, a.name, nm);
    TextStyle sg;
    sg.scale = 1;
    sg.colour = Rgb{190, 170, 140};
    sg.shadow = 0.8f;
    DrawText(img, x + 34, y + 20, a.song, sg);
    sg.colour = Rgb{120, 110, 96};
    DrawText(img, x + 34, y + 30, std::string(a.oldDate) + "  /  2002", sg);
  }
  TextStyle cr;
  cr.scale = 1;
  cr.colour = Rgb{150, 140, 120};
  cr.shadow = 0.9f;
  const char* lines[] = {"compiled by Tam Kessel  .  artwork and pages by korvane",
                         "no samples were harmed. all songs (c) their authors, 2002."};
  for (int i = 0; i < 2; ++i) DrawText(img, CentreX(w, lines[i], 1), 404 + i * 14, lines[i], cr);
  img.Frame(0, 0, w, h, Rgb{70, 34, 22});
  return img;
}

std::vector<PictureFile> PagePictures() {
  std::vector<PictureFile> out;
  out.push_back({"hm_logo.gif", LogoGif()});
  out.push_back({"hm_note.gif", NoteGif()});
  out.push_back({"hm_pulse.gif", PulseGif()});
  out.push_back({"hm_ember.gif", EmberGif()});
  out.push_back({"hm_disk.gif", DiskGif()});
  out.push_back({"hm_mere.gif", MereGif()});
  out.push_back({"tracker.bmp", EncodeBmp24(TrackerScreen())});
  {
    const Image s = SamplerScreen();
    const std::vector<Rgb> pal = BuildPalette({&s}, 256);
    const Indexed ix = MapToPalette(s, pal, false);
    out.push_back({"sampler.bmp", EncodeBmpIndexed(ix.width, ix.height, ix.indices, pal, 8)});
  }
  for (size_t i = 0; i < Artists().size(); ++i)
    out.push_back({std::string(Artists()[i].stem) + "_portrait.jpg", EncodeJpeg(PortraitScene(static_cast<int>(i)), 88)});
  out.push_back({"bio-back.jpg", EncodeJpeg(PanelStrip(6301, "biography", Rgb{150, 60, 40}), 90)});
  out.push_back({"info-back.jpg", EncodeJpeg(PanelStrip(6302, "information", Rgb{60, 80, 120}), 90)});
  out.push_back({"_korvane_cover.jpg", EncodeJpeg(FrontCover(), 90)});
  out.push_back({"_korvane_back.jpg", EncodeJpeg(BackCover(), 90)});
  return out;
}

}  // namespace content::pic
