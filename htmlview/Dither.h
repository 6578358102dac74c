// Colour reduction of true-colour pictures to an 8-bit palette by
// Floyd-Steinberg error diffusion over a serpentine scan, with a cached
// nearest-colour lookup.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gui/Gdi.h"
#include "gui/Graphics.h"
#include "gui/Types.h"

namespace htmlview {

// Raised by the DIB helpers of this unit (and by the GIF decoder's bitmap
// building); carries a message.
class GIFException : public gui::Exception {
    using gui::Exception::Exception;
};

// ---- Bitmap access -------------------------------------------------------------

// Base of the scan-line access helpers: the bitmap and the pixel format asked for.
class TDIB : public gui::TObject {
public:
    TDIB(gui::TBitmap* ABitmap, gui::TPixelFormat APixelFormat);
    virtual void* ScanLine(int Row) = 0;

protected:
    gui::TBitmap* FBitmap;
    gui::TPixelFormat FPixelFormat;
};

// Converts the bitmap itself to the requested format and hands out its rows.
class TDIBReader : public TDIB {
public:
    TDIBReader(gui::TBitmap* ABitmap, gui::TPixelFormat APixelFormat);
    void* ScanLine(int Row) override;
};

// A private pixel buffer in DIB layout that is stored back into the bitmap
// by Commit (and, failing that, on destruction).
class TDIBWriter : public TDIB {
public:
    TDIBWriter(gui::TBitmap* ABitmap, gui::TPixelFormat APixelFormat);
    ~TDIBWriter() override;
    void* ScanLine(int Row) override;
    // Writes the buffer into the bitmap now; errors propagate.
    void Commit();

private:
    void CreateDIB();
    void FreeDIB();
    std::vector<std::uint8_t> FInfo;  // BITMAPINFOHEADER + colour table or masks
    std::vector<std::uint8_t> FBits;
    int FRowSize = 0;
    int FHeight = 0;
    bool FBottomUp = true;
    bool FMade = false;
};

// Size of a BITMAPINFO block for the format: 40 + 4 * 2^bits up to 8 bits,
// 40 above (52 with bit-field masks). GIFException "Invalid pixel format".
int BitmapInfoSize(int bits, bool bitFields = false);
int BitsOfFormat(gui::TPixelFormat pf);  // 1, 4, 8, 24; 0 for anything else

// ---- Nearest colour --------------------------------------------------------------

class TColorLookup : public gui::TObject {
public:
    explicit TColorLookup(int Colors) : FColors(Colors) {}
    // The palette index nearest to (Red, Green, Blue) and that entry's colour.
    virtual int Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) = 0;
    int Colors() const { return FColors; }

protected:
    int FColors;
};

// Nearest colour by the sum of channel distances, cached per 15-bit colour cell.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(gui::HPALETTE Palette);
    TFastColorLookup(const gui::PALETTEENTRY* Entries, int Count);
    int Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) override;
    const gui::PALETTEENTRY& Entry(int i) const { return FPaletteEntries[static_cast<std::size_t>(i)]; }

    static int CellIndex(int Red, int Green, int Blue) {
        return (Red >> 3) | ((Green >> 3) << 5) | ((Blue >> 3) << 10);
    }

private:
    void Init(const gui::PALETTEENTRY* Entries, int Count);
    std::array<gui::PALETTEENTRY, 256> FPaletteEntries{};
    std::vector<std::int16_t> FInverseLookup;  // 32768 entries, -1 = empty
};

// ---- Error diffusion --------------------------------------------------------------

class TDitherEngine : public gui::TObject {
public:
    TDitherEngine(int AWidth, TColorLookup* Lookup);
    // Palette index for one pixel; moves the column one step.
    virtual int Dither(int Red, int Green, int Blue, int& R, int& G, int& B);
    virtual void NextLine();

    int Direction() const { return FDirection; }
    int Column() const { return FColumn; }
    int Width() const { return FWidth; }

protected:
    int FDirection = 1;
    int FColumn = 0;
    TColorLookup* FLookup;
    int FWidth;
};

class TFloydSteinbergEngine : public TDitherEngine {
public:
    TFloydSteinbergEngine(int AWidth, TColorLookup* Lookup);
    int Dither(int Red, int Green, int Blue, int& R, int& G, int& B) override;
    void NextLine() override;

private:
    // Error rows of width + 2 entries, seen through cursors.
    std::vector<std::int32_t> FErrors[3];
    int FCursor = 0;
    // Per channel: current, below, below-behind.
    int FCurrent[3] = {0, 0, 0};
    int FBelow[3] = {0, 0, 0};
    int FBelowBehind[3] = {0, 0, 0};
};

// Dithers rows of 24-bit pixels (blue, green, red) to palette indexes.
// `src(y)` and `dst(y)` give row y. Returns false (nothing written) when the
// palette is empty.
bool DitherRows(int Width, int Height, const gui::PALETTEENTRY* Palette, int Count,
                const std::uint8_t* Src, int SrcStride, std::uint8_t* Dst, int DstStride);

// ---- Whole bitmaps ------------------------------------------------------------------

// A new 8-bit bitmap with (a copy of) `Palette`, dithered from `Source`
// (which is converted to 24 bits per pixel). The caller owns both.
gui::TBitmap* ReduceBitmap(gui::TBitmap* Source, gui::HPALETTE Palette);

// The screen form of a picture for displays of `ColorBits` (4 or 8) with the
// viewer's `SharedPalette`: nullptr when `Graphic` is no bitmap or is empty;
// a plain copy of a device-dependent bitmap; else a reduced one. The caller
// owns the result.
gui::TBitmap* DitherForScreen(gui::TGraphic* Graphic, int ColorBits, gui::HPALETTE SharedPalette);

// A new palette with the entries of `Palette` (nullptr when it has none).
gui::HPALETTE CopyPalette(gui::HPALETTE Palette);

}  // namespace htmlview
