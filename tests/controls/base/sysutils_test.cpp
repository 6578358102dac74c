#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <string>
#include <vector>
#include <memory>

#include "controls/SkSysUtils.h"
#include "gui/draw/Graphics.h"

using namespace controls;
using gui::TColor;

namespace {

std::unique_ptr<gui::TBitmap> WhiteBitmap(int w, int h) {
    auto bmp = std::make_unique<gui::TBitmap>();
    bmp->SetSize(w, h);
    bmp->Canvas()->Brush()->SetColor(gui::clWhite);
    bmp->Canvas()->FillRect(gui::Rect(0, 0, w, h));
    return bmp;
}

}  // namespace

TEST(SkSysUtils, PercentArithmetic) {
    // 0.01 in extended precision is slightly low: exact products come out one lower.
    EXPECT_EQ(PercentOf(10, 100), 9);
    EXPECT_EQ(PercentOf(5, 20), 0);
    EXPECT_EQ(PercentOf(10, 10), 0);
    EXPECT_EQ(PercentOf(25, 44), 11);
    EXPECT_EQ(PercentOf(50, 44), 22);
    EXPECT_EQ(PercentOf(60, 44), 26);
    for (int total : {0, 44, 87, 200, INT_MAX}) EXPECT_EQ(PercentOf(100, total), total) << total;

    EXPECT_EQ(PercentFromValue(5, 0), 0);
    EXPECT_EQ(PercentFromValue(-1, 3), -33);
    EXPECT_EQ(PercentFromValue(64, 128), 50);
    EXPECT_EQ(PercentFromValue(INT_MAX, INT_MAX), 100);  // no intermediate overflow
}

TEST(SkSysUtils, RoundHalfEvenInExtendedPrecisionWhateverTheMode) {
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(-3.5L), -4);
    EXPECT_EQ(RoundHalfEven(2.4999L), 2);
    // 2^53 + 1.5 has no double: only 80-bit arithmetic sees the half.
    const long double big = 9007199254740993.5L;
    EXPECT_EQ(RoundHalfEven(big), 9007199254740994LL);
    EXPECT_EQ(RoundHalfEven(big + 1), 9007199254740994LL);
    // A caller's rounding mode neither changes the result nor is lost.
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        EXPECT_EQ(RoundHalfEven(2.5L), 2) << mode;
        EXPECT_EQ(RoundHalfEven(-0.75L), -1) << mode;
        EXPECT_EQ(RoundClampByte(3.5), 4) << mode;
        EXPECT_EQ(std::fegetround(), mode);
    }
    std::fesetround(FE_TONEAREST);
}

namespace {
// Stands in for a meter: records what the bound setter asks of it.
struct RangeProbe {
    int Min = 0, Max = 100, Position = 50;
    std::vector<std::string> Calls;
    void SetPosition(int v) {
        Calls.push_back("position " + std::to_string(v));
        Position = v;
    }
    void UpdateControl() { Calls.push_back("repaint"); }
    void SetMin(int v) { SetRangeBound(*this, Min, Max, false, v, Position); }
    void SetMax(int v) { SetRangeBound(*this, Min, Max, true, v, Position); }
};
}  // namespace

TEST(SkSysUtils, RangeBoundsRefuseEmptyRangesAndPullThePositionIn) {
    RangeProbe r;
    r.SetMin(0);    // unchanged
    r.SetMin(100);  // would empty the range
    r.SetMax(0);
    r.SetMax(-5);
    EXPECT_TRUE(r.Calls.empty());
    EXPECT_EQ(r.Min, 0);
    EXPECT_EQ(r.Max, 100);

    r.SetMin(10);  // the position stays inside: just repaint
    r.SetMax(60);
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"repaint", "repaint"}));
    r.Calls.clear();
    r.SetMin(55);  // the position falls outside: pulled to the new bound
    EXPECT_EQ(r.Min, 55);
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"position 55"}));
    r.Calls.clear();
    r.SetMax(56);
    r.Position = 56;
    r.SetMax(55);  // equal to Min: refused
    r.SetMin(56);  // equal to Max: refused
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"repaint"}));
    EXPECT_EQ(r.Max, 56);
}

TEST(SkSysUtils, RoundClampByteAndColours) {
    EXPECT_EQ(RoundClampByte(0.5), 0);
    EXPECT_EQ(RoundClampByte(1.5), 2);
    EXPECT_EQ(RoundClampByte(2.5), 2);
    EXPECT_EQ(RoundClampByte(254.5), 254);
    EXPECT_EQ(RoundClampByte(-1e300), 0);
    EXPECT_EQ(RoundClampByte(1e300), 255);
    EXPECT_EQ(RoundClampByte(std::nan("")), 0);

    EXPECT_EQ(ResolveColor(gui::clBtnFace), static_cast<TColor>(gui::GetSysColor(15)));
    EXPECT_EQ(ResolveColor(0x123456), 0x123456);
    EXPECT_TRUE(SameRect(gui::Rect(1, 2, 3, 4), gui::Rect(1, 2, 3, 4)));
    EXPECT_FALSE(SameRect(gui::Rect(1, 2, 3, 4), gui::Rect(1, 2, 3, 5)));
}

TEST(SkSysUtils, Draw3DFrameRingsFollowTheLastPointRule) {
    auto bmp = WhiteBitmap(10, 10);
    auto px = [&](int x, int y) { return bmp->Canvas()->Pixels(x, y); };
    gui::TRect r = gui::Rect(0, 0, 10, 10);
    Draw3DFrame(bmp->Canvas(), r, gui::clRed, gui::clBlue, 2);
    EXPECT_EQ(r, gui::Rect(2, 2, 8, 8));
    // The top-left polyline stops short of (Right, Top), where the
    // bottom-right one starts; that one also overwrites (Left, Bottom).
    EXPECT_EQ(px(0, 0), gui::clRed);
    EXPECT_EQ(px(0, 5), gui::clRed);
    EXPECT_EQ(px(9, 0), gui::clBlue);
    EXPECT_EQ(px(0, 9), gui::clBlue);
    EXPECT_EQ(px(1, 1), gui::clRed);
    EXPECT_EQ(px(8, 1), gui::clBlue);
    EXPECT_EQ(px(2, 2), gui::clWhite);

    r = gui::Rect(0, 0, 10, 10);
    Draw3DFrame(bmp->Canvas(), r, gui::clLime, gui::clLime, 0);
    EXPECT_EQ(r, gui::Rect(0, 0, 10, 10));
    EXPECT_EQ(px(0, 0), gui::clRed);
}

TEST(SkSysUtils, Draw3DFrameWithHugeWidthFinishes) {
    auto bmp = WhiteBitmap(8, 8);
    gui::TRect r = gui::Rect(0, 0, 8, 8);
    Draw3DFrame(bmp->Canvas(), r, gui::clRed, gui::clRed, INT_MAX);
    EXPECT_EQ(r.Left, INT_MAX);  // saturates instead of overflowing
    EXPECT_EQ(r.Right, 8 - INT_MAX);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(bmp->Canvas()->Pixels(x, y), gui::clRed);
}

TEST(SkSysUtils, DrawGradientStripsAndRounding) {
    // Red 0 to 100 over 200 pixels: half a step per strip shows the
    // accumulators' rounding (halves to even).
    auto bmp = WhiteBitmap(203, 2);
    auto px = [&](int x) { return bmp->Canvas()->Pixels(x, 0); };
    DrawGradient(bmp->Canvas(), gui::Rect(0, 0, 200, 1), gui::RGB(0, 10, 0), gui::RGB(100, 10, 0), gdHorizontal, 1);
    EXPECT_EQ(px(1), gui::RGB(0, 10, 0));  // 0.5
    EXPECT_EQ(px(3), gui::RGB(2, 10, 0));  // 1.5
    EXPECT_EQ(px(5), gui::RGB(2, 10, 0));  // 2.5
    EXPECT_EQ(px(199), gui::RGB(RoundClampByte(199 * 100.0 / 200), 10, 0));
    // 201 strips: the last, at offset 200, lies just past the rectangle.
    EXPECT_EQ(px(200), gui::RGB(100, 10, 0));
    EXPECT_EQ(px(201), gui::clWhite);

    // Unknown directions and strip sizes that could never advance draw nothing.
    DrawGradient(bmp->Canvas(), gui::Rect(0, 1, 200, 2), gui::clRed, gui::clRed, 2, 1);
    DrawGradient(bmp->Canvas(), gui::Rect(0, 1, 200, 2), gui::clRed, gui::clRed, gdVertical, 0);
    EXPECT_EQ(bmp->Canvas()->Pixels(10, 1), gui::clWhite);
}

TEST(SkSysUtils, TileBitmapCoversAndHangsOver) {
    gui::TBitmap tile;
    tile.SetSize(3, 3);
    tile.Canvas()->Brush()->SetColor(gui::clRed);
    tile.Canvas()->FillRect(gui::Rect(0, 0, 3, 3));
    tile.Canvas()->SetPixels(0, 0, gui::clBlue);
    auto bmp = WhiteBitmap(10, 10);
    auto px = [&](int x, int y) { return bmp->Canvas()->Pixels(x, y); };
    TileBitmap(bmp->Canvas(), gui::Rect(1, 1, 5, 5), &tile);
    EXPECT_EQ(px(1, 1), gui::clBlue);
    EXPECT_EQ(px(4, 4), gui::clBlue);
    EXPECT_EQ(px(6, 6), gui::clRed);  // the last tile hangs over
    EXPECT_EQ(px(7, 7), gui::clWhite);
    gui::TBitmap empty;
    TileBitmap(bmp->Canvas(), gui::Rect(0, 0, 10, 10), &empty);
    EXPECT_EQ(px(0, 0), gui::clWhite);
}
