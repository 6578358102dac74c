// Block transfers: raster ops, stretching, two-colour conversions, DIB transfers.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi_testutil.h"

using namespace gui;
using gdi_test::Row;
using gdi_test::Surface;

namespace {

// A 2x1 source with the given colours.
void Paint(Surface& s, std::initializer_list<COLORREF> colours) {
    int x = 0;
    for (COLORREF c : colours) SetPixel(s.dc(), x++, 0, c);
}

}  // namespace

TEST(GdiBlit, RasterOpsCombineSourceAndDestination) {
    Surface src(1, 1, 0x0F0F0F);
    struct Case {
        DWORD rop;
        COLORREF expected;
    };
    // Destination 0x33CCFF, source 0x0F0F0F, brush (pattern) red 0x0000FF.
    const Case cases[] = {
        {SRCCOPY, 0x0F0F0F},   {SRCAND, 0x030C0F},    {SRCPAINT, 0x3FCFFF},   {SRCINVERT, 0x3CC3F0},
        {NOTSRCCOPY, 0xF0F0F0}, {DSTINVERT, 0xCC3300}, {BLACKNESS, 0x000000},  {WHITENESS, 0xFFFFFF},
        {PATCOPY, 0x0000FF},   {MERGECOPY, 0x00000F}, {SRCERASE, 0x0C0300},
    };
    for (const Case& c : cases) {
        Surface dst(1, 1, 0x33CCFF);
        HBRUSH red = CreateSolidBrush(0x0000FF);
        SelectObject(dst.dc(), red);
        EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, c.rop));
        EXPECT_EQ(dst.at(0, 0), c.expected) << std::hex << c.rop;
        SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
        DeleteObject(red);
    }
}

TEST(GdiBlit, MaskTrickDrawsOnlyTheShape) {
    // The transparent-drawing idiom: SRCINVERT, mask with SRCAND, SRCINVERT again.
    Surface dst(2, 1, 0x102030);
    Surface pic(2, 1);
    Paint(pic, {0x0000FF, 0x00FF00});
    Surface mask(2, 1);
    Paint(mask, {0x000000, 0xFFFFFF});  // black = shape, white = leave
    BitBlt(dst.dc(), 0, 0, 2, 1, pic.dc(), 0, 0, SRCINVERT);
    BitBlt(dst.dc(), 0, 0, 2, 1, mask.dc(), 0, 0, SRCAND);
    BitBlt(dst.dc(), 0, 0, 2, 1, pic.dc(), 0, 0, SRCINVERT);
    EXPECT_EQ(dst.at(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.at(1, 0), 0x102030u);
}

TEST(GdiBlit, StretchRepeatsAndDropsPixelsAndMirrors) {
    Surface src(3, 1);
    Paint(src, {0x0000FF, 0x00FF00, 0xFF0000});
    Surface dst(6, 2);
    StretchBlt(dst.dc(), 0, 0, 6, 2, src.dc(), 0, 0, 3, 1, SRCCOPY);
    EXPECT_EQ(Row(dst, 0, 0x0000FF), "##....");
    EXPECT_EQ(Row(dst, 1, 0x00FF00), "..##..");
    EXPECT_EQ(Row(dst, 1, 0xFF0000), "....##");
    // Shrinking keeps every other pixel.
    Surface small(2, 1);
    StretchBlt(small.dc(), 0, 0, 2, 1, dst.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(small.at(0, 0), 0x0000FFu);
    EXPECT_EQ(small.at(1, 0), 0x00FF00u);
    // A negative width mirrors.
    Surface mir(3, 1);
    StretchBlt(mir.dc(), 2, 0, -3, 1, src.dc(), 0, 0, 3, 1, SRCCOPY);
    EXPECT_EQ(mir.at(0, 0), 0xFF0000u);
    EXPECT_EQ(mir.at(2, 0), 0x0000FFu);
}

TEST(GdiBlit, CopiesAreClippedAndOverlappingCopiesWork) {
    Surface s(6, 1);
    Paint(s, {1, 2, 3, 4, 5, 6});
    // Same surface, overlapping: the source is read before it is overwritten.
    BitBlt(s.dc(), 1, 0, 5, 1, s.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(s.at(1, 0), 1u);
    EXPECT_EQ(s.at(5, 0), 5u);
    // Partly outside the destination: nothing is written out of bounds.
    Surface src(4, 4, 0x00FF00);
    Surface dst(3, 3);
    EXPECT_TRUE(BitBlt(dst.dc(), -2, -2, 4, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Count(0x00FF00), 4);
}

TEST(GdiBlit, MonochromeConversionsUseTextAndBackgroundColours) {
    // Colour -> two colours: the source background colour becomes white, the rest black.
    Surface pic(3, 1);
    Paint(pic, {0xFF00FF, 0x123456, 0xFF00FF});
    HDC monoDC = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(monoDC, 3, 1);  // a plain memory DC is monochrome
    BITMAP info;
    GetObjectA(mono, sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HGDIOBJ old = SelectObject(monoDC, mono);
    SetBkColor(pic.dc(), 0xFF00FF);
    BitBlt(monoDC, 0, 0, 3, 1, pic.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(monoDC, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(monoDC, 1, 0), 0x000000u);
    // Two colours -> colour: 0 bits take the text colour, 1 bits the background.
    Surface out(3, 1);
    SetTextColor(out.dc(), 0x0000FF);
    SetBkColor(out.dc(), 0x00FF00);
    BitBlt(out.dc(), 0, 0, 3, 1, monoDC, 0, 0, SRCCOPY);
    EXPECT_EQ(out.at(0, 0), 0x00FF00u);
    EXPECT_EQ(out.at(1, 0), 0x0000FFu);
    SelectObject(monoDC, old);
    DeleteObject(mono);
    DeleteDC(monoDC);
}

TEST(GdiBlit, TransparentBltLeavesOutOneColour) {
    Surface src(2, 2, 0xFF00FF);
    SetPixel(src.dc(), 1, 1, 0x00AA00);
    Surface dst(4, 4, 0x404040);
    EXPECT_TRUE(TransparentBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, 0xFF00FF));
    EXPECT_EQ(dst.Count(0x00AA00), 4);
    EXPECT_EQ(dst.Count(0x404040), 12);
}

TEST(GdiBlit, PatBltWithPatternAndHatchBrushes) {
    Surface s(8, 2);
    HDC dc = s.dc();
    // A 2x1 pattern bitmap tiles from the brush origin.
    Surface tile(2, 1);
    Paint(tile, {0x0000FF, 0x00FF00});
    HBRUSH pat = CreatePatternBrush(tile.bitmap());
    SelectObject(dc, pat);
    PatBlt(dc, 0, 0, 8, 1, PATCOPY);
    EXPECT_EQ(Row(s, 0, 0x0000FF), "#.#.#.#.");
    PatBlt(dc, 0, 1, 8, 1, DSTINVERT);
    EXPECT_EQ(s.at(3, 1), 0x000000u);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pat);
}

TEST(GdiDib, GetDIBitsGivesBottomUpRowsAndSetDIBitsReadsThem) {
    Surface s(3, 2);
    SetPixel(s.dc(), 0, 0, RGB(10, 20, 30));  // top-left
    SetPixel(s.dc(), 2, 1, RGB(40, 50, 60));  // bottom-right
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = 40;
    bi.bmiHeader.biWidth = 3;
    bi.bmiHeader.biHeight = 2;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    std::vector<std::uint8_t> bits(2 * 12, 0xEE);
    // GetDIBits wants the bitmap out of any DC in GDI; ours reads it anyway.
    ASSERT_EQ(GetDIBits(s.dc(), s.bitmap(), 0, 2, bits.data(), &bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(bi.bmiHeader.biSizeImage, 24u);
    // Row 0 of the buffer is the bottom row: its last pixel is (2,1).
    EXPECT_EQ(bits[6], 60);
    EXPECT_EQ(bits[7], 50);
    EXPECT_EQ(bits[8], 40);
    EXPECT_EQ(bits[9], 0);  // padding zeroed
    EXPECT_EQ(bits[12], 30);  // top row, first pixel, blue first
    EXPECT_EQ(bits[14], 10);
    // Sixteen bits per pixel: 5-5-5, red highest.
    bi.bmiHeader.biBitCount = 16;
    std::vector<std::uint8_t> b16(2 * 8, 0);
    ASSERT_EQ(GetDIBits(s.dc(), s.bitmap(), 0, 2, b16.data(), &bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(b16[8] | (b16[9] << 8), (10 >> 3) << 10 | (20 >> 3) << 5 | (30 >> 3));
    bi.bmiHeader.biBitCount = 24;
    // Put it into another bitmap and read it back through a DC.
    Surface t(3, 2);
    ASSERT_EQ(SetDIBits(t.dc(), t.bitmap(), 0, 2, bits.data(), &bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(t.at(0, 0), static_cast<COLORREF>(RGB(10, 20, 30)));
    EXPECT_EQ(t.at(2, 1), static_cast<COLORREF>(RGB(40, 50, 60)));
}

TEST(GdiDib, EightBitDIBsUseTheDCPaletteAndStretchDIBitsDraws) {
    Surface s(2, 1);
    Paint(s, {RGB(250, 0, 0), RGB(0, 0, 240)});
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = {0, 0, 255, 0};
    lp->palPalEntry[1] = {255, 0, 0, 0};
    HPALETTE pal = CreatePalette(lp);
    HDC mem = CreateCompatibleDC(nullptr);
    HPALETTE oldPal = SelectPalette(mem, pal, FALSE);
    std::vector<std::uint8_t> info(40 + 256 * 4);
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    bi->bmiHeader.biSize = 40;
    bi->bmiHeader.biWidth = 2;
    bi->bmiHeader.biHeight = 1;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = 8;
    std::uint8_t px[4] = {9, 9, 9, 9};
    ASSERT_EQ(GetDIBits(mem, s.bitmap(), 0, 1, px, bi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(px[0], 1);  // red -> entry 1
    EXPECT_EQ(px[1], 0);  // blue -> entry 0
    EXPECT_EQ(bi->bmiColors[1].rgbRed, 255);
    SelectPalette(mem, oldPal, FALSE);
    DeleteDC(mem);
    DeleteObject(pal);
    // Drawn stretched: each index becomes two pixels of its table colour.
    Surface out(4, 1);
    EXPECT_EQ(StretchDIBits(out.dc(), 0, 0, 4, 1, 0, 0, 2, 1, px, bi, DIB_RGB_COLORS, SRCCOPY), 1);
    EXPECT_EQ(Row(out, 0, RGB(255, 0, 0)), "##..");
    EXPECT_EQ(Row(out, 0, RGB(0, 0, 255)), "..##");
    // Inconsistent headers are refused, not read.
    bi->bmiHeader.biBitCount = 7;
    EXPECT_EQ(StretchDIBits(out.dc(), 0, 0, 4, 1, 0, 0, 2, 1, px, bi, DIB_RGB_COLORS, SRCCOPY), 0);
    bi->bmiHeader.biBitCount = 8;
    bi->bmiHeader.biWidth = 1 << 30;
    EXPECT_EQ(StretchDIBits(out.dc(), 0, 0, 4, 1, 0, 0, 2, 1, px, bi, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(GdiDib, CreateDIBitmapAndQueryingTheFormat) {
    std::uint8_t bits[8] = {0, 0, 255, 255, 0, 0, 0, 0};  // red, blue; one 8-byte row
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = 40;
    bi.bmiHeader.biWidth = 2;
    bi.bmiHeader.biHeight = -1;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bmp = CreateDIBitmap(screen, &bi.bmiHeader, CBM_INIT, bits, &bi, DIB_RGB_COLORS);
    ASSERT_NE(bmp, nullptr);
    BITMAPINFO q{};
    q.bmiHeader.biSize = 40;
    EXPECT_EQ(GetDIBits(screen, bmp, 0, 0, nullptr, &q, DIB_RGB_COLORS), 1);
    EXPECT_EQ(q.bmiHeader.biWidth, 2);
    EXPECT_EQ(q.bmiHeader.biHeight, 1);
    HDC mem = CreateCompatibleDC(screen);
    SelectObject(mem, bmp);
    EXPECT_EQ(GetPixel(mem, 0, 0), 0x0000FFu);
    EXPECT_EQ(GetPixel(mem, 1, 0), 0xFF0000u);
    DeleteDC(mem);
    DeleteObject(bmp);
    // An absurd size is refused.
    bi.bmiHeader.biWidth = 100000;
    bi.bmiHeader.biHeight = 100000;
    EXPECT_EQ(CreateDIBitmap(screen, &bi.bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
    DeleteDC(screen);
}

// Wide mirrored copies through a clip region with a hole: the column map of a
// span wider than the fixed buffer, and a clip made of several rectangles.
TEST(GdiBlit, WideMirroredCopyThroughAClipWithAHole) {
    const int w = 1500;
    Surface src(w, 1);
    for (int x = 0; x < w; ++x) SetPixel(src.dc(), x, 0, static_cast<COLORREF>(x + 1));
    Surface dst(w, 1, 0);
    HRGN clip = CreateRectRgn(0, 0, w, 1);
    HRGN hole = CreateRectRgn(600, 0, 700, 1);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    SelectClipRgn(dst.dc(), clip);
    StretchBlt(dst.dc(), w - 1, 0, -w, 1, src.dc(), 0, 0, w, 1, SRCCOPY);
    SelectClipRgn(dst.dc(), nullptr);  // GetPixel answers only inside the clip
    for (int x : {0, 1, 599, 700, 1023, 1024, 1025, w - 1}) EXPECT_EQ(dst.at(x, 0), static_cast<COLORREF>(w - x)) << x;
    for (int x : {600, 650, 699}) EXPECT_EQ(dst.at(x, 0), 0u) << x;
    DeleteObject(clip);
    DeleteObject(hole);
}

// DCs are recycled after DeleteDC: a new one must start with the defaults,
// not with what the last user left selected or clipped.
TEST(GdiBlit, ARecycledDCStartsWithDefaultState) {
    for (int round = 0; round < 12; ++round) {
        Surface s(8, 8);
        EXPECT_EQ(GetTextColor(s.dc()), 0u);
        EXPECT_EQ(GetBkColor(s.dc()), 0xFFFFFFu);
        RECT box{};
        GetClipBox(s.dc(), &box);
        EXPECT_EQ(box.Right, 8);
        EXPECT_EQ(box.Bottom, 8);
        POINT org0{-1, -1};
        GetViewportOrgEx(s.dc(), &org0);
        EXPECT_EQ(org0.X, 0);
        // Leave state behind for the next round's DC.
        SetTextColor(s.dc(), 0x123456);
        SetBkColor(s.dc(), 0x654321);
        IntersectClipRect(s.dc(), 2, 2, 4, 4);
        SelectObject(s.dc(), GetStockObject(BLACK_BRUSH));
        SetViewportOrgEx(s.dc(), 3, 3, nullptr);
        POINT org{};
        GetViewportOrgEx(s.dc(), &org);
        EXPECT_EQ(org.X, 3);
    }
}
