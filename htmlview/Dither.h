// Colour reduction of true-colour pictures to an 8-bit palette by
// Floyd-Steinberg error diffusion over a serpentine scan, with a cached
// nearest-colour lookup.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"
#include "htmlview/ColorLookup.h"

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

// ---- Whole bitmaps ------------------------------------------------------------------

// A new 8-bit bitmap with (a copy of) `Palette`, dithered from `Source`
// (which is converted to 24 bits per pixel).
std::unique_ptr<gui::TBitmap> ReduceBitmap(gui::TBitmap* Source, gui::HPALETTE Palette);

// The screen form of a picture for displays of `ColorBits` (4 or 8) with the
// viewer's `SharedPalette`: nullptr when `Graphic` is no bitmap or is empty;
// a plain copy of a device-dependent bitmap; else a reduced one.
std::unique_ptr<gui::TBitmap> DitherForScreen(gui::TGraphic* Graphic, int ColorBits, gui::HPALETTE SharedPalette);

// A new palette with the entries of `Palette` (nullptr when it has none).
gui::HPALETTE CopyPalette(gui::HPALETTE Palette);

}  // namespace htmlview
