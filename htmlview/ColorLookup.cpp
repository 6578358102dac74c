// Nearest-colour lookup and error diffusion over plain pixel rows; part of
// the GUI-free engine.
#include <algorithm>
#include <cstdlib>

#include "htmlview/ColorLookup.h"

namespace htmlview {

using namespace gui;

// ---- Nearest colour --------------------------------------------------------------

TFastColorLookup::TFastColorLookup(const PALETTEENTRY* Entries, int Count) : TColorLookup(0) {
    Init(Entries, Count);
}

void TFastColorLookup::Init(const PALETTEENTRY* Entries, int Count) {
    FColors = std::clamp(Count, 0, 256);
    for (int i = 0; i < FColors; ++i) FPaletteEntries[static_cast<std::size_t>(i)] = Entries[i];
    FInverseLookup.assign(32768, -1);
    for (int i = 0; i < FColors; ++i) {
        const auto& e = FPaletteEntries[static_cast<std::size_t>(i)];
        auto& slot = FInverseLookup[static_cast<std::size_t>(CellIndex(e.peRed, e.peGreen, e.peBlue))];
        if (slot == -1) slot = static_cast<std::int16_t>(i);
    }
}

int TFastColorLookup::Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) {
    auto& slot = FInverseLookup[static_cast<std::size_t>(CellIndex(Red, Green, Blue))];
    if (slot == -1 && FColors > 0) {
        int best = 196608;
        int bestIndex = 0;
        for (int i = 0; i < FColors; ++i) {
            const auto& e = FPaletteEntries[static_cast<std::size_t>(i)];
            const int dist = std::abs(Red - e.peRed) + std::abs(Green - e.peGreen) + std::abs(Blue - e.peBlue);
            if (dist < best) {
                best = dist;
                bestIndex = i;
            }
        }
        slot = static_cast<std::int16_t>(bestIndex);
    }
    const int index = slot < 0 ? 0 : slot;
    const auto& e = FPaletteEntries[static_cast<std::size_t>(index)];
    R = e.peRed;
    G = e.peGreen;
    B = e.peBlue;
    return index;
}

// ---- Error diffusion --------------------------------------------------------------

TDitherEngine::TDitherEngine(int AWidth, TColorLookup* Lookup) : FLookup(Lookup), FWidth(AWidth) {}

int TDitherEngine::Dither(int Red, int Green, int Blue, int& R, int& G, int& B) {
    const int index = FLookup->Lookup(Red, Green, Blue, R, G, B);
    FColumn += FDirection;
    return index;
}

void TDitherEngine::NextLine() {
    FDirection = -FDirection;
    FColumn = FDirection == 1 ? 0 : FWidth - 1;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int AWidth, TColorLookup* Lookup) : TDitherEngine(AWidth, Lookup) {
    for (auto& row : FErrors) row.assign(static_cast<std::size_t>(std::max(AWidth, 0) + 2), 0);
}

int TFloydSteinbergEngine::Dither(int Red, int Green, int Blue, int& R, int& G, int& B) {
    const int in[3] = {Red, Green, Blue};
    int value[3];
    const std::size_t ahead = static_cast<std::size_t>(FCursor + FDirection);
    for (int c = 0; c < 3; ++c) {
        const int v = in[c] + (FErrors[c][ahead] + FCurrent[c] + 8) / 16;
        value[c] = std::clamp(v, 0, 255);
    }
    const int index = TDitherEngine::Dither(value[0], value[1], value[2], R, G, B);
    const int chosen[3] = {R, G, B};
    for (int c = 0; c < 3; ++c) {
        const int d = value[c] - chosen[c];
        FErrors[c][static_cast<std::size_t>(FCursor)] = FBelowBehind[c] + 3 * d;
        FBelowBehind[c] = FBelow[c] + 5 * d;
        FBelow[c] = d;
        FCurrent[c] = 7 * d;
    }
    FCursor += FDirection;
    return index;
}

void TFloydSteinbergEngine::NextLine() {
    for (int c = 0; c < 3; ++c) {
        FErrors[c][static_cast<std::size_t>(FCursor)] = FBelowBehind[c];
        FCurrent[c] = FBelow[c] = FBelowBehind[c] = 0;
    }
    TDitherEngine::NextLine();
    FCursor = FDirection == 1 ? 0 : FWidth + 1;
}

bool DitherRows(int Width, int Height, const PALETTEENTRY* Palette, int Count, const std::uint8_t* Src,
                int SrcStride, std::uint8_t* Dst, int DstStride) {
    TFastColorLookup lookup(Palette, Count);
    if (lookup.Colors() == 0) return false;
    TFloydSteinbergEngine engine(Width, &lookup);
    int r, g, b;
    for (int y = 0; y < Height; ++y) {
        const std::uint8_t* src = Src + static_cast<std::ptrdiff_t>(y) * SrcStride;
        std::uint8_t* dst = Dst + static_cast<std::ptrdiff_t>(y) * DstStride;
        for (int x = engine.Column(); x >= 0 && x < Width; x = engine.Column()) {
            const std::uint8_t* p = src + 3 * x;
            dst[x] = static_cast<std::uint8_t>(engine.Dither(p[2], p[1], p[0], r, g, b));
        }
        engine.NextLine();
    }
    return true;
}

}  // namespace htmlview
