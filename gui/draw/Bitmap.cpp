// Bitmaps: the two-form pixel store (RGB32 for drawing, DIB rows for scan-line
// access), DIB transfers and TBitmap. BMP files are read and written in
// BmpFile.cpp.
#include <QImage>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include "gui/base/Resources.h"
#include "gui/draw/detail/DibRows.h"
#include "gui/draw/detail/GdiInternal.h"

namespace gui {
namespace detail {

namespace {

// With kMaxSide: no picture asks for more than this.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
bool SaneSize(long long w, long long h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels; }

// Nearest table entry, exact matches first, remembered per colour.
class NearestCache {
public:
    explicit NearestCache(const std::vector<QRgb>& table) : table_(table) {}
    int operator()(QRgb c) {
        c |= 0xFF000000u;
        if (c == lastColour_) return lastIndex_;
        auto it = cache_.find(c);
        int idx;
        if (it != cache_.end()) {
            idx = it->second;
        } else {
            idx = Search(table_, c);
            cache_.emplace(c, idx);
        }
        lastColour_ = c;
        lastIndex_ = idx;
        return idx;
    }
    static int Search(const std::vector<QRgb>& table, QRgb c) {
        int best = 0;
        long bestD = -1;
        for (std::size_t i = 0; i < table.size(); ++i) {
            long dr = qRed(table[i]) - qRed(c), dg = qGreen(table[i]) - qGreen(c), db = qBlue(table[i]) - qBlue(c);
            long d = dr * dr + dg * dg + db * db;
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = static_cast<int>(i);
                if (d == 0) break;
            }
        }
        return best;
    }

private:
    const std::vector<QRgb>& table_;
    std::unordered_map<QRgb, int> cache_;
    QRgb lastColour_ = 0;
    int lastIndex_ = -1;
};


QRgb TableAt(const std::vector<QRgb>& table, int idx);

// Encodes RGB32 rows as DIB rows of the given depth (top-down). With `hint`
// (the previous rows, same layout) a pixel whose colour still matches its old
// index keeps that index, so tables that hold a colour twice survive a round trip.
void EncodeRows(const QImage& rgb, int bpp, const std::vector<QRgb>& table, uchar* out, int stride, int firstRow,
                int rows, const uchar* hint = nullptr) {
    const int w = rgb.width();
    NearestCache nearest(table);
    std::vector<uchar> old;
    for (int r = 0; r < rows; ++r) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(firstRow + r));
        uchar* row = out + static_cast<std::ptrdiff_t>(r) * stride;
        if (hint != nullptr && bpp <= 8) {
            const uchar* h = hint + static_cast<std::ptrdiff_t>(r) * stride;
            if (h == row) {
                old.assign(h, h + stride);
                h = old.data();
            }
            std::memset(row, 0, static_cast<std::size_t>(stride));
            for (int x = 0; x < w; ++x) {
                int idx = GetIndex(h, x, bpp);
                if ((TableAt(table, idx) & 0xFFFFFF) != (in[x] & 0xFFFFFF)) idx = nearest(in[x]);
                SetIndex(row, x, bpp, idx);
            }
            continue;
        }
        std::memset(row, 0, static_cast<std::size_t>(stride));
        switch (bpp) {
            case 32:
                for (int x = 0; x < w; ++x) {
                    row[4 * x] = static_cast<uchar>(qBlue(in[x]));
                    row[4 * x + 1] = static_cast<uchar>(qGreen(in[x]));
                    row[4 * x + 2] = static_cast<uchar>(qRed(in[x]));
                }
                break;
            case 16:  // 5-5-5
                for (int x = 0; x < w; ++x) {
                    unsigned v = ((qRed(in[x]) >> 3) << 10) | ((qGreen(in[x]) >> 3) << 5) | (qBlue(in[x]) >> 3);
                    row[2 * x] = static_cast<uchar>(v);
                    row[2 * x + 1] = static_cast<uchar>(v >> 8);
                }
                break;
            case 24:
                for (int x = 0; x < w; ++x) {
                    row[3 * x] = static_cast<uchar>(qBlue(in[x]));
                    row[3 * x + 1] = static_cast<uchar>(qGreen(in[x]));
                    row[3 * x + 2] = static_cast<uchar>(qRed(in[x]));
                }
                break;
            default:
                for (int x = 0; x < w; ++x) SetIndex(row, x, bpp, nearest(in[x]));
        }
    }
}

QRgb TableAt(const std::vector<QRgb>& table, int idx) {
    return idx >= 0 && static_cast<std::size_t>(idx) < table.size() ? (table[static_cast<std::size_t>(idx)] | 0xFF000000u)
                                                                     : 0xFF000000u;
}

}  // namespace

std::vector<QRgb> DefaultTable(int bpp) {
    std::vector<QRgb> t;
    switch (bpp) {
        case 1: t = {qRgb(0, 0, 0), qRgb(255, 255, 255)}; break;
        case 4:
            t = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                 qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                 qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                 qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
            break;
        case 8: {
            PALETTEENTRY sys[256];
            GetStandardSystemPalette(sys);
            t.resize(256);
            for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = qRgb(sys[i].peRed, sys[i].peGreen, sys[i].peBlue);
            // A 6x6x6 cube and a grey ramp between the static colours.
            static const int lv[6] = {0, 51, 102, 153, 204, 255};
            int i = 10;
            for (int b = 0; b < 6; ++b)
                for (int g = 0; g < 6; ++g)
                    for (int r = 0; r < 6; ++r) t[static_cast<std::size_t>(i++)] = qRgb(lv[r], lv[g], lv[b]);
            for (int k = 0; i < 246; ++k) {
                int v = 8 + k * 12;
                t[static_cast<std::size_t>(i++)] = qRgb(v, v, v);
            }
            break;
        }
        default: break;
    }
    return t;
}

BitmapObj::~BitmapObj() {
    if (palette != nullptr) DeleteObject(palette);
}

void BitmapObj::reset(int w, int h, int bitsPerPixel, std::vector<QRgb> colours) {
    width = std::max(0, w);
    height = std::max(0, h);
    bpp = bitsPerPixel;
    table = std::move(colours);
    if (bpp <= 8) table.resize(static_cast<std::size_t>(TableSizeFor(bpp)), qRgb(0, 0, 0));
    else table.clear();
    dib.clear();
    dibValid = false;
    rgbValid = true;
    if (width > 0 && height > 0) {
        rgb = QImage(width, height, QImage::Format_RGB32);
        rgb.fill(0xFFFFFFFF);
        if (bpp <= 8) quantize(rgb.rect());
    } else {
        rgb = QImage();
    }
    if (palette != nullptr) {
        auto* p = AsPalette(palette);
        p->entries.clear();
        for (QRgb c : table) p->entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)), 0});
    }
}

const QImage& BitmapObj::image() {
    if (!rgbValid) {
        if (width > 0 && height > 0) {
            rgb = QImage(width, height, QImage::Format_RGB32);
            const int st = stride();
            for (int y = 0; y < height; ++y) {
                const uchar* row = dib.data() + static_cast<std::ptrdiff_t>(y) * st;
                auto* out = reinterpret_cast<QRgb*>(rgb.scanLine(y));
                switch (bpp) {
                    case 32:
                        for (int x = 0; x < width; ++x) out[x] = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
                        break;
                    case 24:
                        for (int x = 0; x < width; ++x) out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                        break;
                    default:
                        for (int x = 0; x < width; ++x) out[x] = TableAt(table, GetIndex(row, x, bpp));
                }
            }
        }
        rgbValid = true;
    }
    return rgb;
}

QImage& BitmapObj::imageForWrite() {
    image();
    dibValid = false;
    return rgb;
}

const uchar* BitmapObj::constScanLine(int row) {
    if (!dibValid) {
        image();
        const std::size_t size = static_cast<std::size_t>(stride()) * static_cast<std::size_t>(height);
        // Stale rows of the same layout still know which index each colour had.
        const bool hint = bpp <= 8 && dib.size() == size;
        if (!hint) dib.assign(size, 0);
        if (width > 0 && height > 0) EncodeRows(rgb, bpp, table, dib.data(), stride(), 0, height, hint ? dib.data() : nullptr);
        dibValid = true;
    }
    return dib.data() + static_cast<std::ptrdiff_t>(row) * stride();
}

uchar* BitmapObj::scanLine(int row) {
    const uchar* p = constScanLine(row);
    rgbValid = false;
    return const_cast<uchar*>(p);
}

int BitmapObj::nearestIndex(QRgb c) const { return NearestCache::Search(table, c | 0xFF000000u); }

void BitmapObj::quantize(const QRect& area) {
    if (bpp > 8 || table.empty() || rgb.isNull()) return;
    QRect r = area & rgb.rect();
    if (r.isEmpty()) return;
    NearestCache nearest(table);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(rgb.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) line[x] = TableAt(table, nearest(line[x]));
    }
}

void BitmapObj::convert(int bitsPerPixel, std::vector<QRgb> colours) {
    image();
    dib.clear();
    paletteReleased = false;
    bpp = bitsPerPixel;
    table = std::move(colours);
    if (bpp <= 8) table.resize(static_cast<std::size_t>(TableSizeFor(bpp)), qRgb(0, 0, 0));
    else table.clear();
    dibValid = false;
    rgbValid = true;
    if (bpp <= 8) quantize(rgb.rect());
    if (palette != nullptr) {
        auto* p = AsPalette(palette);
        p->entries.clear();
        for (QRgb c : table) p->entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)), 0});
    }
}

void BitmapObj::setTable(std::vector<QRgb> colours) {
    if (bpp > 8) {
        // True-colour pictures keep their pixels; the table only names a palette.
        table.clear();
        return;
    }
    if (width > 0 && height > 0) constScanLine(0);  // indexes stay, colours change
    table = std::move(colours);
    table.resize(static_cast<std::size_t>(TableSizeFor(bpp)), qRgb(0, 0, 0));
    rgbValid = false;
    if (palette != nullptr) {
        auto* p = AsPalette(palette);
        p->entries.clear();
        for (QRgb c : table) p->entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)), 0});
    }
}

HPALETTE BitmapObj::paletteHandle() {
    if (palette == nullptr && !paletteReleased && bpp <= 8 && !table.empty()) {
        auto* p = new PaletteObj;
        for (QRgb c : table) p->entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)), 0});
        palette = p;
    }
    return palette;
}

BitmapObj* NewBitmapFromImage(const QImage& img, int bpp) {
    auto* b = new BitmapObj;
    if (img.isNull()) {
        b->reset(0, 0, bpp, DefaultTable(bpp));
        return b;
    }
    const bool indexed = img.format() == QImage::Format_Indexed8 || img.format() == QImage::Format_Mono ||
                         img.format() == QImage::Format_MonoLSB;
    if (indexed && bpp <= 8) {
        // Keep the indexes as they are: tables may hold the same colour twice.
        QImage idx = img.convertToFormat(QImage::Format_Indexed8);
        const QList<QRgb> colours = idx.colorTable();
        std::vector<QRgb> table(colours.begin(), colours.end());
        b->width = img.width();
        b->height = img.height();
        b->bpp = bpp;
        table.resize(static_cast<std::size_t>(TableSizeFor(bpp)), qRgb(0, 0, 0));
        b->table = table;
        const int st = b->stride();
        b->dib.assign(static_cast<std::size_t>(st) * static_cast<std::size_t>(b->height), 0);
        const int maxIdx = TableSizeFor(bpp) - 1;
        for (int y = 0; y < b->height; ++y) {
            const uchar* in = idx.constScanLine(y);
            uchar* row = b->dib.data() + static_cast<std::ptrdiff_t>(y) * st;
            for (int x = 0; x < b->width; ++x) SetIndex(row, x, bpp, std::min<int>(in[x], maxIdx));
        }
        b->dibValid = true;
        b->rgbValid = false;
        return b;
    }
    b->width = img.width();
    b->height = img.height();
    b->bpp = bpp;
    b->rgb = img.convertToFormat(QImage::Format_RGB32);
    b->rgbValid = true;
    b->dibValid = false;
    if (bpp <= 8) {
        b->table = DefaultTable(bpp);
        b->quantize(b->rgb.rect());
    }
    return b;
}

std::size_t DIBInfoSize(const BITMAPINFOHEADER& h) {
    std::size_t colours = 0;
    if (h.biBitCount <= 8) colours = h.biClrUsed != 0 ? std::min<std::size_t>(h.biClrUsed, 1u << h.biBitCount) : (1u << h.biBitCount);
    std::size_t masks = (h.biCompression == BI_BITFIELDS && h.biSize == 40) ? 12 : 0;
    return h.biSize + masks + colours * 4;
}

QImage DecodeDIB(const void* bits, const BITMAPINFO* info, UINT usage, HDC dc, bool* mono) {
    if (mono != nullptr) *mono = false;
    if (bits == nullptr || info == nullptr) return QImage();
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int bpp = h.biBitCount;
    if (h.biSize < 40 || h.biSize > 124 || !SaneSize(h.biWidth, std::llabs(static_cast<long long>(h.biHeight)))) return QImage();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return QImage();
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))) return QImage();
    const int w = h.biWidth, hh = std::abs(h.biHeight);
    const bool bottomUp = h.biHeight > 0;
    const auto* base = reinterpret_cast<const std::uint8_t*>(info) + h.biSize;

    std::vector<QRgb> table;
    if (bpp <= 8) {
        std::size_t n = h.biClrUsed != 0 ? std::min<std::size_t>(h.biClrUsed, 1u << bpp) : (1u << bpp);
        if (usage == DIB_PAL_COLORS) {
            auto* pal = dc != nullptr ? AsPalette(dc->st.palette) : nullptr;
            const auto* idx = reinterpret_cast<const std::uint16_t*>(base);
            for (std::size_t i = 0; i < n; ++i) {
                if (pal != nullptr && idx[i] < pal->entries.size()) {
                    const auto& e = pal->entries[idx[i]];
                    table.push_back(qRgb(e.peRed, e.peGreen, e.peBlue));
                } else {
                    table.push_back(qRgb(0, 0, 0));
                }
            }
        } else {
            for (std::size_t i = 0; i < n; ++i) table.push_back(qRgb(base[4 * i + 2], base[4 * i + 1], base[4 * i]));
        }
        table.resize(1u << bpp, qRgb(0, 0, 0));
        if (mono != nullptr) *mono = bpp == 1;
    }
    std::uint32_t rm = 0x7C00, gm = 0x03E0, bm = 0x001F;
    if (bpp == 32) {
        rm = 0xFF0000;
        gm = 0xFF00;
        bm = 0xFF;
    }
    if (h.biCompression == BI_BITFIELDS) {
        const std::uint8_t* m = base;
        rm = Rd32(m);
        gm = Rd32(m + 4);
        bm = Rd32(m + 8);
    }
    auto channel = [](std::uint32_t v, std::uint32_t mask) -> int {
        if (mask == 0) return 0;
        int shift = 0;
        while (((mask >> shift) & 1u) == 0) ++shift;
        std::uint32_t top = mask >> shift;
        return static_cast<int>(((v & mask) >> shift) * 255u / top);
    };

    QImage out(w, hh, QImage::Format_RGB32);
    const long long stride = ((static_cast<long long>(w) * bpp + 31) / 32) * 4;
    const auto* src = reinterpret_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < hh; ++y) {
        const std::uint8_t* row = src + stride * (bottomUp ? (hh - 1 - y) : y);
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (bpp) {
                case 1:
                case 4:
                case 8: o[x] = TableAt(table, GetIndex(row, x, bpp)); break;
                case 16: {
                    std::uint32_t v = Rd16(row + 2 * x);
                    o[x] = qRgb(channel(v, rm), channel(v, gm), channel(v, bm));
                    break;
                }
                case 24: o[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                case 32: {
                    std::uint32_t v = Rd32(row + 4 * x);
                    o[x] = qRgb(channel(v, rm), channel(v, gm), channel(v, bm));
                    break;
                }
            }
        }
    }
    return out;
}

QImage ImageOf(HBITMAP bmp) {
    auto* b = AsBitmap(bmp);
    if (b == nullptr) return QImage();
    return b->image();
}

HBITMAP CreateBitmapFromImage(const QImage& img) { return NewBitmapFromImage(img, 24); }


}  // namespace detail

using namespace detail;

// ---- Bitmap API ------------------------------------------------------------------------
static bool DCIsMono(HDC dc) {
    if (dc == nullptr || dc->kind != DCKind::Memory) return false;
    auto* b = AsBitmap(dc->st.bitmap);
    return b != nullptr && b->bpp == 1;
}

HBITMAP CreateBitmap(int w, int h, UINT planes, UINT bitCount, const void* bits) {
    if (w < 0 || h < 0 || (w > 0 && h > 0 && !SaneSize(w, h))) return nullptr;
    int depth = static_cast<int>(planes * bitCount);
    int bpp = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : depth == 32 ? 32 : 24;
    auto* b = new BitmapObj;
    b->ddb = true;
    b->reset(w, h, bpp, DefaultTable(bpp));
    if (bits != nullptr && w > 0 && h > 0) {
        // Device-dependent rows are padded to 16 bits.
        const int srcStride = ((w * depth + 15) / 16) * 2;
        const auto* src = static_cast<const std::uint8_t*>(bits);
        if (bpp <= 8 && depth == bpp) {
            const int st = b->stride();
            b->dib.assign(static_cast<std::size_t>(st) * static_cast<std::size_t>(h), 0);
            for (int y = 0; y < h; ++y)
                std::memcpy(b->dib.data() + static_cast<std::ptrdiff_t>(y) * st, src + static_cast<std::ptrdiff_t>(y) * srcStride,
                            static_cast<std::size_t>(std::min(st, srcStride)));
            b->dibValid = true;
            b->rgbValid = false;
        } else if (depth == 24 || depth == 32) {
            QImage& img = b->imageForWrite();
            const int bytes = depth / 8;
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* row = src + static_cast<std::ptrdiff_t>(y) * srcStride;
                auto* o = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < w; ++x) o[x] = qRgb(row[bytes * x + 2], row[bytes * x + 1], row[bytes * x]);
            }
        }
    }
    return b;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h) {
    if (w <= 0 || h <= 0) return CreateBitmap(1, 1, 1, 1, nullptr);
    if (!SaneSize(w, h)) return nullptr;
    auto* b = new BitmapObj;
    b->ddb = true;
    if (DCIsMono(dc)) b->reset(w, h, 1, DefaultTable(1));
    else b->reset(w, h, 24, {});
    return b;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
    if (header == nullptr) return nullptr;
    int w = header->biWidth, h = std::abs(header->biHeight);
    if (!SaneSize(w, h)) return nullptr;
    auto* b = new BitmapObj;
    b->ddb = true;
    if (DCIsMono(dc)) b->reset(w, h, 1, DefaultTable(1));
    else b->reset(w, h, 24, {});
    if ((init & CBM_INIT) && bits != nullptr && info != nullptr) {
        if (SetDIBits(dc, b, 0, static_cast<UINT>(h), bits, info, usage) == 0) {
            delete b;
            return nullptr;
        }
    }
    return b;
}

int GetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
    auto* b = AsBitmap(bmp);
    if (b == nullptr || info == nullptr || info->bmiHeader.biSize < 40) return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0) {
        // Describe the bitmap only.
        const bool topDown = h.biHeight < 0;
        h.biWidth = b->width;
        h.biHeight = topDown ? -b->height : b->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(b->bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(b->stride() * b->height);
        h.biClrUsed = 0;
        return b->height > 0 ? 1 : 0;
    }
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
    if (b->width <= 0 || b->height <= 0) return 0;
    const bool topDown = h.biHeight < 0;
    h.biWidth = b->width;
    h.biHeight = topDown ? -b->height : b->height;
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    const int outBpp = bpp;
    const int stride = ((b->width * outBpp + 31) / 32) * 4;
    h.biSizeImage = static_cast<DWORD>(stride * b->height);

    // The colour table: the bitmap's own at the same depth, else the DC's palette.
    std::vector<QRgb> table;
    if (outBpp <= 8) {
        if (b->bpp == outBpp && !b->table.empty()) {
            table = b->table;
        } else {
            auto* pal = dc != nullptr ? AsPalette(dc->st.palette) : nullptr;
            if (pal != nullptr && !pal->Stock && pal->entries.size() >= 2) {
                for (std::size_t i = 0; i < pal->entries.size() && i < (1u << outBpp); ++i)
                    table.push_back(qRgb(pal->entries[i].peRed, pal->entries[i].peGreen, pal->entries[i].peBlue));
            } else {
                table = DefaultTable(outBpp);
            }
            table.resize(1u << outBpp, qRgb(0, 0, 0));
        }
        h.biClrUsed = 0;
        if (usage == DIB_PAL_COLORS) {
            auto* idx = reinterpret_cast<std::uint16_t*>(info->bmiColors);
            for (std::size_t i = 0; i < table.size(); ++i) idx[i] = static_cast<std::uint16_t>(i);
        } else {
            for (std::size_t i = 0; i < table.size(); ++i)
                info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(qBlue(table[i])), static_cast<BYTE>(qGreen(table[i])),
                                             static_cast<BYTE>(qRed(table[i])), 0};
        }
    }
    if (bits == nullptr) return b->height;
    if (start >= static_cast<UINT>(b->height)) return 0;
    const int n = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(b->height) - start));
    auto* out = static_cast<std::uint8_t*>(bits);
    const bool sameIndexes = outBpp <= 8 && b->bpp == outBpp;
    for (int i = 0; i < n; ++i) {
        // Scan line `start + i` counts from the bottom for bottom-up output.
        int scan = static_cast<int>(start) + i;
        int srcRow = topDown ? scan : b->height - 1 - scan;
        std::uint8_t* dst = out + static_cast<std::ptrdiff_t>(i) * stride;
        if (sameIndexes || outBpp == b->bpp) {
            std::memcpy(dst, b->constScanLine(srcRow), static_cast<std::size_t>(stride));
        } else {
            EncodeRows(b->image(), outBpp, table, dst, stride, srcRow, 1);
        }
    }
    return n;
}

int SetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    auto* b = AsBitmap(bmp);
    if (b == nullptr || bits == nullptr || info == nullptr) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < 40 || h.biSize > 124 || h.biWidth != b->width || h.biHeight == 0 ||
        !SaneSize(h.biWidth, std::llabs(static_cast<long long>(h.biHeight))))
        return 0;
    const int dibH = std::abs(h.biHeight);
    if (start >= static_cast<UINT>(dibH)) return 0;
    // Same depth and table: copy indexes as they are.
    if (b->bpp <= 8 && h.biBitCount == b->bpp && h.biCompression == BI_RGB && usage == DIB_RGB_COLORS &&
        dibH == b->height) {
        bool mono = false;
        QImage check = DecodeDIB(bits, info, usage, dc, &mono);
        if (check.isNull()) return 0;
        std::vector<QRgb> table;
        const auto* base = reinterpret_cast<const std::uint8_t*>(info) + h.biSize;
        std::size_t n = h.biClrUsed != 0 ? std::min<std::size_t>(h.biClrUsed, 1u << b->bpp) : (1u << b->bpp);
        for (std::size_t i = 0; i < n; ++i) table.push_back(qRgb(base[4 * i + 2], base[4 * i + 1], base[4 * i]));
        table.resize(1u << b->bpp, qRgb(0, 0, 0));
        if (table == b->table) {
            const int st = b->stride();
            const auto* src = static_cast<const std::uint8_t*>(bits);
            const int cnt = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(dibH) - start));
            for (int i = 0; i < cnt; ++i) {
                int scan = static_cast<int>(start) + i;
                int row = h.biHeight < 0 ? scan : b->height - 1 - scan;
                std::memcpy(b->scanLine(row), src + static_cast<std::ptrdiff_t>(i) * st, static_cast<std::size_t>(st));
            }
            return cnt;
        }
    }
    // General path: decode the given lines into a full-size DIB view and copy them.
    BITMAPINFOHEADER part = h;
    const int cnt = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(dibH) - start));
    part.biHeight = h.biHeight < 0 ? -cnt : cnt;
    std::vector<std::uint8_t> infoCopy(DIBInfoSize(h));
    std::memcpy(infoCopy.data(), info, infoCopy.size());
    std::memcpy(infoCopy.data(), &part, sizeof(part));
    bool mono = false;
    QImage img = DecodeDIB(bits, reinterpret_cast<const BITMAPINFO*>(infoCopy.data()), usage, dc, &mono);
    if (img.isNull()) return 0;
    QImage& dst = b->imageForWrite();
    for (int i = 0; i < cnt; ++i) {
        int scan = static_cast<int>(start) + i;
        int row = h.biHeight < 0 ? scan : b->height - 1 - scan;
        int imgRow = h.biHeight < 0 ? i : cnt - 1 - i;
        if (row < 0 || row >= b->height) continue;
        std::memcpy(dst.scanLine(row), img.constScanLine(imgRow), static_cast<std::size_t>(b->width) * 4);
    }
    if (b->bpp <= 8) b->quantize(dst.rect());
    return cnt;
}

// ---- TBitmap ---------------------------------------------------------------------------
namespace {

// The canvas of a bitmap: a memory DC with the bitmap selected, made on demand.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) {}
    ~TBitmapCanvas() override { FreeContext(); }
    void FreeContext() {
        if (FHandle == nullptr) return;
        HDC dc = FHandle;
        SetHandle(nullptr);
        SelectObject(dc, StockBitmap());
        DeleteDC(dc);
    }

protected:
    void CreateHandle() override {
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, FOwner->Handle());
        if (HPALETTE pal = FOwner->Palette()) SelectPalette(dc, pal, TRUE);
        SetHandle(dc);
    }

private:
    TBitmap* FOwner;
};

}  // namespace

BitmapObj* BitmapAccess::Obj(TBitmap* b) { return AsBitmap(b->Handle()); }
HBITMAP BitmapAccess::Handle(const TBitmap& b) { return b.FHandle; }

void BitmapAccess::Adopt(TBitmap* b, BitmapObj* obj) {
    // Move the picture into the bitmap's own object so that DCs holding it stay valid.
    BitmapObj* mine = AsBitmap(b->Handle());
    mine->width = obj->width;
    mine->height = obj->height;
    mine->bpp = obj->bpp;
    mine->ddb = obj->ddb;
    mine->table = std::move(obj->table);
    mine->rgb = std::move(obj->rgb);
    mine->dib = std::move(obj->dib);
    mine->rgbValid = obj->rgbValid;
    mine->dibValid = obj->dibValid;
    mine->paletteReleased = false;
    if (mine->palette != nullptr) {
        auto* p = AsPalette(mine->palette);
        p->entries.clear();
        for (QRgb c : mine->table) p->entries.push_back(PALETTEENTRY{static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)), 0});
    }
    delete obj;
    b->Changed();
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    FCanvas.reset();
    if (FHandle != nullptr) DeleteObject(FHandle);
}

static BitmapObj* Obj(HBITMAP h) { return AsBitmap(h); }

HBITMAP TBitmap::Handle() {
    if (FHandle == nullptr) {
        auto* b = new BitmapObj;
        b->ddb = true;
        b->reset(0, 0, 24, {});
        FHandle = b;
    }
    return FHandle;
}

void TBitmap::SetHandle(HBITMAP h) {
    if (h == FHandle) return;
    DropCanvas();
    if (FHandle != nullptr) DeleteObject(FHandle);
    FHandle = h;
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    HBITMAP h = Handle();
    DropCanvas();
    FHandle = nullptr;
    Changed();
    return h;
}

void TBitmap::DropCanvas() {
    if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
}

// The canvas is a cache of the bitmap's DC: making it for a reader leaves
// the picture as it is.
TCanvas* TBitmap::ReadCanvas() const { return const_cast<TBitmap*>(this)->Canvas(); }

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChange = [this](TObject*) { Changed(); };
    }
    return FCanvas.get();
}

bool TBitmap::Empty() const { return FHandle == nullptr || Obj(FHandle)->width == 0 || Obj(FHandle)->height == 0; }
int TBitmap::Width() const { return FHandle ? Obj(FHandle)->width : 0; }
int TBitmap::Height() const { return FHandle ? Obj(FHandle)->height : 0; }
void TBitmap::SetWidth(int v) { SetSize(v, Height()); }
void TBitmap::SetHeight(int v) { SetSize(Width(), v); }

void TBitmap::SetSize(int w, int h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == Width() && h == Height()) return;
    if (w > 0 && h > 0 && !SaneSize(w, h)) throw EOutOfResources("Out of Resources");
    BitmapObj* b = Obj(Handle());
    QImage old = b->width > 0 && b->height > 0 ? b->image() : QImage();
    std::vector<QRgb> table = b->table;
    b->reset(w, h, b->bpp, table);
    if (!old.isNull() && w > 0 && h > 0) {
        QImage& img = b->imageForWrite();
        const int cw = std::min(w, old.width()), ch = std::min(h, old.height());
        for (int y = 0; y < ch; ++y)
            std::memcpy(img.scanLine(y), old.constScanLine(y), static_cast<std::size_t>(cw) * 4);
    }
    Changed();
}

TPixelFormat TBitmap::PixelFormat() const {
    if (FHandle == nullptr) return pfDevice;
    BitmapObj* b = Obj(FHandle);
    // A two-colour picture reports one bit whatever kind of handle holds it.
    if (b->ddb && b->bpp != 1) return pfDevice;
    switch (b->bpp) {
        case 1: return pf1bit;
        case 4: return pf4bit;
        case 8: return pf8bit;
        case 32: return pf32bit;
        default: return pf24bit;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat v) {
    if (v == PixelFormat()) return;
    BitmapObj* b = Obj(Handle());
    int bpp;
    switch (v) {
        case pf1bit: bpp = 1; break;
        case pf4bit: bpp = 4; break;
        case pf8bit: bpp = 8; break;
        case pf32bit: bpp = 32; break;
        default: bpp = 24; break;
    }
    bool ddb = v == pfDevice;
    if (bpp == b->bpp && !(bpp == 24 && ddb != b->ddb)) {
        b->ddb = ddb;
        Changed();
        return;
    }
    std::vector<QRgb> table = (bpp <= 8 && b->bpp == bpp) ? b->table : DefaultTable(bpp);
    // An 8-bit picture with its own palette keeps it when reduced to 8 bits.
    if (bpp == 8 && b->bpp < 8 && !b->table.empty()) {
        table = b->table;
        table.resize(256, qRgb(0, 0, 0));
    }
    b->convert(bpp, table);
    b->ddb = ddb;
    Changed();
}

TBitmapHandleType TBitmap::HandleType() const { return (FHandle == nullptr || Obj(FHandle)->ddb) ? bmDDB : bmDIB; }

void TBitmap::SetHandleType(TBitmapHandleType v) {
    if (v == HandleType()) return;
    Obj(Handle())->ddb = v == bmDDB;
    Changed();
}

void* TBitmap::ScanLine(int row) {
    if (row < 0 || row >= Height()) throw EInvalidGraphicOperation("Scan line index out of range");
    return Obj(Handle())->scanLine(row);
}

const void* TBitmap::ScanLine(int row) const {
    if (row < 0 || row >= Height()) throw EInvalidGraphicOperation("Scan line index out of range");
    return Obj(FHandle)->constScanLine(row);
}

bool TBitmap::Monochrome() const { return FHandle != nullptr && Obj(FHandle)->bpp == 1; }

void TBitmap::SetMonochrome(bool v) {
    if (v == Monochrome()) return;
    BitmapObj* b = Obj(Handle());
    if (v) {
        // As a block transfer to a two-colour surface does it: the background
        // colour (white) becomes 1, everything else 0.
        const QImage& img = b->image();
        QImage mono(img.size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            auto* out = reinterpret_cast<QRgb*>(mono.scanLine(y));
            for (int x = 0; x < img.width(); ++x) out[x] = (in[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFF : 0xFF000000;
        }
        b->rgb = mono;
        b->rgbValid = true;
        b->dibValid = false;
        b->bpp = 1;
        b->table = DefaultTable(1);
        b->ddb = true;
    } else {
        b->convert(24, {});
        b->ddb = true;
    }
    Changed();
}

HPALETTE TBitmap::Palette() {
    if (FHandle == nullptr) return nullptr;
    return Obj(FHandle)->paletteHandle();
}

void TBitmap::SetPalette(HPALETTE pal) {
    BitmapObj* b = Obj(Handle());
    auto* p = AsPalette(pal);
    if (p != nullptr && b->bpp <= 8) {
        std::vector<QRgb> t;
        for (const auto& e : p->entries) t.push_back(qRgb(e.peRed, e.peGreen, e.peBlue));
        b->setTable(t);
    }
    if (b->palette != nullptr && b->palette != pal) DeleteObject(b->palette);
    b->palette = pal;
    b->paletteReleased = false;
    Changed();
}

HPALETTE TBitmap::ReleasePalette() {
    if (FHandle == nullptr) return nullptr;
    BitmapObj* b = Obj(FHandle);
    HPALETTE p = b->paletteHandle();
    b->palette = nullptr;
    b->paletteReleased = true;
    return p;
}

TColor TBitmap::TransparentColor() {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    if (Empty()) return clDefault;
    BitmapObj* b = Obj(FHandle);
    const QImage& img = b->image();
    return static_cast<TColor>(FromQRgb(reinterpret_cast<const QRgb*>(img.constScanLine(b->height - 1))[0]));
}

void TBitmap::SetTransparentColor(TColor v) {
    if (v == FTransparentColor && FTransparentMode == tmFixed) return;
    FTransparentColor = v;
    FTransparentMode = v == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode v) {
    if (v == FTransparentMode) return;
    if (v == tmAuto) FTransparentColor = clDefault;
    else FTransparentColor = TransparentColor();
    FTransparentMode = v;
    Changed();
}

void TBitmap::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        BitmapObj* b = Obj(Handle());
        b->reset(0, 0, 24, {});
        b->ddb = true;
        Changed();
        return;
    }
    if (auto* src = dynamic_cast<TBitmap*>(Source)) {
        if (src == this) return;
        BitmapObj* from = Obj(src->Handle());
        auto* copy = new BitmapObj;
        copy->width = from->width;
        copy->height = from->height;
        copy->bpp = from->bpp;
        copy->ddb = from->ddb;
        copy->table = from->table;
        copy->rgb = from->rgb;  // implicitly shared
        copy->dib = from->dib;
        copy->rgbValid = from->rgbValid;
        copy->dibValid = from->dibValid;
        FTransparent = src->FTransparent;
        FTransparentColor = src->FTransparentColor;
        FTransparentMode = src->FTransparentMode;
        BitmapAccess::Adopt(this, copy);
        return;
    }
    if (auto* pic = dynamic_cast<TPicture*>(Source)) {
        Assign(pic->Graphic());
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty() || canvas == nullptr) return;
    HDC dc = canvas->Handle();
    BitmapObj* b = Obj(Handle());
    BlitSource s;
    s.image = &b->image();
    s.mono = b->bpp == 1;
    s.monoOne = b->table.size() > 1 ? b->table[1] : 0xFFFFFFFF;
    // A monochrome picture draws black and white whatever the canvas colours are.
    COLORREF oldText = 0, oldBk = 0;
    if (s.mono) {
        oldText = SetTextColor(dc, 0);
        oldBk = SetBkColor(dc, 0xFFFFFF);
    }
    if (FTransparent) {
        QRgb tc = ResolveColor(dc, ColorToRef(TransparentColor()));
        BlitCore(dc, r.Left, r.Top, r.Width(), r.Height(), &s, 0, 0, b->width, b->height, SRCCOPY, &tc);
    } else {
        BlitCore(dc, r.Left, r.Top, r.Width(), r.Height(), &s, 0, 0, b->width, b->height, canvas->CopyMode(),
                 nullptr);
    }
    if (s.mono) {
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBk);
    }
}

void TBitmap::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) throw EInvalidGraphic("Bitmap image is not valid");
    BitmapObj* b = ReadBmp(data, size);
    b->ddb = false;
    BitmapAccess::Adopt(this, b);
}

void TBitmap::LoadFromStream(TStream* stream) {
    if (stream == nullptr) throw EReadError("Stream read error");
    const std::int64_t start = stream->Position();
    const std::int64_t left = stream->Size() - start;
    std::uint8_t head[14] = {};
    std::int64_t size = left;
    if (left >= 14 && stream->Read(head, 14) == 14) {
        const std::uint32_t fileSize = Rd32(head + 2);
        if (head[0] == 'B' && head[1] == 'M' && fileSize >= 26 && fileSize <= left) size = fileSize;
    }
    stream->SetPosition(start);
    if (size <= 0 || size > (std::int64_t{1} << 30)) throw EInvalidGraphic("Bitmap image is not valid");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    stream->ReadBuffer(data.data(), static_cast<int>(size));
    LoadFromBytes(data.data(), data.size());
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() {
    BitmapObj* b = Obj(Handle());
    if (b->width <= 0 || b->height <= 0) return {};
    return WriteBmp(b);
}

void TBitmap::LoadFromResourceName(const String& name) {
    std::vector<std::uint8_t> bytes = LoadResource(name, RT_BITMAP);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        LoadFromBytes(bytes.data(), bytes.size());
        return;
    }
    // A bare DIB (as resource compilers store bitmaps): give it a file header.
    if (bytes.size() < 40) throw EInvalidGraphic("Bitmap image is not valid");
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes.data(), sizeof(h));
    std::vector<std::uint8_t> file;
    std::size_t info = h.biSize >= 40 ? DIBInfoSize(h) : 40;
    file.push_back('B');
    file.push_back('M');
    Wr32(file, static_cast<std::uint32_t>(14 + bytes.size()));
    Wr32(file, 0);
    Wr32(file, static_cast<std::uint32_t>(14 + info));
    file.insert(file.end(), bytes.begin(), bytes.end());
    LoadFromBytes(file.data(), file.size());
}

void TBitmap::LoadFromResourceID(int id) { LoadFromResourceName(std::to_string(id)); }

void TBitmap::Mask(TColor transparentColor) {
    if (Empty()) return;
    BitmapObj* b = Obj(Handle());
    QRgb key = ResolveColor(nullptr, ColorToRef(transparentColor)) & 0xFFFFFF;
    const QImage& img = b->image();
    QImage mono(img.size(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(mono.scanLine(y));
        for (int x = 0; x < img.width(); ++x) out[x] = (in[x] & 0xFFFFFF) == key ? 0xFFFFFFFF : 0xFF000000;
    }
    b->rgb = mono;
    b->rgbValid = true;
    b->dibValid = false;
    b->bpp = 1;
    b->table = DefaultTable(1);
    Changed();
}

}  // namespace gui
