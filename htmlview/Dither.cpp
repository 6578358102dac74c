#include "htmlview/Dither.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace htmlview {

using namespace gui;

// ---- Bitmap access -------------------------------------------------------------

int BitsOfFormat(TPixelFormat pf) {
    switch (pf) {
        case pf1bit: return 1;
        case pf4bit: return 4;
        case pf8bit: return 8;
        case pf24bit: return 24;
        default: return 0;
    }
}

int BitmapInfoSize(int bits, bool bitFields) {
    switch (bits) {
        case 1:
        case 4:
        case 8: return 40 + 4 * (1 << bits);
        case 24: return 40;
        case 16:
        case 32: return bitFields ? 52 : 40;
        default: throw GIFException("Invalid pixel format");
    }
}

TDIB::TDIB(TBitmap* ABitmap, TPixelFormat APixelFormat) : FBitmap(ABitmap), FPixelFormat(APixelFormat) {}

TDIBReader::TDIBReader(TBitmap* ABitmap, TPixelFormat APixelFormat) : TDIB(ABitmap, APixelFormat) {
    if (!FBitmap || FBitmap->Empty()) throw GIFException("Bitmap image is not valid");
    FBitmap->SetPixelFormat(APixelFormat);
}

void* TDIBReader::ScanLine(int Row) {
    if (Row < 0 || Row >= FBitmap->Height()) throw EInvalidGraphic("Scan line index out of range");
    return FBitmap->ScanLine(Row);
}

TDIBWriter::TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat) : TDIB(ABitmap, APixelFormat) {}

TDIBWriter::~TDIBWriter() {
    // A writer left without Commit (an error on the way) must not throw here.
    try {
        if (FMade) Commit();
    } catch (...) {
    }
}

void TDIBWriter::FreeDIB() {
    FInfo.clear();
    FBits.clear();
    FMade = false;
}

void TDIBWriter::CreateDIB() {
    if (!FBitmap || FBitmap->Empty()) throw GIFException("Bitmap image is not valid");
    HBITMAP handle = FBitmap->Handle();
    BITMAP bm{};
    if (!handle || GetObjectA(handle, sizeof(bm), &bm) == 0) throw GIFException("Bitmap image is not valid");
    const int bits = BitsOfFormat(FPixelFormat);
    if (bits == 0) throw GIFException("Invalid pixel format");
    const int infoSize = BitmapInfoSize(bits);
    const long long width = bm.bmWidth;
    const long long height = bm.bmHeight < 0 ? -static_cast<long long>(bm.bmHeight) : bm.bmHeight;
    const long long rowSize = (width * bits + 31) / 32 * 4;
    try {
        FInfo.assign(static_cast<std::size_t>(infoSize), 0);
        FBits.assign(static_cast<std::size_t>(rowSize * height), 0);
    } catch (const std::bad_alloc&) {
        FreeDIB();
        throw EOutOfResources("Failed to allocate memory for GIF DIB");
    }
    auto* info = reinterpret_cast<BITMAPINFO*>(FInfo.data());
    info->bmiHeader = BITMAPINFOHEADER{};
    info->bmiHeader.biWidth = static_cast<LONG>(width);
    info->bmiHeader.biHeight = static_cast<LONG>(height);
    info->bmiHeader.biBitCount = static_cast<WORD>(bits);
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = static_cast<DWORD>(rowSize * height);

    HDC dc = CreateCompatibleDC(nullptr);
    HPALETTE pal = FBitmap->Palette();
    HPALETTE oldPal = nullptr;
    if (pal) {
        oldPal = SelectPalette(dc, pal, FALSE);
        RealizePalette(dc);
    }
    const int got = GetDIBits(dc, handle, 0, static_cast<UINT>(height), FBits.data(), info, DIB_RGB_COLORS);
    if (pal) SelectPalette(dc, oldPal, FALSE);
    DeleteDC(dc);
    if (got == 0 && height > 0) {
        FreeDIB();
        throw GIFException("Failed to create DIB from Bitmap");
    }
    if (bits <= 8 && pal) {
        const int tableSize = 1 << bits;
        PALETTEENTRY entries[256];
        const int n = static_cast<int>(GetPaletteEntries(pal, 0, static_cast<UINT>(tableSize), entries));
        RGBQUAD* table = reinterpret_cast<RGBQUAD*>(FInfo.data() + 40);
        for (int i = 0; i < tableSize; ++i) {
            table[i] = RGBQUAD{};
            if (i < n) {
                table[i].rgbBlue = entries[i].peBlue;
                table[i].rgbGreen = entries[i].peGreen;
                table[i].rgbRed = entries[i].peRed;
            }
        }
    }
    FRowSize = static_cast<int>(rowSize);
    FHeight = static_cast<int>(height);
    FBottomUp = true;
    FMade = true;
}

void* TDIBWriter::ScanLine(int Row) {
    if (!FMade) CreateDIB();
    if (FBits.empty() && FHeight > 0) throw GIFException("Image has no DIB");
    if (Row < 0 || Row >= FHeight) throw EInvalidGraphic("Scan line index out of range");
    const int r = FBottomUp ? FHeight - 1 - Row : Row;
    return FBits.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(FRowSize);
}

void TDIBWriter::Commit() {
    if (!FMade) return;
    FMade = false;  // a failed store must not be retried by the destructor
    // Straight into the bitmap: with the same colour table the indexes are kept.
    HDC dc = CreateCompatibleDC(nullptr);
    const int stored = SetDIBits(dc, FBitmap->Handle(), 0, static_cast<UINT>(FHeight), FBits.data(),
                                 reinterpret_cast<const BITMAPINFO*>(FInfo.data()), DIB_RGB_COLORS);
    DeleteDC(dc);
    if (stored == 0 && FHeight > 0) {
        // Otherwise as a BMP file in memory.
        BITMAPFILEHEADER fh{};
        const std::size_t total = sizeof(fh) + FInfo.size() + FBits.size();
        fh.bfType = 19778;
        fh.bfSize = static_cast<DWORD>(total);
        fh.bfOffBits = static_cast<DWORD>(sizeof(fh) + FInfo.size());
        std::vector<std::uint8_t> file(total);
        std::memcpy(file.data(), &fh, sizeof(fh));
        std::memcpy(file.data() + sizeof(fh), FInfo.data(), FInfo.size());
        if (!FBits.empty()) std::memcpy(file.data() + sizeof(fh) + FInfo.size(), FBits.data(), FBits.size());
        HPALETTE keep = CopyPalette(FBitmap->Palette());
        FBitmap->LoadFromBytes(file.data(), file.size());
        if (keep) FBitmap->SetPalette(keep);
    }
    FInfo.clear();
    FBits.clear();
}

// ---- Whole bitmaps ------------------------------------------------------------------

TFastColorLookup::TFastColorLookup(HPALETTE Palette) : TColorLookup(0) {
    PALETTEENTRY entries[256];
    int n = 0;
    if (Palette) n = static_cast<int>(GetPaletteEntries(Palette, 0, 256, entries));
    Init(entries, n);
}


HPALETTE CopyPalette(HPALETTE Palette) {
    if (!Palette) return nullptr;
    PALETTEENTRY entries[256];
    const UINT n = GetPaletteEntries(Palette, 0, 256, entries);
    if (n == 0) return nullptr;
    std::vector<std::uint8_t> buf(4 + 4 * n);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(n);
    std::memcpy(lp->palPalEntry, entries, 4 * n);
    return CreatePalette(lp);
}

std::unique_ptr<TBitmap> ReduceBitmap(TBitmap* Source, HPALETTE Palette) {
    auto result = std::make_unique<TBitmap>();
    try {
        result->SetPixelFormat(pf8bit);
        result->SetSize(Source->Width(), Source->Height());
        if (HPALETTE old = result->ReleasePalette()) DeleteObject(old);
        TDIBReader reader(Source, pf24bit);
        if (HPALETTE copy = CopyPalette(Palette)) result->SetPalette(copy);
        TFastColorLookup lookup(result->Palette());
        if (lookup.Colors() == 0) return result;
        const int width = Source->Width();
        const int height = Source->Height();
        TFloydSteinbergEngine engine(width, &lookup);
        TDIBWriter writer(result.get(), pf8bit);
        int r, g, b;
        for (int y = 0; y < height; ++y) {
            const auto* src = static_cast<const std::uint8_t*>(reader.ScanLine(y));
            auto* dst = static_cast<std::uint8_t*>(writer.ScanLine(y));
            for (int x = engine.Column(); x >= 0 && x < width; x = engine.Column()) {
                const std::uint8_t* p = src + 3 * x;
                dst[x] = static_cast<std::uint8_t>(engine.Dither(p[2], p[1], p[0], r, g, b));
            }
            engine.NextLine();
        }
        writer.Commit();
        return result;
    } catch (...) {
        if (HPALETTE pal = result->ReleasePalette()) DeleteObject(pal);
        throw;
    }
}

std::unique_ptr<TBitmap> DitherForScreen(TGraphic* Graphic, int ColorBits, HPALETTE SharedPalette) {
    auto* bmp = dynamic_cast<TBitmap*>(Graphic);
    if (!bmp || bmp->Empty()) return nullptr;
    if (bmp->HandleType() == bmDDB) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(bmp);
        return copy;
    }
    HPALETTE palette = nullptr;
    if (ColorBits < 8) {
        PALETTEENTRY sys[256];
        GetStandardSystemPalette(sys);
        // The 20 static colours: entries 0-9 and 246-255.
        std::vector<std::uint8_t> buf(4 + 4 * 20);
        auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = 20;
        for (int i = 0; i < 10; ++i) {
            lp->palPalEntry[i] = sys[i];
            lp->palPalEntry[10 + i] = sys[246 + i];
        }
        palette = CreatePalette(lp);
    } else {
        palette = CopyPalette(SharedPalette);
    }
    struct PalGuard {
        HPALETTE p;
        ~PalGuard() {
            if (p) DeleteObject(p);
        }
    } guard{palette};
    return ReduceBitmap(bmp, palette);
}

}  // namespace htmlview
