// BMP files: every depth and compression read into a cleared picture, and the
// plain form written back.
#include <QImage>

#include <algorithm>
#include <cstring>

#include "gui/base/FileLoad.h"
#include "gui/draw/detail/DibRows.h"
#include "gui/draw/detail/GdiInternal.h"

namespace gui {
namespace detail {

namespace {

// Every depth and compression is decoded here, into a cleared picture, so a
// file that skips pixels or ends early shows index 0 (or black) there, the
// same on every run. Paletted files keep the file's own indexes: callers rely
// on them (a mask's index 0 is black) and tables may hold a colour twice.
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiAlphaBitfields = 6;

[[noreturn]] void BadBmp() { throw EInvalidGraphic("Bitmap image is not valid"); }

struct BmpLayout {
    std::uint32_t hdrSize = 0;
    long long width = 0;
    long long height = 0;  // negative: rows run top-down
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::size_t colours = 0;   // table entries in the file
    std::size_t entrySize = 4;  // 3 in OS/2 1.x files
    std::size_t tableAt = 0;
    std::size_t pixelsAt = 0;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
};

BmpLayout ParseBmpHeader(const std::uint8_t* data, std::size_t size) {
    if (size < 18 || data[0] != 'B' || data[1] != 'M') BadBmp();
    BmpLayout l;
    l.hdrSize = Rd32(data + 14);
    switch (l.hdrSize) {
        case 12:  // OS/2 1.x core header
        case 16:  // OS/2 2.x, shortened
        case 40:
        case 52:
        case 56:
        case 64:  // OS/2 2.x
        case 108:
        case 124: break;
        default: BadBmp();
    }
    if (size < 14 + std::size_t{l.hdrSize}) BadBmp();
    if (l.hdrSize == 12) {
        l.width = Rd16(data + 18);
        l.height = static_cast<std::int16_t>(Rd16(data + 20));
        l.bitCount = Rd16(data + 24);
        l.entrySize = 3;
    } else {
        l.width = static_cast<std::int32_t>(Rd32(data + 18));
        l.height = static_cast<std::int32_t>(Rd32(data + 22));
        l.bitCount = Rd16(data + 28);
        if (l.hdrSize >= 40) {
            l.compression = Rd32(data + 30);
            l.colours = Rd32(data + 46);
        }
    }
    const int bpp = l.bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) BadBmp();
    const bool os2 = l.hdrSize == 16 || l.hdrSize == 64;
    const std::uint32_t c = l.compression;
    const bool fields = !os2 && (c == BI_BITFIELDS || c == kBiAlphaBitfields) && (bpp == 16 || bpp == 32);
    const bool ok = c == BI_RGB || (c == kBiRle8 && bpp == 8) || (c == kBiRle4 && bpp == 4) || fields;
    if (!ok) BadBmp();  // OS/2 Huffman and 24-bit run lengths among them
    if (l.width <= 0 || l.height == 0 || l.width > kMaxSide || std::llabs(l.height) > kMaxSide) BadBmp();
    if (l.width * std::llabs(l.height) > kMaxPicturePixels)
        throw EInvalidGraphic(FormatMessage("Bitmap image is too large: more than %s pixels",
                                            std::to_string(kMaxPicturePixels)));

    std::size_t maskBytes = 0;
    if (bpp == 16) {
        l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
    } else if (bpp == 32) {
        l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
    }
    if (fields) {
        // The masks follow a 40-byte header, or sit inside a longer one.
        const std::size_t at = 14 + 40;
        if (l.hdrSize == 40) maskBytes = c == kBiAlphaBitfields ? 16 : 12;
        if (at + 12 > size) BadBmp();
        for (int i = 0; i < 3; ++i) l.masks[i] = Rd32(data + at + 4 * static_cast<std::size_t>(i));
    }
    l.tableAt = 14 + std::size_t{l.hdrSize} + maskBytes;
    l.pixelsAt = Rd32(data + 10);
    if (bpp <= 8) {
        const std::size_t full = std::size_t{1} << bpp;
        if (l.colours == 0 || l.colours > full) l.colours = full;
        // A pixel offset inside the nominal table means a shorter table.
        if (l.pixelsAt > l.tableAt && l.pixelsAt < l.tableAt + l.colours * l.entrySize)
            l.colours = (l.pixelsAt - l.tableAt) / l.entrySize;
        if (l.tableAt + l.colours * l.entrySize > size) BadBmp();
    } else {
        l.colours = 0;
    }
    if (l.pixelsAt == 0) l.pixelsAt = l.tableAt + l.colours * l.entrySize;
    if (l.pixelsAt > size) BadBmp();
    return l;
}

// Run-length rows (8 or 4 bits) into top-down index rows. Skipped pixels
// (deltas, early ends of line or bitmap, missing data) stay index 0.
void DecodeRle(const std::uint8_t* data, std::size_t size, const BmpLayout& l, std::uint8_t* dib, std::size_t stride) {
    const bool four = l.compression == kBiRle4;
    const long long w = l.width, h = std::llabs(l.height);
    const bool bottomUp = l.height > 0;
    long long x = 0, y = 0;
    auto put = [&](int idx) {
        if (x < w && y < h) {
            const long long row = bottomUp ? h - 1 - y : y;
            SetIndex(dib + static_cast<std::size_t>(row) * stride, static_cast<int>(x), four ? 4 : 8, idx);
        }
        ++x;
    };
    std::size_t p = l.pixelsAt;
    while (p + 1 < size && y < h) {
        const int n = data[p], v = data[p + 1];
        p += 2;
        if (n > 0) {  // a run of n pixels
            for (int i = 0; i < n && x < w; ++i) put(four ? ((i & 1) ? (v & 0x0F) : (v >> 4)) : v);
        } else if (v == 0) {  // end of line
            x = 0;
            ++y;
        } else if (v == 1) {  // end of bitmap
            break;
        } else if (v == 2) {  // delta: move right and up
            if (p + 1 >= size) break;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else {  // v literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (static_cast<std::size_t>(v) + 1) / 2 : static_cast<std::size_t>(v);
            for (int i = 0; i < v; ++i) {
                const std::size_t at = p + (four ? static_cast<std::size_t>(i) / 2 : static_cast<std::size_t>(i));
                if (at >= size) break;
                put(four ? ((i & 1) ? (data[at] & 0x0F) : (data[at] >> 4)) : data[at]);
            }
            p += bytes + (bytes & 1);
        }
    }
}

BitmapObj* ReadPalettedBmp(const std::uint8_t* data, std::size_t size, const BmpLayout& l) {
    std::vector<QRgb> table(static_cast<std::size_t>(TableSizeFor(l.bitCount)), qRgb(0, 0, 0));
    for (std::size_t i = 0; i < l.colours; ++i) {
        const std::uint8_t* e = data + l.tableAt + i * l.entrySize;
        table[i] = qRgb(e[2], e[1], e[0]);
    }
    auto b = std::make_unique<BitmapObj>();
    b->width = static_cast<int>(l.width);
    b->height = static_cast<int>(std::llabs(l.height));
    b->bpp = l.bitCount;
    b->table = std::move(table);
    const std::size_t st = static_cast<std::size_t>(b->stride());
    const std::size_t height = static_cast<std::size_t>(b->height);
    b->dib.assign(st * height, 0);
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        DecodeRle(data, size, l, b->dib.data(), st);
    } else {
        const std::size_t fileStride = st;  // the same 32-bit aligned rows
        const bool bottomUp = l.height > 0;
        for (std::size_t y = 0; y < height; ++y) {
            const std::size_t fileRow = bottomUp ? height - 1 - y : y;
            const std::size_t at = l.pixelsAt + fileRow * fileStride;
            if (at >= size) continue;
            std::memcpy(b->dib.data() + y * st, data + at, std::min(fileStride, size - at));
        }
    }
    b->dibValid = true;
    b->rgbValid = false;
    return b.release();
}

// Scales a masked channel to 0..255, whatever its width.
int Channel(std::uint32_t v, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint64_t top = mask >> shift;
    return static_cast<int>((static_cast<std::uint64_t>((v & mask) >> shift) * 255u + top / 2) / top);
}

BitmapObj* ReadTrueColourBmp(const std::uint8_t* data, std::size_t size, const BmpLayout& l) {
    const int w = static_cast<int>(l.width), h = static_cast<int>(std::llabs(l.height));
    const int bytesPerPixel = l.bitCount / 8;
    const std::size_t fileStride = ((static_cast<std::size_t>(w) * static_cast<std::size_t>(l.bitCount) + 31) / 32) * 4;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFF000000u);
    const bool bottomUp = l.height > 0;
    for (int y = 0; y < h; ++y) {
        const std::size_t at = l.pixelsAt + static_cast<std::size_t>(bottomUp ? h - 1 - y : y) * fileStride;
        if (at >= size) continue;
        const std::size_t avail = std::min(fileStride, size - at);
        const int n = std::min<int>(w, static_cast<int>(avail / static_cast<std::size_t>(bytesPerPixel)));
        const std::uint8_t* row = data + at;
        auto* o = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < n; ++x) {
            switch (l.bitCount) {
                case 24: o[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                case 16: {
                    const std::uint32_t v = Rd16(row + 2 * x);
                    o[x] = qRgb(Channel(v, l.masks[0]), Channel(v, l.masks[1]), Channel(v, l.masks[2]));
                    break;
                }
                default: {
                    const std::uint32_t v = Rd32(row + 4 * x);
                    o[x] = qRgb(Channel(v, l.masks[0]), Channel(v, l.masks[1]), Channel(v, l.masks[2]));
                }
            }
        }
    }
    return NewBitmapFromImage(img, l.bitCount == 32 ? 32 : 24);
}

}  // namespace

BitmapObj* ReadBmp(const std::uint8_t* data, std::size_t size) {
    const BmpLayout l = ParseBmpHeader(data, size);
    return l.bitCount <= 8 ? ReadPalettedBmp(data, size, l) : ReadTrueColourBmp(data, size, l);
}

std::vector<std::uint8_t> WriteBmp(BitmapObj* b) {
    std::vector<std::uint8_t> out;
    const int bpp = b->bpp;
    const int st = b->stride();
    const std::uint32_t tableBytes = bpp <= 8 ? 4u * static_cast<std::uint32_t>(TableSizeFor(bpp)) : 0u;
    const std::uint32_t offBits = 14 + 40 + tableBytes;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(st) * static_cast<std::uint32_t>(b->height);
    out.reserve(offBits + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Wr32(out, offBits + imageBytes);
    Wr32(out, 0);
    Wr32(out, offBits);
    Wr32(out, 40);
    Wr32(out, static_cast<std::uint32_t>(b->width));
    Wr32(out, static_cast<std::uint32_t>(b->height));
    Wr16(out, 1);
    Wr16(out, static_cast<unsigned>(bpp));
    Wr32(out, BI_RGB);
    Wr32(out, imageBytes);
    Wr32(out, 0);
    Wr32(out, 0);
    Wr32(out, bpp <= 8 ? static_cast<std::uint32_t>(TableSizeFor(bpp)) : 0u);
    Wr32(out, 0);
    if (bpp <= 8) {
        for (QRgb c : b->table) {
            out.push_back(static_cast<std::uint8_t>(qBlue(c)));
            out.push_back(static_cast<std::uint8_t>(qGreen(c)));
            out.push_back(static_cast<std::uint8_t>(qRed(c)));
            out.push_back(0);
        }
    }
    for (int y = b->height - 1; y >= 0; --y) {
        const uchar* row = b->constScanLine(y);
        out.insert(out.end(), row, row + st);
    }
    return out;
}

}  // namespace detail
}  // namespace gui
