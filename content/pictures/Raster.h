// A small RGB raster with the drawing primitives the generator paints with.
// Everything is deterministic: noise comes from seeded hashes, never from a
// global random source, so a build always produces the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content::pic {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

Rgb Mix(Rgb a, Rgb b, float t);          // t = 0 gives a, t = 1 gives b
Rgb Scale(Rgb c, float k);               // brightness, clamped
Rgb Hex(uint32_t rrggbb);

struct PointF {
  float x, y;
};

// Single-channel coverage (0..1), used for shapes, text and glows before they
// are composited in a colour.
class Mask {
 public:
  Mask() = default;
  Mask(int w, int h, float v = 0.0f);
  int Width() const { return w_; }
  int Height() const { return h_; }
  float At(int x, int y) const;  // 0 outside
  float& Ref(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  void Max(int x, int y, float v);
  void FillRect(int x0, int y0, int x1, int y1, float v = 1.0f);  // [x0,x1) x [y0,y1)
  void FillCircle(float cx, float cy, float r, float v = 1.0f);    // anti-aliased edge
  void FillPolygon(const std::vector<PointF>& pts, float v = 1.0f);  // even-odd, 4x4 supersampled
  void Line(float x0, float y0, float x1, float y1, float width, float v = 1.0f);
  void Blur(int radius, int passes = 3);  // repeated box blur

 private:
  int w_ = 0, h_ = 0;
  std::vector<float> px_;
};

class Image {
 public:
  Image() = default;
  Image(int w, int h, Rgb fill = {});
  int Width() const { return w_; }
  int Height() const { return h_; }
  Rgb At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  Rgb AtClamped(int x, int y) const;
  void Set(int x, int y, Rgb c);  // ignores points outside
  void Blend(int x, int y, Rgb c, float a);
  void Add(int x, int y, Rgb c, float k);  // additive light
  void Fill(Rgb c);
  void FillRect(int x0, int y0, int x1, int y1, Rgb c, float a = 1.0f);
  void Frame(int x0, int y0, int x1, int y1, Rgb c, float a = 1.0f);  // 1-pixel outline of [x0,x1)x[y0,y1)
  void VerticalGradient(int y0, int y1, Rgb top, Rgb bottom);
  void HorizontalGradient(int x0, int x1, Rgb left, Rgb right, float a = 1.0f);
  void Glow(float cx, float cy, float radius, Rgb c, float strength);  // additive radial falloff
  void Paint(const Mask& m, Rgb c, float opacity = 1.0f, int dx = 0, int dy = 0);
  void Light(const Mask& m, Rgb c, float strength, int dx = 0, int dy = 0);  // additive
  void Noise(uint32_t seed, float amount);  // per-pixel grain
  void Scanlines(float darken, int period = 2);
  void Vignette(float strength);
  void Blur(int radius, int passes = 3);
  void Blit(const Image& src, int dx, int dy);
  Image Crop(int x, int y, int w, int h) const;  // outside pixels repeat the edge
  const std::vector<Rgb>& Pixels() const { return px_; }

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgb> px_;
};

// Deterministic hashing and smooth value noise.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
float Rand01(uint32_t a, uint32_t b = 0, uint32_t c = 0);
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, uint32_t seed, int octaves = 5);

// A small sequence generator for placing things (stars, sparks).
class Rng {
 public:
  explicit Rng(uint32_t seed) : s_(seed ? seed : 0x9e3779b9u) {}
  uint32_t Next();
  float Uniform() { return (Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint32_t s_;
};

// The built-in bitmap font: 5 x 9 cells (capitals in rows 0..6, descenders in
// rows 7..8), one column of spacing, drawn at an integer scale.
namespace font {
constexpr int kCellW = 5;
constexpr int kCellH = 9;
constexpr int kCapH = 7;
bool GlyphBit(char ch, int col, int row);
int TextWidth(const std::string& text, int scale, int spacing = 1);
// Draws into a mask at (x, y) = top-left of the capital height. Italic shears
// rows by 1/italic pixels to the right per row above the baseline (0 = none).
void Draw(Mask& m, int x, int y, const std::string& text, int scale, int spacing = 1, int italic = 0);
}  // namespace font

// Text painted with a soft glow and a one-pixel drop shadow, the look used for
// names and titles throughout the artwork.
struct TextStyle {
  int scale = 2;
  int spacing = 1;
  int italic = 0;
  Rgb colour{220, 220, 210};
  Rgb glow{160, 30, 20};
  float glowStrength = 0.0f;
  int glowRadius = 3;
  float shadow = 0.6f;  // opacity of the black shadow, 0 for none
  Rgb highlight{255, 255, 255};
  float bevel = 0.0f;  // lightens the top pixel row of each glyph block
};
void DrawText(Image& img, int x, int y, const std::string& text, const TextStyle& st);
int CentreX(int width, const std::string& text, int scale, int spacing = 1);

}  // namespace content::pic
