#include "content/pictures/Codecs.h"

// jpeglib.h needs FILE declared first.
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace content::pic {

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffffu);
  Put16(b, v >> 16);
}

void PutBmpHeaders(Bytes& out, int w, int h, int bpp, uint32_t paletteEntries, uint32_t imageSize) {
  const uint32_t offset = 14 + 40 + 4 * paletteEntries;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h));  // positive: rows stored bottom-up
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bpp));
  Put32(out, 0);  // no compression
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
}

int RowBytes(int w, int bpp) { return ((w * bpp + 31) / 32) * 4; }

int SizeExponent(size_t colours) {
  int e = 1;
  while ((size_t{1} << e) < colours) ++e;
  return e;
}

}  // namespace

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (f) f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!f) throw std::runtime_error("Cannot write file " + path);
}

// ---------------------------------------------------------------- BMP

Bytes EncodeBmp24(const Image& img) {
  const int w = img.Width(), h = img.Height();
  if (w <= 0 || h <= 0) throw std::invalid_argument("BMP: empty image");
  const int row = RowBytes(w, 24);
  Bytes out;
  out.reserve(54 + static_cast<size_t>(row) * h);
  PutBmpHeaders(out, w, h, 24, 0, static_cast<uint32_t>(row * h));
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = img.At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (int p = w * 3; p < row; ++p) out.push_back(0);
  }
  return out;
}

Bytes EncodeBmpIndexed(int w, int h, const std::vector<uint8_t>& indices, const std::vector<Rgb>& palette, int bpp) {
  if (bpp != 1 && bpp != 4 && bpp != 8) throw std::invalid_argument("BMP: unsupported bit depth");
  if (w <= 0 || h <= 0 || indices.size() != static_cast<size_t>(w) * h)
    throw std::invalid_argument("BMP: pixel count does not match the size");
  const size_t entries = size_t{1} << bpp;
  if (palette.empty() || palette.size() > entries) throw std::invalid_argument("BMP: palette does not fit the depth");
  for (uint8_t i : indices)
    if (i >= palette.size()) throw std::invalid_argument("BMP: pixel index outside the palette");
  const int row = RowBytes(w, bpp);
  Bytes out;
  PutBmpHeaders(out, w, h, bpp, static_cast<uint32_t>(entries), static_cast<uint32_t>(row * h));
  for (size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{};
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes line(static_cast<size_t>(row), 0);
    for (int x = 0; x < w; ++x) {
      const uint8_t v = indices[static_cast<size_t>(y) * w + x];
      const int bit = x * bpp;
      line[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(v << (8 - bpp - bit % 8));
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

Bytes EncodeBmpMask(int w, int h, const std::vector<bool>& black) {
  if (black.size() != static_cast<size_t>(w) * h) throw std::invalid_argument("BMP: mask size mismatch");
  std::vector<uint8_t> idx(black.size());
  for (size_t i = 0; i < black.size(); ++i) idx[i] = black[i] ? 0 : 1;
  return EncodeBmpIndexed(w, h, idx, {Rgb{0, 0, 0}, Rgb{255, 255, 255}}, 1);
}

// ---------------------------------------------------------------- palettes

namespace {

struct Bin {
  uint32_t count = 0;
  uint64_t r = 0, g = 0, b = 0;
};

int Key15(Rgb c) { return ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3); }

struct Box {
  std::vector<int> keys;  // occupied 15-bit bins
  uint64_t weight = 0;
};

int Channel(int key, int ch) { return (key >> (10 - 5 * ch)) & 31; }

}  // namespace

std::vector<Rgb> BuildPalette(const std::vector<const Image*>& images, int maxColours) {
  maxColours = std::clamp(maxColours, 1, 256);
  std::vector<Bin> bins(32768);
  for (const Image* img : images)
    for (const Rgb& c : img->Pixels()) {
      Bin& b = bins[static_cast<size_t>(Key15(c))];
      ++b.count;
      b.r += c.r;
      b.g += c.g;
      b.b += c.b;
    }
  Box all;
  for (int k = 0; k < 32768; ++k)
    if (bins[static_cast<size_t>(k)].count) {
      all.keys.push_back(k);
      all.weight += bins[static_cast<size_t>(k)].count;
    }
  if (all.keys.empty()) return {Rgb{}};
  std::vector<Box> boxes{all};
  while (static_cast<int>(boxes.size()) < maxColours) {
    // Split the box with the largest weighted extent along its longest axis.
    int best = -1, bestAxis = 0;
    double bestScore = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].keys.size() < 2) continue;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 31, hi = 0;
        for (int k : boxes[i].keys) {
          lo = std::min(lo, Channel(k, ch));
          hi = std::max(hi, Channel(k, ch));
        }
        const double score = static_cast<double>(hi - lo) * static_cast<double>(boxes[i].weight);
        if (score > bestScore) {
          bestScore = score;
          best = static_cast<int>(i);
          bestAxis = ch;
        }
      }
    }
    if (best < 0) break;
    Box& box = boxes[static_cast<size_t>(best)];
    std::sort(box.keys.begin(), box.keys.end(), [&](int a, int b) {
      return Channel(a, bestAxis) != Channel(b, bestAxis) ? Channel(a, bestAxis) < Channel(b, bestAxis) : a < b;
    });
    uint64_t acc = 0;
    size_t cut = 1;
    for (size_t i = 0; i + 1 < box.keys.size(); ++i) {
      acc += bins[static_cast<size_t>(box.keys[i])].count;
      cut = i + 1;
      if (acc * 2 >= box.weight) break;
    }
    Box hiBox;
    hiBox.keys.assign(box.keys.begin() + static_cast<std::ptrdiff_t>(cut), box.keys.end());
    box.keys.resize(cut);
    box.weight = 0;
    for (int k : box.keys) box.weight += bins[static_cast<size_t>(k)].count;
    for (int k : hiBox.keys) hiBox.weight += bins[static_cast<size_t>(k)].count;
    boxes.push_back(std::move(hiBox));
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    uint64_t n = 0, r = 0, g = 0, b = 0;
    for (int k : box.keys) {
      const Bin& bin = bins[static_cast<size_t>(k)];
      n += bin.count;
      r += bin.r;
      g += bin.g;
      b += bin.b;
    }
    palette.push_back({static_cast<uint8_t>(r / n), static_cast<uint8_t>(g / n), static_cast<uint8_t>(b / n)});
  }
  return palette;
}

Indexed MapToPalette(const Image& img, const std::vector<Rgb>& palette, bool dither) {
  if (palette.empty()) throw std::invalid_argument("empty palette");
  Indexed out;
  out.width = img.Width();
  out.height = img.Height();
  out.indices.resize(static_cast<size_t>(out.width) * out.height);
  std::vector<int16_t> cache(1 << 18, -1);
  auto nearest = [&](int r, int g, int b) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    const int key = ((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2);
    int16_t& c = cache[static_cast<size_t>(key)];
    if (c >= 0) return static_cast<int>(c);
    int best = 0;
    long bestD = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
      const long dr = r - palette[i].r, dg = g - palette[i].g, db = b - palette[i].b;
      const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (bestD < 0 || d < bestD) {
        bestD = d;
        best = static_cast<int>(i);
      }
    }
    c = static_cast<int16_t>(best);
    return best;
  };
  const int w = out.width;
  std::vector<std::array<float, 3>> err(static_cast<size_t>(w + 2) * 2);
  for (int y = 0; y < out.height; ++y) {
    auto* cur = &err[static_cast<size_t>(y % 2) * (w + 2)];
    auto* nxt = &err[static_cast<size_t>((y + 1) % 2) * (w + 2)];
    for (int i = 0; i < w + 2; ++i) nxt[i] = {0, 0, 0};
    for (int x = 0; x < w; ++x) {
      const Rgb c = img.At(x, y);
      float v[3] = {static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b)};
      if (dither)
        for (int k = 0; k < 3; ++k) v[k] += cur[x + 1][static_cast<size_t>(k)];
      const int idx = nearest(static_cast<int>(v[0] + 0.5f), static_cast<int>(v[1] + 0.5f), static_cast<int>(v[2] + 0.5f));
      out.indices[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(idx);
      if (!dither) continue;
      const Rgb p = palette[static_cast<size_t>(idx)];
      const float e[3] = {v[0] - p.r, v[1] - p.g, v[2] - p.b};
      for (int k = 0; k < 3; ++k) {
        const size_t kk = static_cast<size_t>(k);
        cur[x + 2][kk] += e[k] * 7 / 16;
        nxt[x][kk] += e[k] * 3 / 16;
        nxt[x + 1][kk] += e[k] * 5 / 16;
        nxt[x + 2][kk] += e[k] * 1 / 16;
      }
    }
  }
  return out;
}

// ---------------------------------------------------------------- GIF

namespace {

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Put(int code, int width) {
    acc_ |= static_cast<uint32_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out_.push_back(static_cast<uint8_t>(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  void Flush() {
    if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
    acc_ = 0;
    bits_ = 0;
  }

 private:
  Bytes& out_;
  uint32_t acc_ = 0;
  int bits_ = 0;
};

void PutSubBlocks(Bytes& out, const Bytes& data) {
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i), data.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  out.push_back(0);
}

void PutColourTable(Bytes& out, const std::vector<Rgb>& pal, int exponent) {
  for (size_t i = 0; i < (size_t{1} << exponent); ++i) {
    const Rgb c = i < pal.size() ? pal[i] : Rgb{};
    out.push_back(c.r);
    out.push_back(c.g);
    out.push_back(c.b);
  }
}

std::vector<uint8_t> InterlaceRows(const GifFrame& f) {
  std::vector<uint8_t> out;
  out.reserve(f.indices.size());
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < f.height; y += kStep[pass]) {
      const auto row = f.indices.begin() + static_cast<std::ptrdiff_t>(y) * f.width;
      out.insert(out.end(), row, row + f.width);
    }
  return out;
}

bool HasControl(const GifFrame& f) {
  return f.writeControl || f.delayCs > 0 || f.disposal > 0 || f.transparentIndex >= 0;
}

}  // namespace

Bytes LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize, int clearEvery) {
  if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("GIF: minimum code size must be 2..8");
  const int clear = 1 << minCodeSize, eoi = clear + 1;
  Bytes out;
  BitWriter bw(out);
  // Child table: (prefix code << 8 | next index) -> code, -1 when absent.
  std::vector<int16_t> dict(size_t{4096} << 8, -1);
  std::vector<size_t> used;  // keys set since the last clear, so a reset stays cheap
  used.reserve(4096);
  int width = minCodeSize + 1, next = clear + 2;
  int emitted = 0;
  auto reset = [&]() {
    for (size_t k : used) dict[k] = -1;
    used.clear();
    width = minCodeSize + 1;
    next = clear + 2;
  };
  bw.Put(clear, width);
  if (indices.empty()) {
    bw.Put(eoi, width);
    bw.Flush();
    return out;
  }
  for (uint8_t v : indices)
    if (v >= clear) throw std::invalid_argument("GIF: pixel index does not fit the code size");
  int prefix = indices[0];
  for (size_t i = 1; i < indices.size(); ++i) {
    const int k = indices[i];
    const size_t key = (static_cast<size_t>(prefix) << 8) | static_cast<size_t>(k);
    if (dict[key] >= 0) {
      prefix = dict[key];
      continue;
    }
    bw.Put(prefix, width);
    // The decoder defines each entry one code later than we do, so the width
    // grows once our next free code has passed the current limit.
    dict[key] = static_cast<int16_t>(next++);
    used.push_back(key);
    if (next > (1 << width) && width < 12) ++width;
    ++emitted;
    if (next >= 4096 || (clearEvery > 0 && emitted % clearEvery == 0)) {
      bw.Put(clear, width);
      reset();
    }
    prefix = k;
  }
  bw.Put(prefix, width);
  if (next == (1 << width) && width < 12) ++width;
  bw.Put(eoi, width);
  bw.Flush();
  return out;
}

Bytes EncodeGif(const GifFile& gif) {
  if (gif.width <= 0 || gif.height <= 0 || gif.width > 65535 || gif.height > 65535)
    throw std::invalid_argument("GIF: bad screen size");
  if (gif.frames.empty()) throw std::invalid_argument("GIF: no frames");
  if (gif.globalPalette.size() > 256) throw std::invalid_argument("GIF: more than 256 colours");
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, static_cast<uint32_t>(gif.width));
  Put16(out, static_cast<uint32_t>(gif.height));
  const bool global = !gif.globalPalette.empty();
  const int gExp = global ? SizeExponent(gif.globalPalette.size()) : 1;
  out.push_back(static_cast<uint8_t>(global ? (0x80 | 0x70 | (gExp - 1)) : 0x70));
  out.push_back(static_cast<uint8_t>(gif.backgroundIndex));
  out.push_back(0);
  if (global) PutColourTable(out, gif.globalPalette, gExp);

  auto putLoop = [&]() {
    const uint8_t app[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
    out.insert(out.end(), std::begin(app), std::end(app));
    Put16(out, static_cast<uint32_t>(gif.loopCount));
    out.push_back(0);
  };
  // Readers that look for a transparent colour expect the first control
  // block right after the global table, so then the loop block follows the
  // first frame instead of preceding it.
  const bool loopAfterFirst = gif.frames[0].transparentIndex >= 0;
  if (gif.loopCount >= 0 && !loopAfterFirst) putLoop();

  for (size_t fi = 0; fi < gif.frames.size(); ++fi) {
    const GifFrame& f = gif.frames[fi];
    if (f.width <= 0 || f.height <= 0 || f.indices.size() != static_cast<size_t>(f.width) * f.height)
      throw std::invalid_argument("GIF: frame pixel count does not match its size");
    if (f.left < 0 || f.top < 0 || f.left + f.width > 65535 || f.top + f.height > 65535)
      throw std::invalid_argument("GIF: frame outside the coordinate range");
    if (f.disposal < 0 || f.disposal > 3) throw std::invalid_argument("GIF: bad disposal method");
    const std::vector<Rgb>& pal = f.localPalette.empty() ? gif.globalPalette : f.localPalette;
    if (pal.empty() || pal.size() > 256) throw std::invalid_argument("GIF: frame has no usable colour table");
    for (uint8_t v : f.indices)
      if (v >= pal.size()) throw std::invalid_argument("GIF: pixel index outside the colour table");
    if (f.transparentIndex >= static_cast<int>(pal.size())) throw std::invalid_argument("GIF: transparent index outside the table");
    if (HasControl(f)) {
      out.push_back(0x21);
      out.push_back(0xF9);
      out.push_back(4);
      out.push_back(static_cast<uint8_t>((f.disposal << 2) | (f.transparentIndex >= 0 ? 1 : 0)));
      Put16(out, static_cast<uint32_t>(std::clamp(f.delayCs, 0, 65535)));
      out.push_back(static_cast<uint8_t>(f.transparentIndex >= 0 ? f.transparentIndex : 0));
      out.push_back(0);
    }
    out.push_back(0x2C);
    Put16(out, static_cast<uint32_t>(f.left));
    Put16(out, static_cast<uint32_t>(f.top));
    Put16(out, static_cast<uint32_t>(f.width));
    Put16(out, static_cast<uint32_t>(f.height));
    const bool local = !f.localPalette.empty();
    const int lExp = local ? SizeExponent(f.localPalette.size()) : 0;
    out.push_back(static_cast<uint8_t>((local ? 0x80 | (lExp - 1) : 0) | (f.interlaced ? 0x40 : 0)));
    if (local) PutColourTable(out, f.localPalette, lExp);
    const int minCode = std::max(2, local ? lExp : gExp);
    out.push_back(static_cast<uint8_t>(minCode));
    PutSubBlocks(out, LzwEncode(f.interlaced ? InterlaceRows(f) : f.indices, minCode));
    if (fi == 0 && gif.loopCount >= 0 && loopAfterFirst) putLoop();
  }
  if (!gif.comment.empty()) {
    out.push_back(0x21);
    out.push_back(0xFE);
    PutSubBlocks(out, Bytes(gif.comment.begin(), gif.comment.end()));
  }
  out.push_back(0x3B);
  return out;
}

// ---------------------------------------------------------------- JPEG

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

}  // namespace

Bytes EncodeJpeg(const Image& img, int quality) {
  if (img.Width() <= 0 || img.Height() <= 0) throw std::invalid_argument("JPEG: empty image");
  jpeg_compress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnJpegError;
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  std::vector<uint8_t> row(static_cast<size_t>(img.Width()) * 3);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    throw std::runtime_error(std::string("JPEG: ") + err.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = static_cast<JDIMENSION>(img.Width());
  cinfo.image_height = static_cast<JDIMENSION>(img.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.write_JFIF_header = TRUE;  // the viewer recognises JPEG by its JFIF marker
  cinfo.optimize_coding = TRUE;
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < img.Width(); ++x) {
      const Rgb c = img.At(x, y);
      row[static_cast<size_t>(x) * 3] = c.r;
      row[static_cast<size_t>(x) * 3 + 1] = c.g;
      row[static_cast<size_t>(x) * 3 + 2] = c.b;
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&cinfo, &rp, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}

// ---------------------------------------------------------------- cursors

Bytes EncodeCursor(const std::vector<std::string>& art, int hotX, int hotY) {
  constexpr int kSize = 32;
  if (art.size() != kSize) throw std::invalid_argument("cursor: need 32 rows");
  for (const std::string& r : art)
    if (r.size() != kSize) throw std::invalid_argument("cursor: need 32 columns per row");
  if (hotX < 0 || hotX >= kSize || hotY < 0 || hotY >= kSize) throw std::invalid_argument("cursor: hotspot outside");
  const uint32_t imageBytes = 40 + 8 + 2 * kSize * 4;
  Bytes out;
  Put16(out, 0);
  Put16(out, 2);  // cursor resource
  Put16(out, 1);
  out.push_back(kSize);
  out.push_back(kSize);
  out.push_back(2);  // colours
  out.push_back(0);
  Put16(out, static_cast<uint32_t>(hotX));
  Put16(out, static_cast<uint32_t>(hotY));
  Put32(out, imageBytes);
  Put32(out, 6 + 16);
  Put32(out, 40);
  Put32(out, kSize);
  Put32(out, kSize * 2);  // XOR and AND masks stacked
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, 0);
  Put32(out, 2 * kSize * 4);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 2);
  Put32(out, 0);
  Put32(out, 0x00000000);  // index 0 black
  Put32(out, 0x00FFFFFF);  // index 1 white
  auto plane = [&](bool andPlane) {
    for (int y = kSize - 1; y >= 0; --y) {
      uint32_t bits = 0;
      for (int x = 0; x < kSize; ++x) {
        const char c = art[static_cast<size_t>(y)][static_cast<size_t>(x)];
        const bool andBit = c == '.' || c == 'x';
        const bool xorBit = c == 'o' || c == 'x';
        if (andPlane ? andBit : xorBit) bits |= 1u << (31 - x);
      }
      out.push_back(static_cast<uint8_t>(bits >> 24));
      out.push_back(static_cast<uint8_t>(bits >> 16));
      out.push_back(static_cast<uint8_t>(bits >> 8));
      out.push_back(static_cast<uint8_t>(bits));
    }
  };
  plane(false);
  plane(true);
  return out;
}

// ---------------------------------------------------------------- PNG
namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBe32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

void PngChunk(Bytes& out, const char* type, const Bytes& data) {
  PutBe32(out, static_cast<uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, Crc32(body.data(), body.size()));
}

}  // namespace

Bytes EncodePng(const Image& img) {
  const int w = img.Width(), h = img.Height();
  if (w <= 0 || h <= 0) throw std::invalid_argument("EncodePng: empty image");
  // Scanlines with filter type 0 (none) in front of each row.
  Bytes raw;
  raw.reserve(static_cast<size_t>(h) * (1 + 3 * static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      const Rgb c = img.At(x, y);
      raw.insert(raw.end(), {c.r, c.g, c.b});
    }
  }
  // zlib stream: header, stored blocks of at most 65535 bytes, Adler-32.
  Bytes z{0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                       static_cast<uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);

  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBe32(ihdr, static_cast<uint32_t>(w));
  PutBe32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PngChunk(out, "IHDR", ihdr);
  PngChunk(out, "IDAT", z);
  PngChunk(out, "IEND", {});
  return out;
}

}  // namespace content::pic
