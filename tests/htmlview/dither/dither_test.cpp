#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "htmlview/ColorLookup.h"

using namespace htmlview;
using gui::PALETTEENTRY;

namespace {

PALETTEENTRY E(int r, int g, int b) {
    PALETTEENTRY e;
    e.peRed = static_cast<std::uint8_t>(r);
    e.peGreen = static_cast<std::uint8_t>(g);
    e.peBlue = static_cast<std::uint8_t>(b);
    return e;
}

// Rows of BGR pixels, all of one colour.
std::vector<std::uint8_t> Flat(int w, int h, int r, int g, int b) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w * h * 3));
    for (int i = 0; i < w * h; ++i) {
        px[3 * i] = static_cast<std::uint8_t>(b);
        px[3 * i + 1] = static_cast<std::uint8_t>(g);
        px[3 * i + 2] = static_cast<std::uint8_t>(r);
    }
    return px;
}

std::vector<PALETTEENTRY> StaticColours() {
    return {E(0, 0, 0),       E(128, 0, 0),     E(0, 128, 0),     E(128, 128, 0),   E(0, 0, 128),
            E(128, 0, 128),   E(0, 128, 128),   E(192, 192, 192), E(192, 220, 192), E(166, 202, 240),
            E(255, 251, 240), E(160, 160, 164), E(128, 128, 128), E(255, 0, 0),     E(0, 255, 0),
            E(255, 255, 0),   E(0, 0, 255),     E(255, 0, 255),   E(0, 255, 255),   E(255, 255, 255)};
}

}  // namespace

TEST(FastColorLookup, ExactFirstEntryWinsAndCellsShareTheAnswer) {
    // Entries 1 and 2 have the same colour: the first one owns the cell.
    PALETTEENTRY pal[] = {E(0, 0, 0), E(200, 100, 50), E(200, 100, 50), E(255, 255, 255)};
    TFastColorLookup lookup(pal, 4);
    int r, g, b;
    EXPECT_EQ(lookup.Lookup(200, 100, 50, r, g, b), 1);
    EXPECT_EQ(r, 200);
    EXPECT_EQ(g, 100);
    EXPECT_EQ(b, 50);
    // Same 8x8x8 cell as an exact colour: answered from the cell.
    EXPECT_EQ(lookup.Lookup(207, 103, 55, r, g, b), 1);
    // A colour in another cell goes to the nearest by the sum of distances.
    EXPECT_EQ(lookup.Lookup(60, 60, 60, r, g, b), 0);
    EXPECT_EQ(lookup.Lookup(180, 180, 180, r, g, b), 3);
    // The first colour to fill an empty cell decides it for the whole cell:
    // 124 grey is nearer to black, 127 grey nearer to white, but both share a cell.
    PALETTEENTRY bw[] = {E(0, 0, 0), E(250, 250, 250)};
    TFastColorLookup two(bw, 2);
    EXPECT_EQ(two.Lookup(124, 124, 124, r, g, b), 0);
    EXPECT_EQ(two.Lookup(127, 127, 127, r, g, b), 0);
}

TEST(FastColorLookup, TiesGoToTheFirstEntry) {
    PALETTEENTRY pal[] = {E(0, 0, 0), E(100, 0, 0), E(0, 100, 0)};
    TFastColorLookup lookup(pal, 3);
    int r, g, b;
    // (50, 50, 0): distance 100 to all three entries.
    EXPECT_EQ(lookup.Lookup(48, 48, 0, r, g, b), 0);
}

TEST(FloydSteinberg, PaletteColoursPassUnchanged) {
    auto pal = StaticColours();
    const int w = 7, h = 5;
    std::vector<std::uint8_t> src(static_cast<std::size_t>(w * h * 3));
    for (int i = 0; i < w * h; ++i) {
        const auto& e = pal[static_cast<std::size_t>(i) % pal.size()];
        src[3 * i] = e.peBlue;
        src[3 * i + 1] = e.peGreen;
        src[3 * i + 2] = e.peRed;
    }
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(w * h), 0xEE);
    ASSERT_TRUE(DitherRows(w, h, pal.data(), static_cast<int>(pal.size()), src.data(), w * 3, dst.data(), w));
    for (int i = 0; i < w * h; ++i) EXPECT_EQ(dst[static_cast<std::size_t>(i)], i % pal.size()) << i;
}

TEST(FloydSteinberg, WorkedExampleOnBlackAndWhite) {
    // Grey 100 on black/white: the first row runs left to right, the second
    // right to left with the error the first one left below.
    PALETTEENTRY bw[] = {E(0, 0, 0), E(255, 255, 255)};
    auto src = Flat(2, 2, 100, 100, 100);
    std::vector<std::uint8_t> dst(4, 0xEE);
    ASSERT_TRUE(DitherRows(2, 2, bw, 2, src.data(), 6, dst.data(), 2));
    EXPECT_EQ(dst, (std::vector<std::uint8_t>{0, 1, 1, 0}));
}

TEST(FloydSteinberg, EngineWalksASerpentine) {
    PALETTEENTRY bw[] = {E(0, 0, 0), E(255, 255, 255)};
    TFastColorLookup lookup(bw, 2);
    TFloydSteinbergEngine engine(3, &lookup);
    int r, g, b;
    EXPECT_EQ(engine.Column(), 0);
    EXPECT_EQ(engine.Direction(), 1);
    for (int i = 0; i < 3; ++i) engine.Dither(10, 10, 10, r, g, b);
    EXPECT_EQ(engine.Column(), 3);
    engine.NextLine();
    EXPECT_EQ(engine.Direction(), -1);
    EXPECT_EQ(engine.Column(), 2);
    for (int i = 0; i < 3; ++i) engine.Dither(10, 10, 10, r, g, b);
    EXPECT_EQ(engine.Column(), -1);
    engine.NextLine();
    EXPECT_EQ(engine.Direction(), 1);
    EXPECT_EQ(engine.Column(), 0);
}

TEST(FloydSteinberg, OnePixelWideImageStaysInsideItsRows) {
    PALETTEENTRY bw[] = {E(0, 0, 0), E(255, 255, 255)};
    const int h = 64;
    auto src = Flat(1, h, 128, 128, 128);
    std::vector<std::uint8_t> dst(h, 0xEE);
    ASSERT_TRUE(DitherRows(1, h, bw, 2, src.data(), 3, dst.data(), 1));
    int white = 0;
    for (auto v : dst) {
        ASSERT_LE(v, 1);
        white += v;
    }
    // Half grey comes out as roughly half white.
    EXPECT_GE(white, 24);
    EXPECT_LE(white, 40);
}

TEST(FloydSteinberg, MidGreyOnStaticColoursAveragesToTheInput) {
    auto pal = StaticColours();
    const int w = 40, h = 40;
    auto src = Flat(w, h, 160, 160, 160);
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(w * h));
    ASSERT_TRUE(DitherRows(w, h, pal.data(), static_cast<int>(pal.size()), src.data(), w * 3, dst.data(), w));
    double sum = 0;
    std::vector<int> used(pal.size(), 0);
    for (auto v : dst) {
        ASSERT_LT(v, pal.size());
        used[v]++;
        const auto& e = pal[v];
        sum += (e.peRed + e.peGreen + e.peBlue) / 3.0;
    }
    EXPECT_NEAR(sum / (w * h), 160.0, 4.0);
    int kinds = 0;
    for (int u : used) kinds += u > 0;
    EXPECT_GE(kinds, 2) << "a pattern mixed from several greys";
}

TEST(FloydSteinberg, ExtremeErrorsAreClamped) {
    // Saturated colours against a palette without them push big errors around;
    // values stay in 0..255 and every index is valid.
    PALETTEENTRY pal[] = {E(0, 0, 0), E(128, 128, 128)};
    const int w = 16, h = 16;
    auto src = Flat(w, h, 255, 0, 255);
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(w * h));
    ASSERT_TRUE(DitherRows(w, h, pal, 2, src.data(), w * 3, dst.data(), w));
    for (auto v : dst) EXPECT_LE(v, 1);
}

TEST(FloydSteinberg, EmptyPaletteWritesNothing) {
    auto src = Flat(3, 3, 1, 2, 3);
    std::vector<std::uint8_t> dst(9, 0xEE);
    EXPECT_FALSE(DitherRows(3, 3, nullptr, 0, src.data(), 9, dst.data(), 3));
    for (auto v : dst) EXPECT_EQ(v, 0xEE);
}
