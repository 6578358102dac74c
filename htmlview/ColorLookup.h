// Nearest-colour lookup and Floyd-Steinberg error diffusion over plain
// pixel rows. Uses only the plain types of the platform layer (no drawing
// and nothing that needs the platform library), so it builds into the
// viewer's GUI-free engine.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gui/draw/Gdi.h"
#include "gui/base/Types.h"

namespace htmlview {

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
    // Defined with the drawing side (Dither.cpp): it reads the palette object.
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

}  // namespace htmlview
