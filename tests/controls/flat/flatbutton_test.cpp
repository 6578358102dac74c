#include <gtest/gtest.h>

#include <memory>

#include "controls/FlatButtons.h"
#include "controls/HSLUtils.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

using namespace gui;
using namespace controls;
namespace tk = gui::testkit;

namespace {

constexpr TColor Backdrop = RGB(0, 0, 96);  // the parent's colour, distinct from every button colour

struct FlatFixture : ::testing::Test {
    tk::Session session;
    std::unique_ptr<TForm> form;
    TFlatButton* button = nullptr;
    int clicks = 0;

    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(40, 40, 400, 120);
        form->SetColor(Backdrop);
        // The Bio window's FlatButton1.
        button = AddButton(272, 48, 61, 17);
        button->SetCaption("ModInfo");
        button->SetTransparentMode(tmNotFocused);
        button->SetColorFocused(clGray);
        button->SetColorBorder(clBlack);
        button->Font()->SetName("MS Sans Serif");
        button->Font()->SetHeight(-11);
        button->Font()->SetColor(clSilver);
        button->OnClick = [this](TObject*) { ++clicks; };
        form->Show();
    }

    TFlatButton* AddButton(int l, int t, int w, int h) {
        auto* b = new TFlatButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(l, t, w, h);
        return b;
    }

    // Pixels of the caption colour inside the text bounds.
    // Pixels of colour c inside the text bounds of the button as drawn now.
    int CaptionPixels(TColor c) {
        auto img = tk::Render(button);
        int n = 0;
        TRect r = button->TextBounds();
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (img->Canvas()->Pixels(x, y) == c) ++n;
        return n;
    }
};

}  // namespace

TEST_F(FlatFixture, AtRestShowsTheParentThroughABlackBorder) {
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(tk::PixelAt(button, 2, 2), Backdrop);
    EXPECT_EQ(tk::PixelAt(button, 58, 14), Backdrop);
    for (auto [x, y] : {std::pair{0, 0}, {30, 0}, {0, 8}, {60, 8}, {30, 16}, {60, 16}})
        EXPECT_EQ(tk::PixelAt(button, x, y), clBlack) << x << "," << y;
    // Caption centred on one line and drawn in silver.
    TRect r = button->TextBounds();
    EXPECT_GT(r.Width(), 10);
    EXPECT_NEAR(r.Left, 61 - r.Right, 1);
    EXPECT_NEAR(r.Top, 17 - r.Bottom, 1);
    EXPECT_GT(CaptionPixels(clSilver), 10);
}

TEST_F(FlatFixture, HoveredShowsARaisedGreyFace) {
    tk::MouseMove(button, 5, 5);
    EXPECT_TRUE(button->Hot());
    EXPECT_EQ(TFlatButton::HoveredButton(), button);
    EXPECT_TRUE(TFlatButton::HoverTimerRunning());
    EXPECT_EQ(tk::PixelAt(button, 2, 2), clGray);
    EXPECT_EQ(tk::PixelAt(button, 30, 0), clWhite);
    EXPECT_EQ(tk::PixelAt(button, 0, 8), clWhite);
    EXPECT_EQ(tk::PixelAt(button, 30, 16), clBlack);
    EXPECT_EQ(tk::PixelAt(button, 60, 8), clBlack);
    EXPECT_GT(CaptionPixels(clSilver), 10);
}

TEST_F(FlatFixture, PressedSinksWithTheCaptionOnePixelDownRight) {
    tk::Render(button);
    const TRect rest = button->TextBounds();
    tk::MouseMove(button, 5, 5);
    tk::MouseDown(button, 5, 5);
    tk::Render(button);
    EXPECT_EQ(button->State(), TFlatButtonState::Down);
    EXPECT_EQ(tk::PixelAt(button, 2, 2), 12965593);  // ColorDown
    EXPECT_EQ(tk::PixelAt(button, 30, 0), clBlack);
    EXPECT_EQ(tk::PixelAt(button, 0, 8), clBlack);
    EXPECT_EQ(tk::PixelAt(button, 30, 16), clWhite);
    EXPECT_EQ(tk::PixelAt(button, 60, 8), clWhite);
    TRect pressed = button->TextBounds();
    EXPECT_EQ(pressed.Left, rest.Left + 1);
    EXPECT_EQ(pressed.Top, rest.Top + 1);
    tk::MouseUp(button, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), TFlatButtonState::Up);
}

TEST_F(FlatFixture, ReleaseOutsideDoesNotClick) {
    tk::MouseMove(button, 5, 5);
    tk::MouseDown(button, 5, 5);
    tk::MouseMove(button, 80, 40);
    EXPECT_EQ(button->State(), TFlatButtonState::Up);  // dragged out
    tk::MouseMove(button, 5, 5);
    EXPECT_EQ(button->State(), TFlatButtonState::Down);  // and back in
    tk::MouseMove(button, 80, 40);
    tk::MouseUp(button, 80, 40);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(tk::PixelAt(button, 2, 2), Backdrop);
}

TEST_F(FlatFixture, HoverTimerDropsTheHotLookOnceThePointerLeaves) {
    tk::MouseMove(button, 5, 5);
    ASSERT_TRUE(button->Hot());
    tk::MouseMove(form.get(), 10, 10);  // the form is under the pointer now
    EXPECT_TRUE(button->Hot());
    tk::AdvanceTime(100);
    EXPECT_FALSE(button->Hot());
    EXPECT_FALSE(TFlatButton::HoverTimerRunning());
    EXPECT_EQ(TFlatButton::HoveredButton(), nullptr);
    // The next visit lights it again.
    tk::MouseMove(button, 6, 6);
    EXPECT_TRUE(button->Hot());
}

// The Bio window's ModInfo button: its click shows a window over the pointer,
// so the release leaves it unlit while it still owns the hover timer. Once
// the timer sees the pointer gone it must let go, or the button never lights
// again.
TEST_F(FlatFixture, LightsAgainAfterItsClickCoveredIt) {
    TForm cover(nullptr);
    cover.SetBorderStyle(bsNone);
    const TPoint at = button->ClientToScreen(Point(0, 0));
    cover.SetBounds(at.X - 10, at.Y - 10, 100, 60);
    button->OnClick = [&](TObject*) { cover.Show(); };
    tk::MouseMove(button, 5, 5);
    tk::Click(button, 5, 5);
    ASSERT_TRUE(cover.Visible());
    EXPECT_FALSE(button->Hot());
    tk::AdvanceTime(100);
    EXPECT_EQ(TFlatButton::HoveredButton(), nullptr);
    EXPECT_FALSE(TFlatButton::HoverTimerRunning());
    cover.Hide();
    tk::MouseMove(button, 6, 6);
    EXPECT_TRUE(button->Hot());
    EXPECT_EQ(TFlatButton::HoveredButton(), button);
    EXPECT_EQ(tk::PixelAt(button, 30, 0), clWhite);
}

TEST_F(FlatFixture, OneHoverTimerPassesBetweenButtons) {
    TFlatButton* other = AddButton(10, 10, 40, 20);
    EXPECT_EQ(TFlatButton::InstanceCount(), 2);
    tk::MouseMove(button, 5, 5);
    tk::MouseMove(other, 5, 5);
    EXPECT_EQ(TFlatButton::HoveredButton(), other);
    EXPECT_FALSE(button->Hot());
    EXPECT_TRUE(other->Hot());
    delete other;
    EXPECT_EQ(TFlatButton::InstanceCount(), 1);
    EXPECT_EQ(TFlatButton::HoveredButton(), nullptr);
    EXPECT_FALSE(TFlatButton::HoverTimerRunning());
}

TEST_F(FlatFixture, GroupedButtonsReleaseEachOther) {
    TFlatButton* a = AddButton(10, 10, 40, 20);
    TFlatButton* b = AddButton(60, 10, 40, 20);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    tk::Click(a, 5, 5);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), TFlatButtonState::Exclusive);
    tk::Click(b, 5, 5);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), TFlatButtonState::Up);
    // Without AllowAllUp a down group member stays down when clicked again.
    tk::Click(b, 5, 5);
    EXPECT_TRUE(b->Down());
    // AllowAllUp is shared through the group.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    tk::Click(b, 5, 5);
    EXPECT_FALSE(b->Down());
    // Down is always false outside a group.
    button->SetDown(true);
    EXPECT_FALSE(button->Down());
}

TEST_F(FlatFixture, GlyphWidthSetsTheFrameCount) {
    TBitmap g;
    g.SetPixelFormat(pf24bit);
    g.SetSize(64, 16);
    button->SetGlyph(&g);
    EXPECT_EQ(button->NumGlyphs(), 4);
    g.SetSize(96, 16);
    button->SetGlyph(&g);
    EXPECT_EQ(button->NumGlyphs(), 1);
    g.SetSize(30, 16);  // not a multiple: the count is kept
    button->SetGlyph(&g);
    EXPECT_EQ(button->NumGlyphs(), 1);
}

TEST_F(FlatFixture, GlyphIsDrawnWithoutItsBackgroundAboveTheCaption) {
    TFlatButton* b = AddButton(10, 10, 40, 40);
    b->SetTransparentMode(tmNone);
    b->SetColor(clWhite);
    TBitmap g;
    g.SetPixelFormat(pf24bit);
    g.SetSize(8, 8);
    g.Canvas()->Brush()->SetColor(clFuchsia);
    g.Canvas()->FillRect(Rect(0, 0, 8, 8));
    g.Canvas()->Brush()->SetColor(clRed);
    g.Canvas()->FillRect(Rect(2, 2, 6, 6));
    b->SetGlyph(&g);
    EXPECT_EQ(tk::PixelAt(b, 2, 2), clWhite);  // paints once for the layout
    // No caption: the spacing is 0 and the glyph is centred both ways.
    EXPECT_EQ(b->GlyphPos(), Point(16, 16));
    EXPECT_EQ(tk::PixelAt(b, 16, 16), clWhite);  // transparent corner
    EXPECT_EQ(tk::PixelAt(b, 19, 19), clRed);
}

TEST_F(FlatFixture, AdvancedColoursComeFromTheParent) {
    form->SetColor(clWhite);
    button->SetUseAdvColors(true);
    EXPECT_TRUE(button->ParentColor());
    EXPECT_EQ(button->Color(), clWhite);
    EXPECT_EQ(RGBtoHSL(button->ColorFocused()).L, 100);
    EXPECT_EQ(RGBtoHSL(button->ColorDown()).L, 240);
    EXPECT_EQ(RGBtoHSL(button->ColorBorder()).L, 200);
}

TEST_F(FlatFixture, SpaceKeyPressesAndClicks) {
    button->SetFocus();
    EXPECT_TRUE(button->Hot());
    tk::KeyDown(VK_SPACE, {}, button);
    EXPECT_EQ(button->State(), TFlatButtonState::Down);
    EXPECT_EQ(clicks, 0);
    tk::KeyUp(VK_SPACE, {}, button);
    EXPECT_EQ(button->State(), TFlatButtonState::Up);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FlatFixture, ClickSetsTheFormsModalResult) {
    button->SetModalResult(mrOk);
    tk::Click(button, 5, 5);
    EXPECT_EQ(form->ModalResult(), mrOk);
    form->SetModalResult(mrNone);
    button->SetModalResult(0);
    tk::Click(button, 5, 5);
    EXPECT_EQ(form->ModalResult(), mrNone);
}

TEST_F(FlatFixture, DisabledButtonShowsEmbossedCaptionAndIgnoresPresses) {
    button->SetEnabled(false);
    tk::MouseDown(button, 5, 5);
    tk::MouseUp(button, 5, 5);
    EXPECT_EQ(clicks, 0);
    EXPECT_GT(CaptionPixels(ColorToRGB(clBtnShadow)), 10);
    EXPECT_EQ(CaptionPixels(clSilver), 0);
    EXPECT_EQ(button->State(), TFlatButtonState::Disabled);
    button->SetEnabled(true);
    EXPECT_GT(CaptionPixels(clSilver), 10);
    EXPECT_EQ(button->State(), TFlatButtonState::Up);
}
