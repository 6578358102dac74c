#include "content/pictures/Raster.h"

#include <algorithm>
#include <cmath>

namespace content::pic {

namespace {

uint8_t Clamp8(float v) {
  if (v <= 0.0f) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint8_t>(v + 0.5f);
}

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// Running-sum box blur of one line; `stride` steps between samples.
template <typename T, typename Get, typename Put>
void BoxLine(int n, int r, Get get, Put put) {
  if (n <= 0 || r <= 0) return;
  std::vector<T> line(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) line[static_cast<size_t>(i)] = get(i);
  T acc{};
  auto sample = [&](int i) { return line[static_cast<size_t>(std::clamp(i, 0, n - 1))]; };
  for (int i = -r; i <= r; ++i) acc = acc + sample(i);
  const float inv = 1.0f / static_cast<float>(2 * r + 1);
  for (int i = 0; i < n; ++i) {
    put(i, acc * inv);
    acc = acc + sample(i + r + 1) - sample(i - r);
  }
}

struct F3 {
  float r = 0, g = 0, b = 0;
  F3 operator+(const F3& o) const { return {r + o.r, g + o.g, b + o.b}; }
  F3 operator-(const F3& o) const { return {r - o.r, g - o.g, b - o.b}; }
  F3 operator*(float k) const { return {r * k, g * k, b * k}; }
};

}  // namespace

Rgb Mix(Rgb a, Rgb b, float t) {
  t = Clamp01(t);
  return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t)};
}

Rgb Scale(Rgb c, float k) { return {Clamp8(c.r * k), Clamp8(c.g * k), Clamp8(c.b * k)}; }

Rgb Hex(uint32_t v) {
  return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// ---------------------------------------------------------------- Mask

Mask::Mask(int w, int h, float v) : w_(std::max(0, w)), h_(std::max(0, h)), px_(static_cast<size_t>(w_) * h_, v) {}

float Mask::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return 0.0f;
  return px_[static_cast<size_t>(y) * w_ + x];
}

void Mask::Max(int x, int y, float v) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  float& p = Ref(x, y);
  p = std::max(p, v);
}

void Mask::FillRect(int x0, int y0, int x1, int y1, float v) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, w_);
  y1 = std::min(y1, h_);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Max(x, y, v);
}

void Mask::FillCircle(float cx, float cy, float r, float v) {
  const int x0 = static_cast<int>(std::floor(cx - r - 1)), x1 = static_cast<int>(std::ceil(cx + r + 1));
  const int y0 = static_cast<int>(std::floor(cy - r - 1)), y1 = static_cast<int>(std::ceil(cy + r + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      Max(x, y, v * Clamp01(r - d + 0.5f));
    }
}

void Mask::FillPolygon(const std::vector<PointF>& pts, float v) {
  if (pts.size() < 3) return;
  float minY = pts[0].y, maxY = pts[0].y;
  for (const auto& p : pts) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int y0 = std::max(0, static_cast<int>(std::floor(minY)));
  const int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(maxY)));
  constexpr int kSub = 4;
  std::vector<float> cover(static_cast<size_t>(w_));
  std::vector<float> xs;
  for (int y = y0; y <= y1; ++y) {
    std::fill(cover.begin(), cover.end(), 0.0f);
    for (int s = 0; s < kSub; ++s) {
      const float sy = y + (s + 0.5f) / kSub;
      xs.clear();
      for (size_t i = 0; i < pts.size(); ++i) {
        const PointF a = pts[i], b = pts[(i + 1) % pts.size()];
        if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy))
          xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t i = 0; i + 1 < xs.size(); i += 2) {
        for (int sx = 0; sx < w_ * kSub; ++sx) {
          const float fx = (sx + 0.5f) / kSub;
          if (fx >= xs[i] && fx < xs[i + 1]) cover[static_cast<size_t>(sx / kSub)] += 1.0f / (kSub * kSub);
        }
      }
    }
    for (int x = 0; x < w_; ++x)
      if (cover[static_cast<size_t>(x)] > 0) Max(x, y, v * Clamp01(cover[static_cast<size_t>(x)]));
  }
}

void Mask::Line(float x0, float y0, float x1, float y1, float width, float v) {
  const float hw = width * 0.5f;
  const int bx0 = static_cast<int>(std::floor(std::min(x0, x1) - hw - 1));
  const int bx1 = static_cast<int>(std::ceil(std::max(x0, x1) + hw + 1));
  const int by0 = static_cast<int>(std::floor(std::min(y0, y1) - hw - 1));
  const int by1 = static_cast<int>(std::ceil(std::max(y0, y1) + hw + 1));
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = dx * dx + dy * dy;
  for (int y = std::max(by0, 0); y <= std::min(by1, h_ - 1); ++y)
    for (int x = std::max(bx0, 0); x <= std::min(bx1, w_ - 1); ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      float t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
      t = Clamp01(t);
      const float d = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
      Max(x, y, v * Clamp01(hw - d + 0.5f));
    }
}

void Mask::Blur(int radius, int passes) {
  for (int p = 0; p < passes; ++p) {
    for (int y = 0; y < h_; ++y)
      BoxLine<float>(w_, radius, [&](int i) { return At(i, y); }, [&](int i, float v) { Ref(i, y) = v; });
    for (int x = 0; x < w_; ++x)
      BoxLine<float>(h_, radius, [&](int i) { return At(x, i); }, [&](int i, float v) { Ref(x, i) = v; });
  }
}

// ---------------------------------------------------------------- Image

Image::Image(int w, int h, Rgb fill) : w_(std::max(0, w)), h_(std::max(0, h)), px_(static_cast<size_t>(w_) * h_, fill) {}

Rgb Image::AtClamped(int x, int y) const {
  if (w_ == 0 || h_ == 0) return {};
  return At(std::clamp(x, 0, w_ - 1), std::clamp(y, 0, h_ - 1));
}

void Image::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  px_[static_cast<size_t>(y) * w_ + x] = c;
}

void Image::Blend(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0.0f) return;
  Rgb& p = px_[static_cast<size_t>(y) * w_ + x];
  p = Mix(p, c, a);
}

void Image::Add(int x, int y, Rgb c, float k) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || k <= 0.0f) return;
  Rgb& p = px_[static_cast<size_t>(y) * w_ + x];
  p = {Clamp8(p.r + c.r * k), Clamp8(p.g + c.g * k), Clamp8(p.b + c.b * k)};
}

void Image::Fill(Rgb c) { std::fill(px_.begin(), px_.end(), c); }

void Image::FillRect(int x0, int y0, int x1, int y1, Rgb c, float a) {
  for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x) Blend(x, y, c, a);
}

void Image::Frame(int x0, int y0, int x1, int y1, Rgb c, float a) {
  for (int x = x0; x < x1; ++x) {
    Blend(x, y0, c, a);
    if (y1 - 1 != y0) Blend(x, y1 - 1, c, a);
  }
  for (int y = y0 + 1; y < y1 - 1; ++y) {
    Blend(x0, y, c, a);
    if (x1 - 1 != x0) Blend(x1 - 1, y, c, a);
  }
}

void Image::VerticalGradient(int y0, int y1, Rgb top, Rgb bottom) {
  for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y) {
    const Rgb c = Mix(top, bottom, y1 - y0 > 1 ? static_cast<float>(y - y0) / (y1 - y0 - 1) : 0.0f);
    for (int x = 0; x < w_; ++x) Set(x, y, c);
  }
}

void Image::HorizontalGradient(int x0, int x1, Rgb left, Rgb right, float a) {
  for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x) {
    const Rgb c = Mix(left, right, x1 - x0 > 1 ? static_cast<float>(x - x0) / (x1 - x0 - 1) : 0.0f);
    for (int y = 0; y < h_; ++y) Blend(x, y, c, a);
  }
}

void Image::Glow(float cx, float cy, float radius, Rgb c, float strength) {
  if (radius <= 0) return;
  const int x0 = std::max(0, static_cast<int>(cx - radius)), x1 = std::min(w_ - 1, static_cast<int>(cx + radius));
  const int y0 = std::max(0, static_cast<int>(cy - radius)), y1 = std::min(h_ - 1, static_cast<int>(cy + radius));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
      if (d >= 1.0f) continue;
      const float f = (1.0f - d) * (1.0f - d);
      Add(x, y, c, strength * f);
    }
}

void Image::Paint(const Mask& m, Rgb c, float opacity, int dx, int dy) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      const float a = m.At(x, y) * opacity;
      if (a > 0.0f) Blend(x + dx, y + dy, c, a);
    }
}

void Image::Light(const Mask& m, Rgb c, float strength, int dx, int dy) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      const float a = m.At(x, y) * strength;
      if (a > 0.0f) Add(x + dx, y + dy, c, a);
    }
}

void Image::Noise(uint32_t seed, float amount) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float n = (Rand01(seed, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) - 0.5f) * 2.0f * amount;
      Rgb& p = px_[static_cast<size_t>(y) * w_ + x];
      p = {Clamp8(p.r + n), Clamp8(p.g + n), Clamp8(p.b + n)};
    }
}

void Image::Scanlines(float darken, int period) {
  if (period < 1) return;
  for (int y = 0; y < h_; y += period)
    for (int x = 0; x < w_; ++x) {
      Rgb& p = px_[static_cast<size_t>(y) * w_ + x];
      p = Scale(p, 1.0f - darken);
    }
}

void Image::Vignette(float strength) {
  const float cx = w_ * 0.5f, cy = h_ * 0.5f;
  const float rmax = std::hypot(cx, cy);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / rmax;
      Rgb& p = px_[static_cast<size_t>(y) * w_ + x];
      p = Scale(p, 1.0f - strength * d * d);
    }
}

void Image::Blur(int radius, int passes) {
  for (int p = 0; p < passes; ++p) {
    auto get = [&](int x, int y) {
      const Rgb c = At(x, y);
      return F3{static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b)};
    };
    auto put = [&](int x, int y, F3 v) { px_[static_cast<size_t>(y) * w_ + x] = {Clamp8(v.r), Clamp8(v.g), Clamp8(v.b)}; };
    for (int y = 0; y < h_; ++y)
      BoxLine<F3>(w_, radius, [&](int i) { return get(i, y); }, [&](int i, F3 v) { put(i, y, v); });
    for (int x = 0; x < w_; ++x)
      BoxLine<F3>(h_, radius, [&](int i) { return get(x, i); }, [&](int i, F3 v) { put(x, i, v); });
  }
}

void Image::Blit(const Image& src, int dx, int dy) {
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) Set(x + dx, y + dy, src.At(x, y));
}

Image Image::Crop(int x, int y, int w, int h) const {
  Image out(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.Set(i, j, AtClamped(x + i, y + j));
  return out;
}

// ---------------------------------------------------------------- noise

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca6bu ^ (c + 0x165667b1u) * 0xc2b2ae35u;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return h;
}

float Rand01(uint32_t a, uint32_t b, uint32_t c) { return (Hash(a, b, c) >> 8) * (1.0f / 16777216.0f); }

float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto v = [&](int i, int j) { return Rand01(seed, static_cast<uint32_t>(i), static_cast<uint32_t>(j)); };
  const float a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
  const float b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
  return a + (b - a) * ty;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * ValueNoise(x, y, seed + static_cast<uint32_t>(o) * 101u);
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

uint32_t Rng::Next() {
  // xorshift32
  s_ ^= s_ << 13;
  s_ ^= s_ >> 17;
  s_ ^= s_ << 5;
  return s_;
}

// ---------------------------------------------------------------- text

void DrawText(Image& img, int x, int y, const std::string& text, const TextStyle& st) {
  const int pad = st.glowRadius * 3 + 4;
  // Extra room on the right for an italic shear.
  const int tw = font::TextWidth(text, st.scale, st.spacing) + font::kCellH * st.scale;
  Mask m(tw + 2 * pad, font::kCellH * st.scale + 2 * pad);
  font::Draw(m, pad, pad, text, st.scale, st.spacing, st.italic);
  const int ox = x - pad, oy = y - pad;
  if (st.glowStrength > 0.0f) {
    Mask g = m;
    g.Blur(st.glowRadius);
    img.Light(g, st.glow, st.glowStrength, ox, oy);
  }
  if (st.shadow > 0.0f) img.Paint(m, Rgb{0, 0, 0}, st.shadow, ox + std::max(1, st.scale / 2), oy + std::max(1, st.scale / 2));
  img.Paint(m, st.colour, 1.0f, ox, oy);
  if (st.bevel > 0.0f && st.scale >= 2) {
    // Lighten the upper part of each lit block: a cheap chrome look.
    for (int j = 0; j < m.Height(); ++j)
      for (int i = 0; i < m.Width(); ++i)
        if (m.At(i, j) > 0.5f && m.At(i, j - 1) < 0.5f) img.Blend(ox + i, oy + j, st.highlight, st.bevel);
  }
}

int CentreX(int width, const std::string& text, int scale, int spacing) {
  return (width - font::TextWidth(text, scale, spacing)) / 2;
}

}  // namespace content::pic
