// Shapes, pens, brushes, clipping and DC state on a memory DC, checked pixel by pixel.
#include <gtest/gtest.h>

#include "gdi_testutil.h"

using namespace gui;
using gdi_test::Column;
using gdi_test::Row;
using gdi_test::Surface;

namespace {
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
}  // namespace

TEST(GdiLines, LineToLeavesOutItsEndPoint) {
    Surface s(12, 6);
    MoveToEx(s.dc(), 2, 1, nullptr);
    LineTo(s.dc(), 8, 1);
    EXPECT_EQ(Row(s, 1, kBlack), "..######....");
    // Vertical, upwards: the start pixel is drawn, the end is not.
    MoveToEx(s.dc(), 10, 5, nullptr);
    LineTo(s.dc(), 10, 2);
    EXPECT_EQ(Column(s, 10, kBlack), "...###");
    POINT p;
    GetCurrentPositionEx(s.dc(), &p);
    EXPECT_EQ(p, (POINT{10, 2}));
}

TEST(GdiLines, PolylineDrawsEveryPointButTheLast) {
    Surface s(8, 8);
    // The classic 3D frame: left/top edge, then right/bottom edge.
    POINT a[] = {{1, 6}, {1, 1}, {6, 1}};
    Polyline(s.dc(), a, 3);
    EXPECT_EQ(Row(s, 1, kBlack), ".#####..");  // (6,1) is the last point: not drawn
    EXPECT_EQ(Column(s, 1, kBlack), ".######.");
    EXPECT_EQ(s.at(1, 6), kBlack);  // first point drawn
    // A diagonal covers one pixel per step.
    Surface d(6, 6);
    POINT b[] = {{0, 0}, {5, 5}};
    Polyline(d.dc(), b, 2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(d.at(i, i), kBlack) << i;
    EXPECT_EQ(d.at(5, 5), kWhite);
    EXPECT_EQ(d.Count(kBlack), 5);
}

TEST(GdiLines, PenStylesColoursAndNullPen) {
    Surface s(40, 4);
    HPEN dot = CreatePen(PS_DOT, 1, kRed);
    HGDIOBJ old = SelectObject(s.dc(), dot);
    SetBkMode(s.dc(), TRANSPARENT);
    MoveToEx(s.dc(), 0, 0, nullptr);
    LineTo(s.dc(), 12, 0);
    EXPECT_EQ(Row(s, 0, kRed, 0, 12), "###...###...");
    // Opaque background fills the gaps with the background colour.
    SetBkMode(s.dc(), OPAQUE);
    SetBkColor(s.dc(), kBlue);
    MoveToEx(s.dc(), 0, 1, nullptr);
    LineTo(s.dc(), 12, 1);
    EXPECT_EQ(Row(s, 1, kBlue, 0, 12), "...###...###");
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    MoveToEx(s.dc(), 0, 2, nullptr);
    LineTo(s.dc(), 30, 2);
    EXPECT_EQ(Row(s, 2, kWhite, 0, 30), std::string(30, '#'));
    // SelectObject hands back the previous object.
    EXPECT_EQ(SelectObject(s.dc(), old), GetStockObject(NULL_PEN));
    DeleteObject(dot);
}

TEST(GdiLines, WidePensAreCentredWithRoundEnds) {
    Surface s(30, 15);
    HPEN wide = CreatePen(PS_SOLID, 5, kRed);
    SelectObject(s.dc(), wide);
    MoveToEx(s.dc(), 5, 7, nullptr);
    LineTo(s.dc(), 25, 7);
    // Five rows thick around y = 7; the caps reach past both end points by the radius.
    EXPECT_EQ(Column(s, 15, kRed), ".....#####.....");
    EXPECT_EQ(Row(s, 7, kRed), "...#########################..");
    // Round, not square: the corners of the end caps stay clear.
    EXPECT_EQ(s.at(3, 5), kWhite);
    EXPECT_EQ(s.at(27, 9), kWhite);
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(wide);
}

TEST(GdiLines, XorPenDrawnTwiceRestores) {
    Surface s(10, 3, 0x123456);
    HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
    SelectObject(s.dc(), pen);
    SetROP2(s.dc(), R2_XORPEN);
    MoveToEx(s.dc(), 0, 1, nullptr);
    LineTo(s.dc(), 10, 1);
    EXPECT_EQ(s.at(4, 1), 0x123456u ^ 0xFFFFFFu);
    MoveToEx(s.dc(), 0, 1, nullptr);
    LineTo(s.dc(), 10, 1);
    EXPECT_EQ(s.Count(0x123456), 30);
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

// Rows and columns are written as spans cut once by each clip rectangle, the
// rest pixel by pixel: either way a line under a clip region is exactly the
// unclipped line's pixels inside the region, for every direction, pen style
// and raster op.
TEST(GdiLines, ClippedLinesAreTheUnclippedLineInsideTheClip) {
    // A ring with a bar through it: several rectangles in several bands.
    HRGN clip = CreateRectRgn(4, 4, 36, 36);
    HRGN hole = CreateRectRgn(10, 10, 30, 30);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    HRGN bar = CreateRectRgn(18, 0, 22, 40);
    CombineRgn(clip, clip, bar, RGN_OR);
    struct Line {
        int x0, y0, x1, y1;
    };
    const Line lines[] = {{0, 20, 40, 20}, {39, 21, 0, 21}, {20, 0, 20, 40}, {21, 39, 21, 0}, {0, 0, 40, 40},
                          {39, 2, 1, 30},  {5, 5, 6, 5},    {6, 6, 6, 7},    {7, 7, 7, 7},    {-5, 8, 50, 8}};
    int inked = 0;
    for (int style : {PS_SOLID, PS_DOT}) {
        for (int rop : {R2_COPYPEN, R2_XORPEN, R2_NOT}) {
            for (const Line& l : lines) {
                Surface plain(40, 40, 0x336699), clipped(40, 40, 0x336699);
                HPEN pen = CreatePen(style, 1, RGB(200, 30, 90));
                for (Surface* s : {&plain, &clipped}) {
                    SelectObject(s->dc(), pen);
                    SetROP2(s->dc(), rop);
                }
                SelectClipRgn(clipped.dc(), clip);
                for (Surface* s : {&plain, &clipped}) {
                    MoveToEx(s->dc(), l.x0, l.y0, nullptr);
                    LineTo(s->dc(), l.x1, l.y1);
                }
                SelectClipRgn(clipped.dc(), nullptr);
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 40; ++x) {
                        const COLORREF want = PtInRegion(clip, x, y) ? plain.at(x, y) : COLORREF{0x336699};
                        ASSERT_EQ(clipped.at(x, y), want) << "line " << l.x0 << "," << l.y0 << " -> " << l.x1 << ","
                                                          << l.y1 << " style " << style << " rop " << rop << " at "
                                                          << x << "," << y;
                        inked += clipped.at(x, y) != 0x336699;
                    }
                for (Surface* s : {&plain, &clipped}) SelectObject(s->dc(), GetStockObject(BLACK_PEN));
                DeleteObject(pen);
            }
        }
    }
    EXPECT_GT(inked, 500);
    // Right to left: the start pixel is drawn, the end is not.
    Surface r(12, 3);
    MoveToEx(r.dc(), 9, 1, nullptr);
    LineTo(r.dc(), 3, 1);
    EXPECT_EQ(Row(r, 1, kBlack), "....######..");
    DeleteObject(bar);
    DeleteObject(hole);
    DeleteObject(clip);
}

TEST(GdiRects, FillRectExcludesRightAndBottomFrameRectIsInside) {
    Surface s(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{2, 2, 6, 5};
    FillRect(s.dc(), &r, red);
    EXPECT_EQ(Row(s, 2, kRed), "..####....");
    EXPECT_EQ(Column(s, 2, kRed), "..###.....");
    s.Clear(kWhite);
    RECT f{1, 1, 8, 7};
    FrameRect(s.dc(), &f, red);
    EXPECT_EQ(Row(s, 1, kRed), ".#######..");
    EXPECT_EQ(Row(s, 3, kRed), ".#.....#..");
    EXPECT_EQ(Row(s, 6, kRed), ".#######..");
    EXPECT_EQ(Row(s, 7, kRed), "..........");
    // An empty or inverted rectangle draws nothing.
    s.Clear(kWhite);
    RECT e{5, 5, 5, 9};
    FrameRect(s.dc(), &e, red);
    EXPECT_EQ(s.Count(kRed), 0);
    DeleteObject(red);
}

TEST(GdiRects, RectangleOutlineAndFillAndNullPen) {
    Surface s(10, 10);
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(s.dc(), blue);
    Rectangle(s.dc(), 1, 1, 7, 6);
    EXPECT_EQ(Row(s, 1, kBlack), ".######...");
    EXPECT_EQ(Row(s, 3, kBlack), ".#....#...");
    EXPECT_EQ(Row(s, 3, kBlue), "..####....");
    EXPECT_EQ(Row(s, 5, kBlack), ".######...");
    // Without a pen GDI fills one pixel less on the right and bottom.
    s.Clear(kWhite);
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    Rectangle(s.dc(), 1, 1, 7, 6);
    EXPECT_EQ(Row(s, 1, kBlue), ".#####....");
    EXPECT_EQ(Column(s, 1, kBlue), ".####.....");
    SelectObject(s.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
}

TEST(GdiRects, WidePenRectangleAndHatchBrush) {
    Surface s(20, 20);
    HPEN wide = CreatePen(PS_SOLID, 3, kRed);
    SelectObject(s.dc(), wide);
    SelectObject(s.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(s.dc(), 2, 2, 16, 16);
    EXPECT_EQ(Row(s, 8, kRed, 0, 20), ".###..........###...");  // centred on the outline
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(wide);
    // A hatch paints only its lines when the background is transparent.
    s.Clear(kWhite);
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, kBlack);
    SetBkMode(s.dc(), TRANSPARENT);
    RECT r{0, 0, 16, 16};
    FillRect(s.dc(), &r, hatch);
    int black = s.Count(kBlack);
    EXPECT_GT(black, 16);
    EXPECT_LT(black, 16 * 16 / 2);
    // ...and fills the gaps with the background colour when opaque.
    SetBkMode(s.dc(), OPAQUE);
    SetBkColor(s.dc(), kBlue);
    FillRect(s.dc(), &r, hatch);
    EXPECT_EQ(s.Count(kBlack) + s.Count(kBlue), 256);
    DeleteObject(hatch);
}

TEST(GdiShapes, EllipseStaysInsideItsBoxAndFillsTheMiddle) {
    Surface s(24, 24);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(s.dc(), red);
    Ellipse(s.dc(), 2, 3, 22, 19);
    RECT ink = s.Ink();
    EXPECT_EQ(ink, (RECT{2, 3, 22, 19}));
    EXPECT_EQ(s.at(12, 11), kRed);
    EXPECT_EQ(s.at(2, 3), kWhite);  // corners stay out
    EXPECT_EQ(s.at(21, 18), kWhite);
    EXPECT_EQ(s.at(2, 11), kBlack);  // the outline touches the box sides
    EXPECT_EQ(s.at(12, 3), kBlack);
    SelectObject(s.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(GdiShapes, PolygonFillRuleAndOutline) {
    Surface s(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(s.dc(), red);
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    POINT sq[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
    Polygon(s.dc(), sq, 4);
    // Pixel centres inside: columns 2..9, rows 2..9.
    EXPECT_EQ(s.Ink(), (RECT{2, 2, 10, 10}));
    EXPECT_EQ(s.Count(kRed), 64);
    SelectObject(s.dc(), GetStockObject(BLACK_PEN));
    s.Clear(kWhite);
    Polygon(s.dc(), sq, 4);
    EXPECT_EQ(s.at(10, 10), kBlack);  // the closing outline reaches every vertex
    EXPECT_EQ(s.at(2, 2), kBlack);
    EXPECT_EQ(s.at(5, 5), kRed);
    SelectObject(s.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(GdiFocus, DrawFocusRectIsDottedAndUndoesItself) {
    Surface s(10, 6, 0x808080);
    RECT r{1, 1, 9, 5};
    DrawFocusRect(s.dc(), &r);
    EXPECT_EQ(Row(s, 1, 0x7F7F7F, 1, 9), "#.#.#.#.");
    EXPECT_EQ(s.at(5, 3), 0x808080u);  // inside untouched
    // The dots follow a checkerboard, so the right edge continues the pattern.
    EXPECT_EQ(s.at(8, 2), 0x7F7F7Fu);
    EXPECT_EQ(s.at(8, 3), 0x808080u);
    DrawFocusRect(s.dc(), &r);
    EXPECT_EQ(s.Count(0x808080), 60);
}

TEST(GdiPixels, SetAndGetPixelAndOutsideIsInvalid) {
    Surface s(4, 4);
    EXPECT_EQ(SetPixel(s.dc(), 1, 2, 0x00ABCDEF), 0x00ABCDEFu);
    EXPECT_EQ(GetPixel(s.dc(), 1, 2), 0x00ABCDEFu);
    EXPECT_EQ(GetPixel(s.dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.dc(), -1, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(s.dc(), 9, 9, 0), CLR_INVALID);
    // System colours and the palette-relative flag resolve to plain colours.
    SetPixel(s.dc(), 0, 0, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(GetPixel(s.dc(), 0, 0), 0x808080u);
    SetPixel(s.dc(), 0, 1, PALETTERGB(1, 2, 3));
    EXPECT_EQ(GetPixel(s.dc(), 0, 1), static_cast<COLORREF>(RGB(1, 2, 3)));
}

TEST(GdiClip, ClipRectanglesAndRegionsLimitDrawing) {
    Surface s(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all{0, 0, 10, 10};
    IntersectClipRect(s.dc(), 2, 2, 8, 8);
    ExcludeClipRect(s.dc(), 4, 4, 6, 6);
    RECT box;
    EXPECT_EQ(GetClipBox(s.dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{2, 2, 8, 8}));
    FillRect(s.dc(), &all, red);
    EXPECT_EQ(s.Count(kRed), 36 - 4);
    // Pixels outside the clip cannot be read either.
    EXPECT_EQ(GetPixel(s.dc(), 4, 4), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.dc(), 0, 0), CLR_INVALID);
    // A selected region replaces the clip; null removes it.
    HRGN rgn = CreateRectRgn(0, 0, 3, 3);
    EXPECT_EQ(SelectClipRgn(s.dc(), rgn), SIMPLEREGION);
    DeleteObject(rgn);  // the DC keeps its own copy
    s.Clear(kWhite);
    FillRect(s.dc(), &all, red);
    EXPECT_EQ(s.Count(kRed), 9);
    SelectClipRgn(s.dc(), nullptr);
    FillRect(s.dc(), &all, red);
    EXPECT_EQ(s.Count(kRed), 100);
    DeleteObject(red);
}

TEST(GdiState, OriginsMoveDrawingAndClipBoxIsLogical) {
    Surface s(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    SetViewportOrgEx(s.dc(), 3, 2, nullptr);
    RECT r{0, 0, 2, 2};
    FillRect(s.dc(), &r, red);
    EXPECT_EQ(GetPixel(s.dc(), 0, 0), kRed);  // reading goes through the origin too
    SetViewportOrgEx(s.dc(), 0, 0, nullptr);
    EXPECT_EQ(s.Ink(), (RECT{3, 2, 5, 4}));
    SetWindowOrgEx(s.dc(), 5, 5, nullptr);
    RECT box;
    GetClipBox(s.dc(), &box);
    EXPECT_EQ(box, (RECT{5, 5, 15, 15}));
    EXPECT_EQ(GetPixel(s.dc(), 8, 7), kRed);  // device (3,2)
    POINT old;
    OffsetViewportOrgEx(s.dc(), 1, 1, &old);
    EXPECT_EQ(old, (POINT{0, 0}));
    EXPECT_EQ(GetPixel(s.dc(), 7, 6), kRed);
    DeleteObject(red);
}

TEST(GdiState, SaveAndRestoreBringBackColoursObjectsAndClip) {
    Surface s(10, 10);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    SetTextColor(s.dc(), kBlue);
    int level = SaveDC(s.dc());
    EXPECT_EQ(level, 1);
    SelectObject(s.dc(), pen);
    SetTextColor(s.dc(), kRed);
    SetBkMode(s.dc(), TRANSPARENT);
    IntersectClipRect(s.dc(), 0, 0, 1, 1);
    SaveDC(s.dc());
    SetTextColor(s.dc(), kBlack);
    EXPECT_TRUE(RestoreDC(s.dc(), -2));  // both levels at once
    EXPECT_EQ(GetTextColor(s.dc()), kBlue);
    EXPECT_EQ(GetBkMode(s.dc()), OPAQUE);
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    RECT box;
    GetClipBox(s.dc(), &box);
    EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
    EXPECT_FALSE(RestoreDC(s.dc(), 1));  // nothing saved any more
    DeleteObject(pen);
}

TEST(GdiState, DeletingASelectedObjectWaitsUntilItIsDeselected) {
    Surface s(4, 4);
    HBRUSH b = CreateSolidBrush(kRed);
    SelectObject(s.dc(), b);
    EXPECT_TRUE(DeleteObject(b));
    // Still usable by the DC that holds it.
    SelectObject(s.dc(), GetStockObject(NULL_PEN));
    Rectangle(s.dc(), 0, 0, 3, 3);
    EXPECT_EQ(s.at(0, 0), kRed);
    // Deselecting frees it; the freed object is not handed back.
    EXPECT_EQ(SelectObject(s.dc(), GetStockObject(WHITE_BRUSH)), nullptr);
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    HBRUSH stock = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT r{0, 0, 1, 1};
    FillRect(s.dc(), &r, stock);
    EXPECT_EQ(s.at(0, 0), kBlack);
}

TEST(GdiDevice, CapsFollowTheDisplayDepth) {
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 24);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
    SetDisplayColorDepth(8);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
    EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 256);
    EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), 20);
    SetDisplayColorDepth(24);
    DeleteDC(dc);
}

TEST(GdiPalette, SystemPaletteAndNearestIndex) {
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    PALETTEENTRY sys[256];
    ASSERT_EQ(GetSystemPaletteEntries(dc, 0, 256, sys), 256u);
    auto rgb = [](const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); };
    EXPECT_EQ(rgb(sys[0]), RGB(0, 0, 0));
    EXPECT_EQ(rgb(sys[7]), RGB(192, 192, 192));
    EXPECT_EQ(rgb(sys[8]), RGB(192, 220, 192));
    EXPECT_EQ(rgb(sys[248]), RGB(128, 128, 128));
    EXPECT_EQ(rgb(sys[249]), RGB(255, 0, 0));
    EXPECT_EQ(rgb(sys[255]), RGB(255, 255, 255));
    EXPECT_EQ(rgb(sys[100]), RGB(0, 0, 0));

    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    lp->palPalEntry[0] = {0, 0, 0, 0};
    lp->palPalEntry[1] = {250, 10, 10, 0};
    lp->palPalEntry[2] = {250, 250, 250, 0};
    HPALETTE pal = CreatePalette(lp);
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(200, 0, 0)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(30, 30, 30)), 0u);
    EXPECT_EQ(GetNearestPaletteIndex(pal, PALETTERGB(240, 240, 255)), 2u);
    PALETTEENTRY back[3];
    EXPECT_EQ(GetPaletteEntries(pal, 1, 5, back), 2u);
    EXPECT_EQ(back[0].peRed, 250);
    HPALETTE old = SelectPalette(dc, pal, FALSE);
    EXPECT_EQ(RealizePalette(dc), 0u);  // nothing to do on true colour
    // A palette index resolves through the selected palette.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 2, 2);
    SelectObject(mem, bmp);
    SelectPalette(mem, pal, FALSE);
    SetPixel(mem, 0, 0, PALETTEINDEX(1));
    EXPECT_EQ(GetPixel(mem, 0, 0), static_cast<COLORREF>(RGB(250, 10, 10)));
    SelectPalette(mem, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteDC(mem);
    DeleteObject(bmp);
    SelectPalette(dc, old, FALSE);
    DeleteObject(pal);
    DeleteDC(dc);
}

TEST(GdiSystem, ClassicColoursMulDivAndTicks) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), 0u);
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), 0xC0C0C0u);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), static_cast<DWORD>(RGB(0, 0, 128)));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), static_cast<DWORD>(RGB(255, 255, 225)));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clGrayText), clGray);
    EXPECT_EQ(ColorToRGB(0x02000000 | clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);

    EXPECT_EQ(MulDiv(8, 96, 72), 11);   // 10.67
    EXPECT_EQ(MulDiv(-11, 72, 96), -8); // -8.25
    EXPECT_EQ(MulDiv(3, 1, 2), 2);      // halves away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);  // overflow

    DWORD a = GetTickCount();
    DWORD b = timeGetTime();
    EXPECT_LE(a, GetTickCount());
    EXPECT_LE(b, timeGetTime());
}

TEST(GdiRectsUser, RectangleHelpers) {
    RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, r;
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    EXPECT_EQ(r, (RECT{5, 5, 10, 10}));
    RECT c{20, 20, 30, 30};
    EXPECT_FALSE(IntersectRect(&r, &a, &c));
    EXPECT_EQ(r, (RECT{}));
    EXPECT_TRUE(UnionRect(&r, &a, &b));
    EXPECT_EQ(r, (RECT{0, 0, 15, 15}));
    InflateRect(&r, -1, 2);
    EXPECT_EQ(r, (RECT{1, -2, 14, 17}));
    OffsetRect(&r, 1, 2);
    EXPECT_EQ(r, (RECT{2, 0, 15, 19}));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 9}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
    RECT bite{0, 0, 4, 10};
    EXPECT_TRUE(SubtractRect(&r, &a, &bite));
    EXPECT_EQ(r, (RECT{4, 0, 10, 10}));
}
