#include "Readers.h"

// jpeglib.h needs FILE declared first.
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>
#include <fstream>
#include <iterator>

namespace readers {

Bytes ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

namespace {

struct Cursor8 {
  const Bytes& d;
  size_t pos = 0;
  bool ok = true;
  uint8_t U8() {
    if (pos >= d.size()) {
      ok = false;
      return 0;
    }
    return d[pos++];
  }
  uint16_t U16() {
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | (U8() << 8));
  }
  uint32_t U32() {
    const uint32_t lo = U16();
    return lo | (static_cast<uint32_t>(U16()) << 16);
  }
};

bool Fail(std::string* error, const std::string& msg) {
  if (error) *error = msg;
  return false;
}

// Textbook GIF LZW decoder: a table of (prefix, suffix) pairs.
bool LzwDecode(const Bytes& data, int minCode, size_t expected, std::vector<uint8_t>& out, std::string* error) {
  if (minCode < 2 || minCode > 8) return Fail(error, "bad minimum code size");
  const int clear = 1 << minCode, eoi = clear + 1;
  std::vector<int> prefix(4096, -1);
  std::vector<uint8_t> suffix(4096), first(4096);
  for (int i = 0; i < clear; ++i) {
    suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    first[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  }
  int width = minCode + 1, next = clear + 2, prev = -1;
  size_t bitPos = 0;
  const size_t totalBits = data.size() * 8;
  std::vector<uint8_t> stack;
  bool sawEoi = false;
  while (true) {
    if (bitPos + static_cast<size_t>(width) > totalBits) break;
    int code = 0;
    for (int b = 0; b < width; ++b, ++bitPos)
      if (data[bitPos / 8] & (1u << (bitPos % 8))) code |= 1 << b;
    if (code == clear) {
      width = minCode + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == eoi) {
      sawEoi = true;
      break;
    }
    int cur = code;
    stack.clear();
    if (code > next || (code == next && prev < 0)) return Fail(error, "LZW code out of range");
    if (code == next) {
      stack.push_back(first[static_cast<size_t>(prev)]);
      cur = prev;
    }
    while (cur >= clear) {
      stack.push_back(suffix[static_cast<size_t>(cur)]);
      cur = prefix[static_cast<size_t>(cur)];
      if (stack.size() > 4096) return Fail(error, "LZW chain too long");
    }
    stack.push_back(static_cast<uint8_t>(cur));
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) out.push_back(*it);
    if (prev >= 0 && next < 4096) {
      prefix[static_cast<size_t>(next)] = prev;
      suffix[static_cast<size_t>(next)] = static_cast<uint8_t>(cur);
      first[static_cast<size_t>(next)] = first[static_cast<size_t>(prev)];
      ++next;
      if (next == (1 << width) && width < 12) ++width;
    }
    prev = code;
  }
  if (!sawEoi) return Fail(error, "LZW stream has no end code");
  if (out.size() != expected)
    return Fail(error, "LZW produced " + std::to_string(out.size()) + " pixels, expected " + std::to_string(expected));
  return true;
}

bool ReadSubBlocks(Cursor8& c, Bytes& out) {
  while (true) {
    const uint8_t n = c.U8();
    if (!c.ok) return false;
    if (n == 0) return true;
    for (int i = 0; i < n; ++i) out.push_back(c.U8());
    if (!c.ok) return false;
  }
}

std::vector<Rgb> ReadTable(Cursor8& c, int entries) {
  std::vector<Rgb> t;
  for (int i = 0; i < entries; ++i) {
    const uint8_t r = c.U8(), g = c.U8(), b = c.U8();
    t.push_back({r, g, b});
  }
  return t;
}

}  // namespace

std::optional<Gif> DecodeGif(const Bytes& data, std::string* error) {
  Cursor8 c{data};
  Gif gif;
  std::string sig;
  for (int i = 0; i < 6; ++i) sig.push_back(static_cast<char>(c.U8()));
  if (!c.ok || sig.substr(0, 3) != "GIF") return Fail(error, "no GIF signature"), std::nullopt;
  gif.version = sig.substr(3);
  gif.width = c.U16();
  gif.height = c.U16();
  const uint8_t packed = c.U8();
  c.U8();
  c.U8();
  if (packed & 0x80) gif.globalPalette = ReadTable(c, 1 << ((packed & 7) + 1));
  GifFrame pending;
  bool havePending = false;
  while (true) {
    const size_t at = c.pos;
    const uint8_t tag = c.U8();
    if (!c.ok) return Fail(error, "missing trailer"), std::nullopt;
    if (tag == 0x3B) break;
    if (tag == 0x21) {
      const uint8_t label = c.U8();
      Bytes body;
      if (label == 0xF9) {
        if (gif.firstControlOffset == 0) gif.firstControlOffset = at;
        if (!ReadSubBlocks(c, body) || body.size() != 4) return Fail(error, "bad control block"), std::nullopt;
        pending = GifFrame{};
        pending.hasControl = true;
        pending.disposal = (body[0] >> 2) & 7;
        pending.delayCs = body[1] | (body[2] << 8);
        pending.transparentIndex = (body[0] & 1) ? body[3] : -1;
        havePending = true;
      } else if (label == 0xFF) {
        const uint8_t n = c.U8();
        std::string id;
        for (int i = 0; i < n; ++i) id.push_back(static_cast<char>(c.U8()));
        if (!ReadSubBlocks(c, body)) return Fail(error, "bad application block"), std::nullopt;
        if (id == "NETSCAPE2.0" && body.size() >= 3 && body[0] == 1) gif.loopCount = body[1] | (body[2] << 8);
      } else if (label == 0xFE) {
        if (!ReadSubBlocks(c, body)) return Fail(error, "bad comment"), std::nullopt;
        gif.comments.emplace_back(body.begin(), body.end());
      } else {
        if (!ReadSubBlocks(c, body)) return Fail(error, "bad extension"), std::nullopt;
      }
      continue;
    }
    if (tag != 0x2C) return Fail(error, "unknown block"), std::nullopt;
    GifFrame f = havePending ? pending : GifFrame{};
    havePending = false;
    f.left = c.U16();
    f.top = c.U16();
    f.width = c.U16();
    f.height = c.U16();
    const uint8_t fp = c.U8();
    f.interlaced = fp & 0x40;
    if (fp & 0x80) f.localPalette = ReadTable(c, 1 << ((fp & 7) + 1));
    const int minCode = c.U8();
    Bytes lzw;
    if (!c.ok || !ReadSubBlocks(c, lzw)) return Fail(error, "truncated image data"), std::nullopt;
    std::vector<uint8_t> raw;
    if (!LzwDecode(lzw, minCode, static_cast<size_t>(f.width) * f.height, raw, error)) return std::nullopt;
    const size_t tableSize = f.localPalette.empty() ? gif.globalPalette.size() : f.localPalette.size();
    for (uint8_t v : raw)
      if (v >= tableSize) return Fail(error, "pixel index outside the colour table"), std::nullopt;
    if (f.interlaced) {
      f.indices.assign(raw.size(), 0);
      size_t src = 0;
      static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < f.height; y += kStep[pass])
          for (int x = 0; x < f.width; ++x) f.indices[static_cast<size_t>(y) * f.width + x] = raw[src++];
    } else {
      f.indices = std::move(raw);
    }
    gif.frames.push_back(std::move(f));
  }
  return gif;
}

// ---------------------------------------------------------------- BMP

std::optional<Bmp> DecodeBmp(const Bytes& data, std::string* error) {
  Cursor8 c{data};
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return Fail(error, "no BMP signature"), std::nullopt;
  c.pos = 2;
  const uint32_t fileSize = c.U32();
  c.U32();
  const uint32_t offset = c.U32();
  const uint32_t infoSize = c.U32();
  Bmp b;
  b.width = static_cast<int32_t>(c.U32());
  const int32_t h = static_cast<int32_t>(c.U32());
  c.U16();
  b.bpp = c.U16();
  const uint32_t compression = c.U32();
  c.U32();
  c.U32();
  c.U32();
  uint32_t used = c.U32();
  if (fileSize != data.size()) return Fail(error, "file size field wrong"), std::nullopt;
  if (infoSize != 40 || compression != 0 || h <= 0 || b.width <= 0) return Fail(error, "unsupported header"), std::nullopt;
  b.height = h;
  if (b.bpp <= 8) {
    if (used == 0) used = 1u << b.bpp;
    c.pos = 14 + infoSize;
    for (uint32_t i = 0; i < used; ++i) {
      const uint8_t bl = c.U8(), g = c.U8(), r = c.U8();
      c.U8();
      b.palette.push_back({r, g, bl});
    }
  }
  const size_t row = static_cast<size_t>((b.width * b.bpp + 31) / 32) * 4;
  if (offset + row * static_cast<size_t>(b.height) > data.size()) return Fail(error, "pixel data truncated"), std::nullopt;
  b.pixels.resize(static_cast<size_t>(b.width) * b.height);
  if (b.bpp <= 8) b.indices.resize(b.pixels.size());
  for (int y = 0; y < b.height; ++y) {
    const uint8_t* line = data.data() + offset + row * static_cast<size_t>(b.height - 1 - y);
    for (int x = 0; x < b.width; ++x) {
      const size_t i = static_cast<size_t>(y) * b.width + x;
      if (b.bpp == 24) {
        b.pixels[i] = {line[x * 3 + 2], line[x * 3 + 1], line[x * 3]};
      } else if (b.bpp <= 8) {
        const int bit = x * b.bpp;
        const uint8_t v = static_cast<uint8_t>((line[bit / 8] >> (8 - b.bpp - bit % 8)) & ((1 << b.bpp) - 1));
        if (v >= b.palette.size()) return Fail(error, "index outside palette"), std::nullopt;
        b.indices[i] = v;
        b.pixels[i] = b.palette[v];
      } else {
        return Fail(error, "unsupported depth"), std::nullopt;
      }
    }
  }
  return b;
}

// ---------------------------------------------------------------- JPEG

namespace {
struct JErr {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};
void OnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JErr*>(cinfo->err)->jump, 1); }
}  // namespace

std::optional<JpegInfo> DecodeJpeg(const Bytes& data, std::string* error) {
  if (data.size() < 4) return Fail(error, "too short"), std::nullopt;
  jpeg_decompress_struct cinfo{};
  JErr err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnError;
  JpegInfo info;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    Fail(error, "libjpeg error");
    return std::nullopt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  info.width = static_cast<int>(cinfo.output_width);
  info.height = static_cast<int>(cinfo.output_height);
  info.components = cinfo.output_components;
  info.rgb.resize(static_cast<size_t>(info.width) * info.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = info.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * info.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return info;
}

// ---------------------------------------------------------------- cursor

std::optional<Cursor> DecodeCursor(const Bytes& data, std::string* error) {
  Cursor8 c{data};
  if (c.U16() != 0 || c.U16() != 2 || c.U16() != 1) return Fail(error, "not a single-image cursor"), std::nullopt;
  Cursor cur;
  cur.width = c.U8();
  cur.height = c.U8();
  c.U8();
  c.U8();
  cur.hotX = c.U16();
  cur.hotY = c.U16();
  const uint32_t bytes = c.U32(), offset = c.U32();
  if (!c.ok || offset + bytes != data.size()) return Fail(error, "directory does not match the file"), std::nullopt;
  c.pos = offset;
  if (c.U32() != 40) return Fail(error, "no bitmap header"), std::nullopt;
  const int w = static_cast<int32_t>(c.U32()), h2 = static_cast<int32_t>(c.U32());
  c.U16();
  const int bpp = c.U16();
  if (w != cur.width || h2 != 2 * cur.height || bpp != 1) return Fail(error, "bitmap header does not match"), std::nullopt;
  const size_t bits = offset + 40 + 8;  // two palette entries
  const size_t row = static_cast<size_t>((w + 31) / 32) * 4;
  if (bits + 2 * row * static_cast<size_t>(cur.height) > data.size()) return Fail(error, "masks truncated"), std::nullopt;
  cur.andMask.resize(static_cast<size_t>(w) * cur.height);
  cur.xorMask.resize(cur.andMask.size());
  for (int y = 0; y < cur.height; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t r = static_cast<size_t>(cur.height - 1 - y);
      const uint8_t xb = data[bits + r * row + static_cast<size_t>(x / 8)];
      const uint8_t ab = data[bits + (static_cast<size_t>(cur.height) + r) * row + static_cast<size_t>(x / 8)];
      cur.xorMask[static_cast<size_t>(y) * w + x] = (xb >> (7 - x % 8)) & 1;
      cur.andMask[static_cast<size_t>(y) * w + x] = (ab >> (7 - x % 8)) & 1;
    }
  return cur;
}

std::string SniffType(const Bytes& d) {
  if (d.size() >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8') return "gif";
  if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return "bmp";
  if (d.size() >= 4 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF && d[3] == 0xE0) return "jpeg";
  return "";
}

}  // namespace readers
