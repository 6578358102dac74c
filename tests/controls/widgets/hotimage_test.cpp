#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/SkHyperCtrls.h"
#include "controls/SkSysUtils.h"
#include "gui/windows/TestKit.h"
#include "widget_fixture.h"

using namespace controls;
using namespace controls_test;
namespace tk = gui::testkit;

namespace {

std::unique_ptr<gui::TBitmap> Solid(int w, int h, gui::TColor c) {
    auto b = std::make_unique<gui::TBitmap>();
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(gui::Rect(0, 0, w, h));
    return b;
}

}  // namespace

TEST(TSkHotImage, StateColoursFollowThePointerAndHandlersRunFirst) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* h = Add<TSkHotImage>(f.get(), 10, 10, 40, 40);
    h->HotRect()->SetVisible(false);
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clBlack);
    std::vector<std::string> log;
    h->OnMouseEnter = [&](gui::TObject*) { log.push_back(h->Hot() ? "hot" : "cold"); };
    h->OnMouseLeave = [&](gui::TObject*) { log.push_back(h->Hot() ? "hot" : "cold"); };
    tk::MouseMove(f.get(), 20, 20);
    EXPECT_TRUE(h->Hot());
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clBlue);
    EXPECT_EQ(tk::PixelAt(h, 0, 0), gui::clBlue);  // no frame while HotRect is hidden
    tk::MouseMove(f.get(), 200, 200);
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clBlack);
    EXPECT_EQ(log, (std::vector<std::string>{"cold", "hot"}));
}

TEST(TSkHotImage, PicturesSwapAndCentreWithTruncation) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* h = Add<TSkHotImage>(f.get(), 0, 0, 209, 30);
    h->HotRect()->SetVisible(false);
    // 210 wide in 209: starts at x = 0 and loses its last column.
    auto leave = Solid(210, 10, gui::clRed);
    leave->Canvas()->SetPixels(0, 0, gui::clGreen);
    leave->Canvas()->SetPixels(208, 0, gui::clNavy);
    leave->Canvas()->SetPixels(209, 0, gui::clYellow);
    auto enter = Solid(20, 10, gui::clLime);
    h->SetImageLeave(leave.get());
    h->SetImageEnter(enter.get());
    EXPECT_EQ(tk::PixelAt(h, 0, 10), gui::clGreen);  // top at (30 - 10) div 2
    EXPECT_EQ(tk::PixelAt(h, 208, 10), gui::clNavy);
    EXPECT_EQ(tk::PixelAt(h, 100, 9), gui::clBlack);
    tk::MouseMove(f.get(), 100, 15);
    EXPECT_EQ(tk::PixelAt(h, 94, 15), gui::clLime);  // (209 - 20) div 2
    EXPECT_EQ(tk::PixelAt(h, 93, 15), gui::clBlue);
    EXPECT_EQ(tk::PixelAt(h, 114, 15), gui::clBlue);

    h->SetDrawStyle(dsStretch);
    EXPECT_EQ(tk::PixelAt(h, 0, 0), gui::clLime);
    EXPECT_EQ(tk::PixelAt(h, 208, 29), gui::clLime);
}

TEST(TSkHotImage, HotFrameAlsoWhenDisabledButPictureStaysLeave) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* h = Add<TSkHotImage>(f.get(), 10, 10, 40, 40);
    h->HotRect()->SetWidth(2);
    h->HotRect()->SetColor(gui::clFuchsia);
    EXPECT_EQ(tk::PixelAt(h, 0, 0), gui::clBlack);
    tk::MouseMove(f.get(), 20, 20);
    EXPECT_EQ(tk::PixelAt(h, 0, 0), gui::clFuchsia);
    EXPECT_EQ(tk::PixelAt(h, 38, 38), gui::clFuchsia);
    EXPECT_EQ(tk::PixelAt(h, 2, 2), gui::clBlue);
    h->SetEnabled(false);
    h->UpdateControl();
    EXPECT_EQ(tk::PixelAt(h, 1, 1), gui::clFuchsia);
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clBlack);  // ColorLeave: not "entered" while disabled
}

TEST(TSkHotImage, TransparentShowsTheParentAndSwapsWithoutRepaintingIt) {
    tk::Session s;
    auto f = MakeForm(gui::clTeal);
    auto* h = Add<TSkHotImage>(f.get(), 10, 10, 40, 40);
    h->HotRect()->SetVisible(false);
    auto leave = Solid(10, 10, gui::clRed);
    auto enter = Solid(10, 10, gui::clLime);
    h->SetImageLeave(leave.get());
    h->SetImageEnter(enter.get());
    h->SetTransparent(true);
    EXPECT_EQ(tk::PixelAt(h, 2, 2), gui::clTeal);
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clRed);
    const int formPaints = f->Paints;
    tk::MouseMove(f.get(), 30, 30);
    EXPECT_EQ(f->Paints, formPaints);
    EXPECT_EQ(tk::PixelAt(h, 20, 20), gui::clLime);
    EXPECT_EQ(tk::PixelAt(h, 2, 2), gui::clTeal);
}

TEST(TSkHotImage, CaptionIsDrawnInsideTheTextRectangle) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* h = Add<TSkHotImage>(f.get(), 0, 0, 80, 40);
    h->SetTextAlignment(vtaTopLeft);
    h->SetCaption("MMMM");
    auto bmp = tk::Render(h);
    int white = 0, firstX = 1000, firstY = 1000;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            if (bmp->Canvas()->Pixels(x, y) == gui::clWhite) {
                ++white;
                firstX = std::min(firstX, x);
                firstY = std::min(firstY, y);
            }
    EXPECT_GT(white, 10);
    // The hot frame's width + 2 is kept free on every side.
    EXPECT_GE(firstX, 3);
    EXPECT_GE(firstY, 3);
    EXPECT_LT(firstY, 12);
}

TEST(TSkHotImage, QuickSecondClickIsAClick) {
    tk::Session s;
    auto f = MakeForm();
    auto* h = Add<TSkHotImage>(f.get(), 0, 0, 40, 40);
    int clicks = 0, doubles = 0;
    h->OnClick = [&](gui::TObject*) { ++clicks; };
    h->OnDblClick = [&](gui::TObject*) { ++doubles; };
    EXPECT_FALSE(h->ControlStyle().Contains(gui::csDoubleClicks));
    tk::DblClick(f.get(), 5, 5);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 0);
}

