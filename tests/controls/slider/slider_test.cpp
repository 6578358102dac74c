#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/slider.h"
#include "gui/base/Classes.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

using namespace gui;
using namespace controls;
namespace tk = gui::testkit;

namespace {

constexpr TColor Olive = 32896;

struct SliderFixture : ::testing::Test {
    tk::Session session;
    std::unique_ptr<TForm> form;
    TSlider* slider = nullptr;

    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(50, 50, 400, 120);
        form->SetColor(clBlack);
        // The Bio window's seek slider.
        slider = new TSlider(form.get());
        slider->SetParent(form.get());
        slider->SetBounds(252, 32, 101, 17);
        slider->SetNumThumbStates(2);
        slider->SetOptions(TSliderOptions{soSmooth});
        slider->SetIncrement(10);
        slider->SetMinValue(0);
        slider->SetMaxValue(100);
        slider->SetValue(0);
        form->Show();
    }

    TSliderThumb* Thumb() const { return slider->Thumb(); }
};

}  // namespace

TEST_F(SliderFixture, SlideposGeometry) {
    EXPECT_EQ(slider->Ruler()->Width(), 99);
    EXPECT_EQ(slider->Ruler()->Height(), 10);
    EXPECT_EQ(slider->RulerOrigin(), Point(1, 1));
    EXPECT_EQ(Thumb()->Width(), 4);
    EXPECT_EQ(Thumb()->Height(), 17);
    EXPECT_EQ(Thumb()->Top(), -5);
    EXPECT_EQ(Thumb()->Left(), 1);
    EXPECT_EQ(slider->TrackLength(), 95);
    // N(95 * v / 100) + 1 with halves to even: 47.5 -> 48, 28.5 -> 28.
    EXPECT_EQ(slider->ValueToPixel(50), 49);
    EXPECT_EQ(slider->ValueToPixel(30), 29);
    EXPECT_EQ(slider->ValueToPixel(100), 96);
    EXPECT_EQ(slider->PixelToValue(96), 100);
    EXPECT_EQ(slider->PixelToValue(1), 0);
    slider->SetValue(50);
    EXPECT_EQ(Thumb()->Left(), 49);
}

TEST_F(SliderFixture, RulerRepeatsTheMiddleAndKeepsBothEnds) {
    TBitmap* pic = slider->ImageHRuler();
    ASSERT_EQ(pic->Width(), 10);
    TBitmap* ruler = slider->Ruler();
    for (int x = 0; x < 99; ++x) {
        int from = x < 8 ? x : x < 92 ? 2 + (x - 8) % 6 : 3 + (x - 92);
        for (int y = 0; y < 10; ++y)
            ASSERT_EQ(ruler->Canvas()->Pixels(x, y), pic->Canvas()->Pixels(from, y)) << x << "," << y;
    }
}

TEST_F(SliderFixture, RulerAndThumbAreDrawnTransparently) {
    TBitmap* pic = slider->ImageHRuler();
    // Olive background rows let the window colour (the black form's) through.
    ASSERT_EQ(pic->Canvas()->Pixels(5, 0), Olive);
    EXPECT_EQ(tk::PixelAt(slider, 50, 1), clBlack);
    // The channel is drawn as it is in the picture.
    TColor channel = pic->Canvas()->Pixels(5, 4);
    ASSERT_NE(channel, Olive);
    EXPECT_EQ(tk::PixelAt(slider, 50, 5), channel);
    // The thumb's magenta corners are left out; its face is drawn.
    TBitmap* thumb = slider->ImageHThumb();
    ASSERT_EQ(thumb->Canvas()->Pixels(0, 16), RGB(255, 0, 255));
    EXPECT_NE(tk::PixelAt(Thumb(), 0, 16), RGB(255, 0, 255));
}

TEST_F(SliderFixture, DragFollowsThePointerAndStopsAtTheEnds) {
    std::vector<int> changes;
    slider->OnChange = [&](TObject*) { changes.push_back(slider->Value()); };
    tk::MouseDown(Thumb(), 2, 8);
    EXPECT_TRUE(slider->CurrentlySeeking());
    EXPECT_TRUE(Thumb()->Pressed());
    tk::MouseMove(Thumb(), 2 + 47, 8);  // thumb left 1 -> 48: N(47 * 100 / 95) = 49
    EXPECT_EQ(Thumb()->Left(), 48);
    EXPECT_EQ(slider->Value(), 49);
    tk::MouseMove(slider, 400, 8);
    EXPECT_EQ(Thumb()->Left(), 96);
    EXPECT_EQ(slider->Value(), 100);
    tk::MouseMove(slider, -300, 8);
    EXPECT_EQ(Thumb()->Left(), 1);
    EXPECT_EQ(slider->Value(), 0);
    EXPECT_EQ(changes, (std::vector<int>{49, 100, 0}));
    tk::MouseUp(slider, -300, 8);
    EXPECT_FALSE(slider->CurrentlySeeking());
    EXPECT_FALSE(Thumb()->Pressed());
}

TEST_F(SliderFixture, ProgramWritesAreIgnoredWhileSeekingAndStopTrackingSeesTheDrop) {
    bool seekingSeen = false;
    int valueSeen = -1;
    slider->OnStopTracking = [&](TObject*) {
        seekingSeen = slider->CurrentlySeeking();
        valueSeen = slider->Value();
        slider->SetValue(5);  // ignored: still seeking
    };
    tk::MouseDown(Thumb(), 1, 8);
    tk::MouseMove(Thumb(), 1 + 30, 8);
    const int dropped = slider->Value();
    const int left = Thumb()->Left();
    slider->SetValue(90);  // the player's timer during the drag
    EXPECT_EQ(slider->Value(), dropped);
    EXPECT_EQ(Thumb()->Left(), left);
    tk::MouseUp(Thumb(), 1 + 30, 8);
    EXPECT_TRUE(seekingSeen);
    EXPECT_EQ(valueSeen, dropped);
    EXPECT_EQ(slider->Value(), dropped);
    slider->SetValue(90);
    EXPECT_EQ(slider->Value(), 90);
    EXPECT_EQ(Thumb()->Left(), slider->ValueToPixel(90));
}

TEST_F(SliderFixture, FailingStopTrackingHandlerDoesNotLeaveTheDragOn) {
    slider->OnStopTracking = [](TObject*) { throw Exception("seek failed"); };
    tk::MouseDown(Thumb(), 1, 8);
    tk::MouseUp(Thumb(), 1, 8);
    EXPECT_FALSE(slider->CurrentlySeeking());
    EXPECT_EQ(session.Texts(), (std::vector<String>{"seek failed"}));
    slider->SetValue(40);
    EXPECT_EQ(slider->Value(), 40);
}

TEST_F(SliderFixture, WithoutSmoothADragSnapsDownToIncrements) {
    slider->SetOptions(TSliderOptions{});
    tk::MouseDown(Thumb(), 1, 8);
    tk::MouseMove(Thumb(), 1 + 36, 8);  // pixel 37: N(36 * 100 / 95) = 38 -> 30
    EXPECT_EQ(slider->Value(), 30);
    EXPECT_EQ(Thumb()->Left(), slider->ValueToPixel(30));
    tk::MouseUp(Thumb(), 1, 8);
}

TEST_F(SliderFixture, RangeAndIncrementSettersRefuseInvalidValues) {
    slider->SetMaxValue(5);  // below MinValue + Increment
    EXPECT_EQ(slider->MaxValue(), 100);
    slider->SetMinValue(95);
    EXPECT_EQ(slider->MinValue(), 0);
    slider->SetIncrement(0);
    slider->SetIncrement(-3);
    EXPECT_EQ(slider->Increment(), 10);
    slider->SetMaxValue(10);
    EXPECT_EQ(slider->MaxValue(), 10);
    slider->SetValue(-7);
    EXPECT_EQ(slider->Value(), 0);
    slider->SetValue(65535);  // the player's failure value
    EXPECT_EQ(slider->Value(), 10);
    EXPECT_EQ(Thumb()->Left(), 96);
}

TEST_F(SliderFixture, ArrowKeysStepByIncrementFromZero) {
    slider->SetValue(25);
    slider->SetFocus();
    tk::KeyDown(VK_RIGHT, {}, slider);
    EXPECT_EQ(slider->Value(), 30);
    slider->SetValue(25);
    tk::KeyDown(VK_LEFT, {}, slider);
    EXPECT_EQ(slider->Value(), 10);
    tk::KeyDown(VK_END, {}, slider);
    EXPECT_EQ(slider->Value(), 100);
    tk::KeyDown(VK_RIGHT, {}, slider);
    EXPECT_EQ(slider->Value(), 100);
    tk::KeyDown(VK_HOME, {}, slider);
    EXPECT_EQ(slider->Value(), 0);
    tk::KeyDown(VK_UP, {}, slider);  // not a horizontal key
    EXPECT_EQ(slider->Value(), 0);
    tk::KeyDown(VK_RIGHT, {ssShift}, slider);  // shifted keys are not handled
    EXPECT_EQ(slider->Value(), 0);
    EXPECT_EQ(slider->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(SliderFixture, PressOnTheRulerPagesEvery400MsUntilTheThumbPassesThePointer) {
    tk::MouseDown(slider, 40, 5);
    EXPECT_EQ(slider->Value(), 10);
    EXPECT_TRUE(tk::WindowTimerRunning(slider->Handle(), 1));
    tk::AdvanceTime(399);
    EXPECT_EQ(slider->Value(), 10);
    tk::AdvanceTime(1);
    EXPECT_EQ(slider->Value(), 20);
    tk::AdvanceTime(400 * 10);
    // Value 40 puts the thumb over pixel 40 (left 39, width 4): paging pauses there.
    EXPECT_EQ(slider->Value(), 40);
    tk::MouseUp(slider, 40, 5);
    EXPECT_FALSE(tk::WindowTimerRunning(slider->Handle(), 1));
    tk::MouseDown(slider, 2, 5);  // left of the thumb: step down
    EXPECT_EQ(slider->Value(), 30);
    tk::MouseUp(slider, 2, 5);
}

TEST_F(SliderFixture, EdgeSizeMustLeaveAMiddleToRepeat) {
    slider->SetEdgeSize(5);
    EXPECT_EQ(slider->EdgeSize(), 2);
    slider->SetEdgeSize(-1);
    EXPECT_EQ(slider->EdgeSize(), 2);
    slider->SetEdgeSize(4);
    EXPECT_EQ(slider->EdgeSize(), 4);
    // Piece 0 is [0, 6); the middle [4, 6) repeats; the last piece ends with the picture's end.
    TBitmap* pic = slider->ImageHRuler();
    TBitmap* ruler = slider->Ruler();
    EXPECT_EQ(ruler->Canvas()->Pixels(98, 4), pic->Canvas()->Pixels(9, 4));
    EXPECT_EQ(ruler->Canvas()->Pixels(6, 4), pic->Canvas()->Pixels(4, 4));
}

TEST_F(SliderFixture, VerticalValuesGrowUpward) {
    slider->SetBounds(10, 5, 30, 120);
    slider->SetOrientation(soVertical);
    EXPECT_EQ(Thumb()->Width(), 9);  // 18 wide, two states
    EXPECT_EQ(Thumb()->Height(), 9);
    EXPECT_EQ(slider->Ruler()->Width(), 8);
    EXPECT_EQ(slider->Ruler()->Height(), 118);
    EXPECT_EQ(slider->TrackLength(), 109);
    // Ruler (8) is narrower than the thumb (9): the thumb sits at the margin.
    EXPECT_EQ(Thumb()->Left(), 1);
    EXPECT_EQ(slider->RulerOrigin(), Point(1, 1));
    slider->SetValue(0);
    EXPECT_EQ(Thumb()->Top(), 120 - 1 - 9);
    slider->SetValue(100);
    EXPECT_EQ(Thumb()->Top(), 1);
    slider->SetValue(50);
    slider->SetFocus();
    tk::KeyDown(VK_UP, {}, slider);
    EXPECT_EQ(slider->Value(), 60);
    tk::KeyDown(VK_DOWN, {}, slider);
    EXPECT_EQ(slider->Value(), 50);
    tk::KeyDown(VK_RIGHT, {}, slider);
    EXPECT_EQ(slider->Value(), 50);
}

TEST_F(SliderFixture, UserPicturesAreMarkedAndStreamedAsUserImages) {
    TBitmap user;
    user.SetPixelFormat(pf24bit);
    user.SetSize(12, 20);
    slider->SetImageHThumb(&user);
    EXPECT_EQ(slider->UserImageMask(), 1);
    EXPECT_EQ(Thumb()->Width(), 6);
    EXPECT_EQ(Thumb()->Height(), 20);

    TMemoryStream stream;
    TWriter writer(&stream);
    writer.WriteProperties(slider);
    stream.SetPosition(0);

    TSlider other(form.get());
    EXPECT_EQ(other.UserImageMask(), 0);
    TReader reader(&stream);
    reader.ReadProperties(&other);
    EXPECT_EQ(other.UserImageMask(), 1);

    slider->SetImageHThumb(nullptr);  // back to the built-in picture
    EXPECT_EQ(slider->UserImageMask(), 0);
    EXPECT_EQ(Thumb()->Width(), 4);
}

TEST_F(SliderFixture, TickMarksEveryIncrementWithLongerEnds) {
    form->SetColor(clWhite);
    slider->SetBounds(10, 10, 101, 30);
    slider->SetOptions(TSliderOptions{soShowPoints, soSmooth});
    auto img = tk::Render(slider);
    // Point area starts below the ruler: 10 + 1 + 1 = row 12. Marks sit at
    // ValueToPixel(v) + thumb width / 2; gap (95 - 11) / 10 = 8 keeps step 10.
    EXPECT_EQ(slider->PointArea().Top, 12);
    for (int v = 0; v <= 100; v += 10) {
        const int x = slider->ValueToPixel(v) + 2;
        const int len = (v == 0 || v == 100) ? 4 : 3;
        for (int y = 12; y < 12 + len; ++y) EXPECT_EQ(img->Canvas()->Pixels(x, y), clBlack) << v << "," << y;
        EXPECT_EQ(img->Canvas()->Pixels(x, 12 + len), clWhite) << v;
        EXPECT_EQ(img->Canvas()->Pixels(x + 1, 12), clWhite) << v;
    }
    // A crowded range spreads the marks to a multiple of the increment.
    slider->SetIncrement(1);
    img = tk::Render(slider);
    // Step 4 leaves gaps of (95 - 26) / 25 = 2; step 5 gives 3.
    EXPECT_EQ(img->Canvas()->Pixels(slider->ValueToPixel(5) + 2, 12), clBlack);
    EXPECT_EQ(img->Canvas()->Pixels(slider->ValueToPixel(4) + 2, 12), clWhite);
    EXPECT_EQ(img->Canvas()->Pixels(slider->ValueToPixel(1) + 2, 12), clWhite);
    int calls = 0;
    slider->OnDrawPoints = [&](TObject*) { ++calls; };
    slider->Invalidate();
    tk::Render(slider);
    EXPECT_EQ(calls, 1);
}

TEST_F(SliderFixture, FocusRectangleOnlyWhileFocused) {
    form->SetColor(clWhite);
    slider->SetOptions(TSliderOptions{soShowFocus, soSmooth});
    slider->SetBounds(10, 10, 101, 30);
    auto before = tk::Render(slider);
    slider->SetFocus();
    auto focused = tk::Render(slider);
    int changed = 0;
    for (int x = 2; x < 99; ++x)
        if (focused->Canvas()->Pixels(x, 27) != before->Canvas()->Pixels(x, 27)) ++changed;
    EXPECT_GT(changed, 20);  // the dotted bottom edge at height - 3
    form->SetFocus();
    auto after = tk::Render(slider);
    EXPECT_EQ(after->Canvas()->Pixels(5, 27), before->Canvas()->Pixels(5, 27));
    EXPECT_EQ(after->Canvas()->Pixels(6, 27), before->Canvas()->Pixels(6, 27));
}
