#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/SkProgressBar.h"
#include "controls/SkSysUtils.h"
#include "gui/windows/TestKit.h"
#include "widget_fixture.h"

using namespace controls;
using namespace controls_test;
namespace tk = gui::testkit;

namespace {

// The Bio window's position bar: 200 x 9, navy to red, no bevel rings.
TSkProgressBar* AddTrackPos(gui::TWinControl* parent) {
    auto* p = Add<TSkProgressBar>(parent, 28, 48, 200, 9);
    p->SetEndColor(gui::clRed);
    p->Bevel()->SetInnerStyle(bsNone);
    p->Bevel()->SetOuterStyle(bsNone);
    p->Bevel()->SetOuterOutline(osNone);
    p->Bevel()->SetInnerSpace(0);
    return p;
}

bool Near(gui::TColor c, int r, int g, int b) {
    return std::abs(gui::GetRValue(c) - r) <= 1 && std::abs(gui::GetGValue(c) - g) <= 1 &&
           std::abs(gui::GetBValue(c) - b) <= 1;
}

}  // namespace

TEST(TSkProgressBar, TrackPosBlocksAndGradient) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* p = AddTrackPos(f.get());
    EXPECT_EQ(p->Position(), p->MaxValue());
    auto bmp = tk::Render(p);
    auto px = [&](int x, int y) { return bmp->Canvas()->Pixels(x, y); };
    EXPECT_EQ(p->InnerRect(), gui::Rect(0, 0, 200, 9));
    // 33 whole blocks, 4 wide at x = 1, 7, ..., 193; rows 1 to 7.
    for (int k = 0; k < 33; ++k) {
        const int x = 1 + 6 * k;
        SCOPED_TRACE(x);
        EXPECT_EQ(px(x - 1, 4), gui::clBlack);
        EXPECT_NE(px(x, 4), gui::clBlack);
        EXPECT_NE(px(x + 3, 4), gui::clBlack);
        EXPECT_EQ(px(x + 4, 4), gui::clBlack);
        EXPECT_EQ(px(x, 0), gui::clBlack);
        EXPECT_NE(px(x, 1), gui::clBlack);
        EXPECT_NE(px(x, 7), gui::clBlack);
        EXPECT_EQ(px(x, 8), gui::clBlack);
    }
    EXPECT_EQ(px(199, 4), gui::clBlack);  // the 34th block is cut to nothing
    // The blocks reveal a navy-to-red gradient fixed under the bar.
    EXPECT_TRUE(Near(px(1, 3), 1, 0, 127));
    EXPECT_TRUE(Near(px(100, 3), 128, 0, 64));
    EXPECT_TRUE(Near(px(196, 3), 250, 0, 3));

    // Half way: only blocks starting before L + f are drawn.
    p->SetPosition(50);
    const int f50 = PercentOf(50, 200);
    for (int x = 1; x < 200; x += 6) EXPECT_EQ(tk::PixelAt(p, x, 4) != gui::clBlack, x < f50) << x;
    p->SetPosition(0);
    for (int x = 0; x < 200; ++x) ASSERT_EQ(tk::PixelAt(p, x, 4), gui::clBlack) << x;
}

TEST(TSkProgressBar, RangeAndPositionSetters) {
    tk::Session s;
    TSkProgressBar p(nullptr);
    int changes = 0;
    p.OnChange = [&](gui::TObject*) { ++changes; };
    p.SetMaxValue(0);  // not above MinValue: refused
    EXPECT_EQ(p.MaxValue(), 100);
    p.SetMinValue(100);
    EXPECT_EQ(p.MinValue(), 0);
    p.SetPosition(100);
    EXPECT_EQ(changes, 0);
    p.SetPosition(65535);
    EXPECT_EQ(changes, 0);
    p.SetMaxValue(40);  // pulls the position down
    EXPECT_EQ(p.Position(), 40);
    EXPECT_EQ(changes, 1);
    p.SetPosition(-5);
    EXPECT_EQ(p.Position(), 0);
    EXPECT_EQ(changes, 2);
}

TEST(TSkProgressBar, FillImageIsRebuiltOnlyWhenNeeded) {
    tk::Session s;
    auto f = MakeForm();
    auto* p = AddTrackPos(f.get());
    tk::PixelAt(p, 0, 0);
    const int builds = p->FillBuilds();
    p->SetPosition(10);
    p->SetMaxValue(300);
    p->SetSmooth(true);
    tk::PixelAt(p, 0, 0);
    EXPECT_EQ(p->FillBuilds(), builds);
    p->SetStartColor(gui::clLime);
    EXPECT_EQ(p->FillBuilds(), builds + 1);
    p->SetStartColor(gui::clLime);
    EXPECT_EQ(p->FillBuilds(), builds + 1);
    p->Perform(gui::CM_SYSCOLORCHANGE, 0, 0);  // the plain fill uses a system colour
    p->UpdateControl();
    EXPECT_EQ(p->FillBuilds(), builds + 2);
    // A new orientation exchanges the sides and rebuilds the gradient top-down.
    p->SetOrientation(voVertical);
    EXPECT_EQ(p->Width(), 9);
    EXPECT_EQ(p->Height(), 200);
    EXPECT_EQ(p->FillBuilds(), builds + 3);
    EXPECT_TRUE(Near(p->FillImage()->Canvas()->Pixels(4, 0), 255, 0, 0));
    EXPECT_TRUE(Near(p->FillImage()->Canvas()->Pixels(4, 199), 1, 254, 0));
}

TEST(TSkProgressBar, SmoothBarsAndTheOnePixelEdge) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* p = Add<TSkProgressBar>(f.get(), 0, 0, 100, 12);
    p->Bevel()->SetVisible(false);
    p->SetSmooth(true);
    p->SetFillType(pfPlain);
    const gui::TColor hl = ResolveColor(gui::clHighlight);
    int onePixel = 1;
    while (PercentOf(onePixel, 100) != 1) ++onePixel;
    p->SetPosition(onePixel);
    for (int x = 0; x < 100; ++x) ASSERT_EQ(tk::PixelAt(p, x, 5), gui::clBlack) << x;
    p->SetPosition(100);
    EXPECT_EQ(tk::PixelAt(p, 0, 5), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 1, 5), hl);
    EXPECT_EQ(tk::PixelAt(p, 98, 5), hl);
    EXPECT_EQ(tk::PixelAt(p, 99, 5), gui::clBlack);  // limited to Rt - 1
    EXPECT_EQ(tk::PixelAt(p, 50, 0), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 50, 11), gui::clBlack);

    // Vertical: a filled length of 1 is a 1-pixel bar at the bottom.
    p->SetOrientation(voVertical);  // 12 x 100
    p->SetPosition(onePixel);
    EXPECT_EQ(tk::PixelAt(p, 5, 99), hl);
    EXPECT_EQ(tk::PixelAt(p, 5, 98), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 0, 99), gui::clBlack);
}

TEST(TSkProgressBar, VerticalBlocksAndFillTypes) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* p = Add<TSkProgressBar>(f.get(), 0, 0, 200, 16);
    p->Bevel()->SetVisible(false);
    p->SetOrientation(voVertical);  // exchanges the sides
    ASSERT_EQ(p->Width(), 16);
    ASSERT_EQ(p->Height(), 200);
    // Blocks (16 div 3) * 2 = 10 high less 2: rows 191..198, 181..188, ...
    p->SetFillType(pfBitmap);  // no picture: the plain highlight fill
    const gui::TColor hl = ResolveColor(gui::clHighlight);
    EXPECT_EQ(tk::PixelAt(p, 8, 199), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 8, 198), hl);
    EXPECT_EQ(tk::PixelAt(p, 8, 191), hl);
    EXPECT_EQ(tk::PixelAt(p, 8, 190), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 8, 188), hl);
    EXPECT_EQ(tk::PixelAt(p, 0, 195), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 15, 195), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(p, 1, 195), hl);

    // With a picture the tile shows through the blocks.
    gui::TBitmap tile;
    tile.SetSize(2, 2);
    tile.Canvas()->Brush()->SetColor(gui::clFuchsia);
    tile.Canvas()->FillRect(gui::Rect(0, 0, 2, 2));
    p->SetBitmap(&tile);
    EXPECT_EQ(tk::PixelAt(p, 8, 195), gui::clFuchsia);
}

// A song position that fills as many pixels as the one shown draws the same
// bar: nothing is painted or copied.
TEST(TSkProgressBar, APositionFillingTheSameLengthPaintsAndCopiesNothing) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* p = AddTrackPos(f.get());
    p->SetMaxValue(1000);
    p->SetPosition(500);  // 100 of 200 pixels
    tk::ProcessMessages();
    const int paints = p->Paints(), copies = tk::ScreenCopies(f.get());
    int changes = 0;
    p->OnChange = [&](gui::TObject*) { ++changes; };
    p->SetPosition(504);
    tk::ProcessMessages();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(p->Paints(), paints);
    EXPECT_EQ(tk::ScreenCopies(f.get()), copies);
    EXPECT_EQ(tk::PixelAt(p, 104, 4), gui::clBlack);
    p->SetPosition(520);  // 104 pixels: the block at x = 103 shows
    tk::ProcessMessages();
    EXPECT_EQ(p->Paints(), paints + 1);
    EXPECT_EQ(tk::ScreenCopies(f.get()), copies + 1);
    EXPECT_NE(tk::PixelAt(p, 104, 4), gui::clBlack);
    // A new range is drawn at once, whatever the position's length.
    p->SetMaxValue(2000);
    EXPECT_EQ(p->Paints(), paints + 2);
}
