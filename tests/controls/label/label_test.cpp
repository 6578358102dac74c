#include <gtest/gtest.h>

#include <memory>

#include "controls/SkLabel.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

using namespace gui;
using namespace controls;
namespace tk = gui::testkit;

TEST(SkLabelOrigin, AngleZeroCentresAndNeverStartsLeftOfTheMargin) {
    EXPECT_EQ(SkLabelTextOrigin(261, 25, 100, 18, 0, taCenter, tlCenter), Point(80, 3));
    EXPECT_EQ(SkLabelTextOrigin(261, 25, 300, 18, 0, taCenter, tlCenter), Point(2, 3));
    EXPECT_EQ(SkLabelTextOrigin(100, 25, 40, 16, 0, taLeftJustify, tlTop), Point(2, 2));
    EXPECT_EQ(SkLabelTextOrigin(100, 25, 40, 16, 0, taRightJustify, tlBottom), Point(100 - 42, 25 - 18));
}

TEST(SkLabelOrigin, RotatedTextMakesRoomWhereItRuns) {
    // Upward text is centred vertically about the middle of the control.
    EXPECT_EQ(SkLabelTextOrigin(100, 25, 40, 17, 90, taCenter, tlCenter), Point(41, 32));
    EXPECT_EQ(SkLabelTextOrigin(100, 25, 40, 17, 90, taLeftJustify, tlTop), Point(2, 42));
    // Upside-down text starts at its right end and below its top.
    EXPECT_EQ(SkLabelTextOrigin(100, 30, 40, 17, 180, taLeftJustify, tlTop), Point(42, 19));
    EXPECT_EQ(SkLabelTextOrigin(100, 30, 41, 17, 180, taCenter, tlCenter), Point(70, 23));
    // Downward text needs its height on the left.
    EXPECT_EQ(SkLabelTextOrigin(100, 80, 40, 17, 270, taLeftJustify, tlTop), Point(19, 2));
    EXPECT_EQ(SkLabelTextOrigin(100, 80, 40, 17, 270, taRightJustify, tlBottom), Point(100 - 19 + 17, 80 - 42));
}

namespace {

struct LabelFixture : ::testing::Test {
    tk::Session session;
    std::unique_ptr<TForm> form;
    TSkLabel* label = nullptr;
    static constexpr TColor Backdrop = RGB(20, 60, 20);

    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(30, 30, 300, 120);
        form->SetColor(Backdrop);
        // Like the Bio window's lbl_songtitle.
        label = new TSkLabel(form.get());
        label->SetParent(form.get());
        label->SetBounds(4, 4, 261, 25);
        label->SetStyle(lsNone);
        label->SetTransparent(true);
        label->Font()->SetName("Arial");
        label->Font()->SetHeight(-16);
        label->Font()->SetStyle(TFontStyles{fsBold});
        label->Font()->SetColor(clRed);
        label->SetCaption("Nightfall");
        form->Show();
    }

    // Pixels of colour c in the label as drawn now, and their bounding box.
    int Count(TColor c, TRect* box = nullptr) {
        auto img = tk::Render(label);
        int n = 0;
        TRect b{1000, 1000, -1, -1};
        for (int y = 0; y < label->Height(); ++y)
            for (int x = 0; x < label->Width(); ++x)
                if (img->Canvas()->Pixels(x, y) == c) {
                    ++n;
                    b.Left = std::min(b.Left, x);
                    b.Top = std::min(b.Top, y);
                    b.Right = std::max(b.Right, x + 1);
                    b.Bottom = std::max(b.Bottom, y + 1);
                }
        if (box) *box = b;
        return n;
    }
};

}  // namespace

TEST_F(LabelFixture, TransparentCaptionIsDrawnOnceOverThePanel) {
    TRect box;
    EXPECT_GT(Count(clRed, &box), 20);
    EXPECT_EQ(tk::PixelAt(label, 0, 0), Backdrop);
    const int tw = label->TextWidth(), th = label->TextHeight();
    EXPECT_EQ(label->TextOrigin(), Point(std::max(2, (261 - tw) / 2), (25 - th) / 2));
    EXPECT_GE(box.Left, label->TextOrigin().X);
    EXPECT_LE(box.Right, label->TextOrigin().X + tw);
    // Only the font colour and the backdrop: no raised or shadow passes.
    EXPECT_EQ(Count(clRed) + Count(Backdrop), 261 * 25);
}

TEST_F(LabelFixture, OpaqueLabelFillsWithItsColour) {
    label->SetTransparent(false);
    label->SetColor(clYellow);
    EXPECT_EQ(tk::PixelAt(label, 0, 0), clYellow);
    EXPECT_GT(Count(clRed), 20);
    EXPECT_EQ(Count(Backdrop), 0);
}

TEST_F(LabelFixture, CaptionAndFontColourChangesShowAtOnce) {
    label->Font()->SetColor(clSilver);
    EXPECT_EQ(Count(clRed), 0);
    EXPECT_GT(Count(clSilver), 20);
    label->SetCaption("");
    EXPECT_EQ(Count(clSilver), 0);
}

TEST_F(LabelFixture, ShadowWithDepthZeroHidesUnderTheText) {
    label->SetStyle(lsShadow);
    label->SetShadowDepth(0);
    label->SetColorShadow(clBlue);
    EXPECT_EQ(Count(clBlue), 0);
    label->SetShadowDepth(2);
    EXPECT_GT(Count(clBlue), 5);
}

TEST_F(LabelFixture, RaisedTextShowsBothEdges) {
    label->SetStyle(lsRaised);
    label->SetColorHighlight(clWhite);
    label->SetColorShadow(clBlue);
    EXPECT_GT(Count(clWhite), 5);
    EXPECT_GT(Count(clBlue), 5);
    EXPECT_GT(Count(clRed), 5);
}

TEST_F(LabelFixture, PictureFillsOnlyTheLetters) {
    const int letters = Count(clRed);
    TBitmap pic;
    pic.SetPixelFormat(pf24bit);
    pic.SetSize(8, 8);
    pic.Canvas()->Brush()->SetColor(clAqua);
    pic.Canvas()->FillRect(Rect(0, 0, 8, 8));
    label->SetBitmap(&pic);
    EXPECT_EQ(Count(clRed), 0);
    EXPECT_EQ(Count(clAqua), letters);
    EXPECT_EQ(Count(Backdrop), 261 * 25 - letters);
    TBitmap empty;
    label->SetBitmap(&empty);
    EXPECT_EQ(Count(clRed), letters);
}

TEST_F(LabelFixture, UpwardTextIsTallerThanWide) {
    label->SetBounds(4, 4, 40, 110);
    label->SetAngle(90);
    TRect box;
    ASSERT_GT(Count(clRed, &box), 20);
    EXPECT_GT(box.Height(), box.Width());
    // trunc(55 + tw / 2): cos 90 is not exactly 0 in floating point, so an even
    // sum may land one lower.
    EXPECT_NEAR(label->TextOrigin().Y, (110 + label->TextWidth()) / 2, 1);
}

TEST_F(LabelFixture, AutoSizeFollowsTheRotatedExtent) {
    label->SetAutoSize(true);
    tk::PixelAt(label, 0, 0);
    const int tw = label->TextWidth(), th = label->TextHeight();
    EXPECT_EQ(label->Width(), tw + 4);
    EXPECT_EQ(label->Height(), th + 4);
    label->SetAngle(90);
    EXPECT_EQ(label->Width(), th + 4);
    EXPECT_EQ(label->Height(), tw + 4);
    label->SetCaption("Nightfall and more");
    EXPECT_GT(label->Height(), tw + 4);
}

TEST(SkLabelDefaults, ConstructorValues) {
    tk::Session session;
    TSkLabel l(nullptr);
    EXPECT_EQ(l.Width(), 100);
    EXPECT_EQ(l.Height(), 25);
    EXPECT_EQ(l.Alignment(), taCenter);
    EXPECT_EQ(l.Layout(), tlCenter);
    EXPECT_EQ(l.Style(), lsRaised);
    EXPECT_EQ(l.ShadowDepth(), 2);
    EXPECT_EQ(l.Color(), clBtnFace);
    EXPECT_EQ(l.Font()->Name(), "Arial");
    EXPECT_EQ(l.Font()->Size(), 14);
    EXPECT_FALSE(l.Transparent());
    l.SetAngle(370);
    EXPECT_EQ(l.Angle(), 10);
}
