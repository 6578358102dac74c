#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "controls/SkClasses.h"
#include "controls/SkSysUtils.h"
#include "gui/draw/Graphics.h"

using namespace controls;
using gui::TColor;

namespace {

struct ChangeCounter {
    int Count = 0;
    explicit ChangeCounter(TSkPersistent& obj) {
        obj.OnChange = [this](gui::TObject*) { ++Count; };
    }
};

std::unique_ptr<gui::TBitmap> WhiteBitmap(int w, int h) {
    auto bmp = std::make_unique<gui::TBitmap>();
    bmp->SetSize(w, h);
    bmp->Canvas()->Brush()->SetColor(gui::clWhite);
    bmp->Canvas()->FillRect(gui::Rect(0, 0, w, h));
    return bmp;
}

}  // namespace

TEST(TSkPersistent, SettersAndUpdateCountNotifyOnce) {
    TSkBevel b;
    ChangeCounter c(b);
    b.SetInnerWidth(1);  // unchanged
    b.SetInnerWidth(0);  // below the subrange: refused
    b.SetOuterSpace(-1);
    EXPECT_EQ(c.Count, 0);
    b.BeginUpdate();
    b.BeginUpdate();
    b.SetInnerWidth(3);
    b.SetOuterOutline(osInner);
    b.EndUpdate();
    EXPECT_EQ(c.Count, 0);
    b.EndUpdate();
    EXPECT_EQ(c.Count, 1);
    b.EndUpdate();  // unmatched: the count stays at 0, and it notifies
    EXPECT_EQ(b.UpdateCount(), 0);
    EXPECT_EQ(c.Count, 2);
}

TEST(TSkPersistent, AssignGivesExactlyOneChange) {
    TSkBevel src, dst;
    src.SetBorderWidth(2);
    src.SetInnerOutline(osOuter);
    src.SetOuterColor(9);
    src.SetVisible(false);
    ChangeCounter c(dst);
    dst.Assign(&src);
    EXPECT_EQ(c.Count, 1);
    EXPECT_EQ(dst.StoredProperties(), src.StoredProperties());
    EXPECT_FALSE(dst.Visible());
    dst.Assign(&src);  // identical: still one notification
    EXPECT_EQ(c.Count, 2);

    TSkPalette pal, other;
    other.SetLow(gui::clMaroon);
    ChangeCounter pc(pal);
    pal.Assign(&other);
    EXPECT_EQ(pc.Count, 1);
    EXPECT_EQ(pal.Low(), gui::clMaroon);
    EXPECT_EQ(pal.ColorFor(0), gui::clMaroon);
    EXPECT_EQ(pal.ColorFor(1), gui::clLime);
    EXPECT_THROW(dst.Assign(&pal), gui::EConvertError);
    EXPECT_THROW(pal.Assign(&dst), gui::EConvertError);
}

TEST(TSkBevel, DefaultRingsOnTwentyPixels) {
    auto bmp = WhiteBitmap(20, 20);
    auto px = [&](int x, int y) { return bmp->Canvas()->Pixels(x, y); };
    TSkBevel b;
    gui::TRect r = gui::Rect(0, 0, 20, 20), v = r;
    b.PaintTo(bmp->Canvas(), r);
    b.GetVisibleArea(v);
    EXPECT_EQ(r, gui::Rect(4, 4, 16, 16));
    EXPECT_EQ(v, r);
    const TColor hi = ResolveColor(gui::clBtnHighlight), sh = ResolveColor(gui::clBtnShadow),
                 face = ResolveColor(gui::clBtnFace);
    // Black outline, raised outer edge, lowered inner edge, inner space.
    EXPECT_EQ(px(0, 0), gui::clBlack);
    EXPECT_EQ(px(19, 19), gui::clBlack);
    EXPECT_EQ(px(10, 1), hi);
    EXPECT_EQ(px(18, 10), sh);
    EXPECT_EQ(px(2, 10), sh);
    EXPECT_EQ(px(17, 10), hi);
    EXPECT_EQ(px(3, 3), face);
    EXPECT_EQ(px(4, 4), gui::clWhite);

    b.SetVisible(false);
    auto blank = WhiteBitmap(6, 6);
    r = gui::Rect(0, 0, 6, 6);
    b.PaintTo(blank->Canvas(), r);
    EXPECT_EQ(r, gui::Rect(0, 0, 6, 6));
    EXPECT_EQ(blank->Canvas()->Pixels(0, 0), gui::clWhite);
}

TEST(TSkBevel, RingOrderWithBorderAndOutlines) {
    auto bmp = WhiteBitmap(20, 20);
    TSkBevel b;
    b.SetBorderWidth(2);
    b.SetBorderColor(gui::clRed);
    b.SetOuterOutline(osInner);
    b.SetOuterStyle(bsLowered);
    b.SetOuterShadow(gui::clNavy);
    b.SetOuterHighlight(gui::clAqua);
    b.SetOuterSpace(1);
    b.SetOuterColor(gui::clYellow);
    b.SetInnerOutline(osOuter);
    b.SetInnerStyle(bsNone);
    b.SetInnerSpace(0);
    gui::TRect r = gui::Rect(0, 0, 20, 20);
    b.PaintTo(bmp->Canvas(), r);
    EXPECT_EQ(r, gui::Rect(6, 6, 14, 14));
    auto px = [&](int x, int y) { return bmp->Canvas()->Pixels(x, y); };
    EXPECT_EQ(px(1, 5), gui::clRed);
    EXPECT_EQ(px(2, 5), gui::clNavy);   // lowered: shadow left, highlight right
    EXPECT_EQ(px(17, 5), gui::clAqua);
    EXPECT_EQ(px(3, 5), gui::clBlack);  // outer outline inside the edge
    EXPECT_EQ(px(4, 5), gui::clYellow);
    EXPECT_EQ(px(5, 10), gui::clBlack);  // inner outline
}

TEST(TSkBevel, PaintToAlwaysEndsAtTheVisibleArea) {
    std::mt19937 rng(7);
    auto bmp = WhiteBitmap(64, 64);
    for (int i = 0; i < 200; ++i) {
        TSkBevel b;
        b.SetBorderWidth(static_cast<int>(rng() % 3));
        b.SetInnerWidth(1 + static_cast<int>(rng() % 3));
        b.SetOuterWidth(1 + static_cast<int>(rng() % 3));
        b.SetInnerSpace(static_cast<int>(rng() % 3));
        b.SetOuterSpace(static_cast<int>(rng() % 3));
        b.SetInnerStyle(static_cast<TSkBevelStyle>(rng() % 3));
        b.SetOuterStyle(static_cast<TSkBevelStyle>(rng() % 3));
        b.SetInnerOutline(static_cast<TSkBevelOutlineStyle>(rng() % 3));
        b.SetOuterOutline(static_cast<TSkBevelOutlineStyle>(rng() % 3));
        gui::TRect painted = gui::Rect(3, 5, 60, 50), area = painted;
        b.PaintTo(bmp->Canvas(), painted);
        b.GetVisibleArea(area);
        ASSERT_EQ(painted, area) << "case " << i;
    }
}
