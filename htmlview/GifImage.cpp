// The drawing side of the GIF decoder: bitmaps for the viewer, drawing the
// composite on a canvas and the loaders over streams and files.
#include "htmlview/GifImage.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gui/base/Classes.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlSupport.h"

namespace htmlview {

using namespace gui;

namespace {

// A 32-bit top-down DIB header for a w x h buffer of 0x00RRGGBB pixels.
BITMAPINFO Info32(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(w) * static_cast<DWORD>(h) * 4;
    return bi;
}

// A 24-bit bitmap of w x h whose pixel (x, y) is `at(x, y)` (0x00RRGGBB).
template <typename F>
std::unique_ptr<TBitmap> MakeBitmap(int w, int h, F at) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = at(x, y);
            row[3 * x] = static_cast<std::uint8_t>(c);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    }
    return bmp;
}

// A monochrome bitmap: 1 (white) where `at(x, y)` is true.
template <typename F>
std::unique_ptr<TBitmap> MakeMono(int w, int h, F at) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf1bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
        std::memset(row, 0, static_cast<std::size_t>((w + 7) / 8));
        for (int x = 0; x < w; ++x)
            if (at(x, y)) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    return bmp;
}

bool ReadAll(TStream* Stream, std::vector<std::uint8_t>& bytes) {
    const std::int64_t size = Stream->Size();
    if (size <= 0 || size > (1LL << 30)) return false;
    bytes.resize(static_cast<std::size_t>(size));
    Stream->SetPosition(0);
    Stream->ReadBuffer(bytes.data(), static_cast<int>(size));
    return true;
}

}  // namespace

void TGIFImage::DrawGIF(TCanvas* Canvas, int X, int Y, int W, int H) {
    FDrawnX = X;
    FDrawnY = Y;
    FDrawnW = W;
    FDrawnH = H;
    HDC dc = Canvas->Handle();
    SetStretchBltMode(dc, COLORONCOLOR);
    if (!FShown || FEmpty || FScanOnly || FFrameCount == 0 || FImage.empty() || W <= 0 || H <= 0) return;

    const BITMAPINFO info = Info32(FWidth, FHeight);
    const TgfFrame* first = Frame(1);
    if (!first->Transparent || FMaskSurface.empty()) {
        StretchDIBits(dc, X, Y, W, H, 0, 0, FWidth, FHeight, FImage.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    std::vector<std::uint32_t> mask(FMaskSurface.size());
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = FMaskSurface[i] ? 0xFFFFFFu : 0u;
    auto threeStretches = [&](HDC target, int tx, int ty) {
        StretchDIBits(target, tx, ty, W, H, 0, 0, FWidth, FHeight, FImage.data(), &info, DIB_RGB_COLORS, SRCINVERT);
        StretchDIBits(target, tx, ty, W, H, 0, 0, FWidth, FHeight, mask.data(), &info, DIB_RGB_COLORS, SRCAND);
        StretchDIBits(target, tx, ty, W, H, 0, 0, FWidth, FHeight, FImage.data(), &info, DIB_RGB_COLORS, SRCPAINT);
    };
    const TgfFrame* current = Frame(FCurrentFrame);
    if (current && current->Disposal < 2) {
        if (!FBackground || FBackground->Width() != W || FBackground->Height() != H) {
            FBackground.reset();
            auto bg = std::make_unique<TBitmap>();
            bg->SetPixelFormat(pf24bit);
            bg->SetSize(W, H);
            FBackground = std::move(bg);
            FNeedBackground = true;
        }
        if (FNeedBackground) {
            TCanvas* bc = FBackground->Canvas();
            if (OnPaintBackground) {
                OnPaintBackground(bc, W, H);
            } else {
                bc->Brush()->SetColor(static_cast<TColor>(PALETTE_RELATIVE | static_cast<DWORD>(ColorToRGB(BackgroundColor))));
                bc->Brush()->SetStyle(bsSolid);
                bc->FillRect(Rect(0, 0, W, H));
            }
            FNeedBackground = false;
        }
        HDC bdc = FBackground->Canvas()->Handle();
        SetStretchBltMode(bdc, COLORONCOLOR);
        threeStretches(bdc, 0, 0);
        BitBlt(dc, X, Y, W, H, bdc, 0, 0, SRCCOPY);
    } else {
        threeStretches(dc, X, Y);
    }
}

// The bitmaps cover the frame at its own place: (left + width) x (top + height).
TBitmap* TGIFImage::FirstFrameBitmap() {
    if (FFirstFrameBitmap) return FFirstFrameBitmap.get();
    const TgfFrame* f = Frame(1);
    if (!f || f->Indexes.empty() || FEmpty || FScanOnly) return nullptr;
    const std::uint32_t trans = (static_cast<std::uint32_t>(f->TransRed) << 16) |
                                (static_cast<std::uint32_t>(f->TransGreen) << 8) | f->TransBlue;
    const std::uint32_t outside = f->Transparent ? trans : 0;
    FFirstFrameBitmap = MakeBitmap(f->Left + f->Width, f->Top + f->Height, [&](int x, int y) {
        const int fx = x - f->Left, fy = y - f->Top;
        if (fx < 0 || fy < 0) return outside;
        const std::size_t i = static_cast<std::size_t>(fy) * static_cast<std::size_t>(f->Width) +
                              static_cast<std::size_t>(fx);
        return f->Transparent && f->Mask[i] ? trans : f->PixelAt(i);
    });
    if (HPALETTE pal = CopyPalette(ThePalette())) FFirstFrameBitmap->SetPalette(pal);
    return FFirstFrameBitmap.get();
}

TBitmap* TGIFImage::Frame1Bitmap() {
    if (FFrame1Bitmap) return FFrame1Bitmap.get();
    const TgfFrame* f = Frame(1);
    if (!f || f->Indexes.empty() || FEmpty || FScanOnly) return nullptr;
    FFrame1Bitmap = MakeBitmap(f->Left + f->Width, f->Top + f->Height, [&](int x, int y) {
        const int fx = x - f->Left, fy = y - f->Top;
        if (fx < 0 || fy < 0) return 0u;
        return f->PixelAt(static_cast<std::size_t>(fy) * static_cast<std::size_t>(f->Width) +
                          static_cast<std::size_t>(fx));
    });
    return FFrame1Bitmap.get();
}

TBitmap* TGIFImage::Frame1Mask() {
    if (FFrame1Mask) return FFrame1Mask.get();
    const TgfFrame* f = Frame(1);
    if (!f || f->Indexes.empty() || FEmpty || FScanOnly || !FHasTransparency) return nullptr;
    FFrame1Mask = MakeMono(f->Left + f->Width, f->Top + f->Height, [&](int x, int y) {
        const int fx = x - f->Left, fy = y - f->Top;
        if (fx < 0 || fy < 0) return true;  // nothing drawn there
        if (!f->Transparent) return false;
        return f->Mask[static_cast<std::size_t>(fy) * static_cast<std::size_t>(f->Width) +
                       static_cast<std::size_t>(fx)] != 0;
    });
    return FFrame1Mask.get();
}

bool TGIFImage::LoadFromStream(TStream* Stream) {
    if (!Stream) return false;
    std::vector<std::uint8_t> bytes;
    try {
        if (!ReadAll(Stream, bytes)) {
            ReleaseGIF();
            return false;
        }
    } catch (const Exception&) {
        ReleaseGIF();
        return false;
    }
    return LoadFromBytes(bytes.data(), bytes.size());
}

namespace {

std::unique_ptr<TGIFImage> FromBytes(const std::vector<std::uint8_t>& bytes, bool& SingleFrame) {
    PALETTEENTRY entries[256];
    int count = 0;
    if (HPALETTE pal = ThePalette()) count = static_cast<int>(GetPaletteEntries(pal, 0, 256, entries));
    std::unique_ptr<TGIFImage> img = GIFFromBytes(bytes.data(), bytes.size(), SingleFrame, ColorBits(), entries, count);
    if (!img && BitmapList()) BitmapList()->PurgeCache();
    return img;
}

}  // namespace

std::unique_ptr<TGIFImage> GIFFromStream(TStream* Stream, bool& SingleFrame) {
    SingleFrame = false;
    if (!Stream) return nullptr;
    std::vector<std::uint8_t> bytes;
    try {
        if (!ReadAll(Stream, bytes)) return nullptr;
    } catch (const Exception&) {
        return nullptr;
    }
    return FromBytes(bytes, SingleFrame);
}

std::unique_ptr<TGIFImage> GIFFromFile(const String& FileName, bool& SingleFrame) {
    SingleFrame = false;
    std::vector<std::uint8_t> bytes;
    try {
        TFileStream fs(FileName, fmOpenRead | fmShareDenyNone);
        if (!ReadAll(&fs, bytes)) return nullptr;
    } catch (const Exception&) {
        return nullptr;
    }
    return FromBytes(bytes, SingleFrame);
}

}  // namespace htmlview
