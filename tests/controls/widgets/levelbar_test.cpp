#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "controls/SkLevelBar.h"
#include "controls/SkSysUtils.h"
#include "gui/windows/TestKit.h"
#include "widget_fixture.h"

using namespace controls;
using namespace controls_test;
namespace tk = gui::testkit;

namespace {

class CountingLevelBar : public TSkLevelBar {
public:
    explicit CountingLevelBar(gui::TComponent* owner) : TSkLevelBar(owner) {}
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TSkLevelBar::Paint();
    }
};

// The Bio window's meters: 89 x 5, horizontal, 0..128, a 1-pixel black outline.
TSkLevelBar* AddMeter(gui::TWinControl* parent, int left, TSkProgressStyle style) {
    // Built as a window layout builds it: setters only store while loading.
    auto* m = new TSkLevelBar(parent);
    m->BeginLoading();
    m->SetParent(parent);
    m->SetBounds(left, 60, 89, 5);
    m->SetMaxValue(128);
    m->SetOrientation(voHorizontal);
    m->SetStyle(style);
    m->Bevel()->SetInnerStyle(bsNone);
    m->Bevel()->SetOuterStyle(bsNone);
    m->Bevel()->SetInnerSpace(0);
    m->Bevel()->SetOuterOutline(osOuter);
    m->EndLoading();
    return m;
}

}  // namespace

TEST(TSkLevelBar, PositionRepaintsThenNotifiesInOrder) {
    tk::Session s;
    auto f = MakeForm();
    auto* m = Add<CountingLevelBar>(f.get(), 0, 0, 20, 170);
    tk::PixelAt(m, 0, 0);
    std::vector<std::string> log;
    m->OnChange = [&](gui::TObject*) { log.push_back("change@" + std::to_string(m->Paints)); };
    m->OnMinValue = [&](gui::TObject*) { log.push_back("min"); };
    m->OnMaxValue = [&](gui::TObject*) { log.push_back("max"); };
    const int before = m->Paints;
    m->SetPosition(200);
    EXPECT_EQ(m->Position(), 100);
    EXPECT_EQ(log, (std::vector<std::string>{"change@" + std::to_string(before + 1), "max"}));
    log.clear();
    m->SetPosition(100);  // unchanged after clamping: nothing at all
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(m->Paints, before + 1);
    m->SetPosition(-1);
    EXPECT_EQ(m->Position(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"change@" + std::to_string(before + 2), "min"}));

    // Range setters refuse inconsistent values and pull the position along.
    m->SetMinValue(100);
    m->SetMaxValue(0);
    EXPECT_EQ(m->MinValue(), 0);
    EXPECT_EQ(m->MaxValue(), 100);
    log.clear();
    m->SetMinValue(10);
    EXPECT_EQ(m->Position(), 10);
    // Still no tick lit: the same pixels, so no paint before the events.
    EXPECT_EQ(log, (std::vector<std::string>{"change@" + std::to_string(before + 2), "min"}));
    m->SetPosition(50);
    m->SetMaxValue(40);
    EXPECT_EQ(m->Position(), 40);
}

TEST(TSkLevelBar, FullIntegerRangeDoesNotOverflow) {
    tk::Session s;
    auto f = MakeForm();
    auto* m = Add<TSkLevelBar>(f.get(), 0, 0, 20, 99);
    m->SetMinValue(INT_MIN);
    m->SetMaxValue(INT_MAX);
    m->SetPosition(INT_MAX);
    EXPECT_EQ(tk::PixelAt(m, 10, 93), gui::clLime);  // the bottom tick is lit
    m->SetPosition(0);
    EXPECT_EQ(tk::PixelAt(m, 10, 93), gui::clLime);  // 49 percent
    EXPECT_EQ(tk::PixelAt(m, 10, 5), gui::clMaroon);
}

TEST(TSkLevelBar, PercentZonesClampOrRefuse) {
    tk::Session s;
    TSkLevelBar m(nullptr);
    m.SetPercent2(50);  // 60 + 50 > 100: refused
    EXPECT_EQ(m.Percent2(), 25);
    m.SetPercent1(90);  // clamped to 100 - 25
    EXPECT_EQ(m.Percent1(), 75);
    m.BeginLoading();
    m.SetPercent1(90);  // stored as is while loading
    EXPECT_EQ(m.Percent1(), 90);
    m.EndLoading();
    m.SetTickHeight(0);
    m.SetTickHeight(-2);
    EXPECT_EQ(m.TickHeight(), 1);
}

TEST(TSkLevelBar, TrimsItselfToWholeTicks) {
    tk::Session s;
    auto f = MakeForm();
    auto* m = Add<TSkLevelBar>(f.get(), 0, 0, 20, 100);
    m->SetTickHeight(3);
    m->SetSpacing(1);
    tk::PixelAt(m, 0, 0);
    EXPECT_EQ(m->TickCount(), 22);
    EXPECT_EQ(m->Height(), 97);
    EXPECT_EQ(m->Width(), 20);

    m->SetOrientation(voHorizontal);
    EXPECT_EQ(m->Width(), 97);
    EXPECT_EQ(m->Height(), 20);

    // A bevel change keeps the tick area and resizes the control around it.
    tk::PixelAt(m, 0, 0);
    const gui::TRect inner = m->InnerRect();
    m->Bevel()->SetInnerWidth(4);
    EXPECT_EQ(m->Width(), inner.Width() + 2 * 7);
    EXPECT_EQ(m->Height(), inner.Height() + 2 * 7);
    tk::PixelAt(m, 0, 0);
    EXPECT_EQ(m->InnerRect().Width(), inner.Width());
}

TEST(TSkLevelBar, NonPositivePitchDrawsNoTicks) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* m = Add<TSkLevelBar>(f.get(), 0, 0, 20, 99);  // 45 ticks fit exactly
    m->SetPosition(100);
    EXPECT_EQ(tk::PixelAt(m, 10, 51), gui::clLime);
    m->SetSpacing(-1);
    EXPECT_EQ(tk::PixelAt(m, 10, 51), gui::clBlack);
    EXPECT_EQ(m->TickCount(), 0);
    EXPECT_EQ(m->Height(), 99);
    m->SetSpacing(-5);
    EXPECT_EQ(tk::PixelAt(m, 10, 51), gui::clBlack);
}

TEST(TSkLevelBar, BioMetersTickColoursAndPositions) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* right = AddMeter(f.get(), 136, psBottomLeft);
    auto* left = AddMeter(f.get(), 28, psTopRight);
    left->SetPosition(1);
    tk::PixelAt(right, 0, 0);
    EXPECT_EQ(right->TickCount(), 44);
    EXPECT_EQ(right->Width(), 89);
    EXPECT_EQ(right->InnerRect(), gui::Rect(1, 1, 88, 4));

    // Tick k of the right meter sits at x = 1 + 2 (k - 1); the left meter mirrors it.
    auto rightTick = [&](int k) { return tk::PixelAt(right, 1 + 2 * (k - 1), 2); };
    auto leftTick = [&](int k) { return tk::PixelAt(left, 87 - 2 * (k - 1), 2); };

    right->SetPosition(64);  // 50 percent: 22 of 44 lit
    left->SetPosition(64);
    for (auto tick : {std::function<gui::TColor(int)>(rightTick), std::function<gui::TColor(int)>(leftTick)}) {
        EXPECT_EQ(tick(1), gui::clLime);
        EXPECT_EQ(tick(22), gui::clLime);
        EXPECT_EQ(tick(23), gui::clGreen);
        EXPECT_EQ(tick(26), gui::clGreen);
        EXPECT_EQ(tick(27), gui::clOlive);
        EXPECT_EQ(tick(37), gui::clOlive);
        EXPECT_EQ(tick(38), gui::clMaroon);
        EXPECT_EQ(tick(44), gui::clMaroon);
    }
    // Gaps and the outline show the black background.
    EXPECT_EQ(tk::PixelAt(right, 2, 2), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(right, 0, 2), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(right, 5, 0), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(right, 88, 2), gui::clBlack);
    EXPECT_EQ(tk::PixelAt(right, 5, 1), gui::clLime);
    EXPECT_EQ(tk::PixelAt(right, 5, 3), gui::clLime);

    right->SetPosition(128);
    EXPECT_EQ(rightTick(26), gui::clLime);
    EXPECT_EQ(rightTick(27), gui::clYellow);
    EXPECT_EQ(rightTick(44), gui::clRed);
    right->SetPosition(0);
    EXPECT_EQ(rightTick(1), gui::clGreen);
    EXPECT_EQ(rightTick(44), gui::clMaroon);
}

TEST(TSkLevelBar, VerticalFillsFromTheBottomOrTop) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    // No bevel, ticks of 1 with gaps of 1: 100 ticks in 199 pixels.
    auto* m = Add<TSkLevelBar>(f.get(), 0, 0, 4, 199);
    m->Bevel()->SetVisible(false);  // keeps the old tick area: size it again
    m->SetBounds(0, 0, 4, 199);
    m->SetPosition(10);  // PercentOf(10, 100) = 9 lit
    tk::PixelAt(m, 0, 0);
    ASSERT_EQ(m->TickCount(), 100);
    auto tickFromBottom = [&](int k) { return tk::PixelAt(m, 2, 198 - 2 * (k - 1)); };
    EXPECT_EQ(tickFromBottom(9), gui::clLime);
    EXPECT_EQ(tickFromBottom(10), gui::clGreen);
    EXPECT_EQ(tickFromBottom(100), gui::clMaroon);
    m->SetStyle(psTopRight);
    EXPECT_EQ(tk::PixelAt(m, 2, 0), gui::clLime);
    EXPECT_EQ(tk::PixelAt(m, 2, 16), gui::clLime);
    EXPECT_EQ(tk::PixelAt(m, 2, 18), gui::clGreen);
    EXPECT_EQ(tk::PixelAt(m, 2, 198), gui::clMaroon);
}

// The player sets both meters 33 times a second; a level lighting as many
// ticks as the one shown draws the same pixels.
TEST(TSkLevelBar, ALevelLightingTheSameTicksPaintsAndCopiesNothing) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* m = AddMeter(f.get(), 136, psBottomLeft);
    m->SetPosition(64);  // 22 of 44 lit
    tk::ProcessMessages();
    const int paints = m->Paints(), copies = tk::ScreenCopies(f.get());
    int changes = 0;
    m->OnChange = [&](gui::TObject*) { ++changes; };
    m->SetPosition(65);
    m->SetPosition(66);
    tk::ProcessMessages();
    EXPECT_EQ(m->Position(), 66);
    EXPECT_EQ(changes, 2) << "every new value is still announced";
    EXPECT_EQ(m->Paints(), paints);
    EXPECT_EQ(tk::ScreenCopies(f.get()), copies);
    m->SetPosition(63);  // 21 lit
    tk::ProcessMessages();
    EXPECT_EQ(m->Paints(), paints + 1);
    EXPECT_EQ(tk::ScreenCopies(f.get()), copies + 1);
    EXPECT_EQ(tk::PixelAt(m, 1 + 2 * 20, 2), gui::clLime);
    EXPECT_EQ(tk::PixelAt(m, 1 + 2 * 21, 2), gui::clGreen);
    // A new tick count from a paint of its own (a resize) is the one compared.
    m->SetBounds(136, 60, 45, 5);  // 22 ticks: 63 of 128 lights 10
    tk::PixelAt(m, 0, 0);
    const int resized = m->Paints();
    m->SetPosition(65);  // 11 lit
    EXPECT_EQ(m->Paints(), resized + 1);
}

// A level change redraws only the ticks between the two levels: after every
// step of a walk over the range, what is shown equals a full repaint.
TEST(TSkLevelBar, ALevelChangeShowsWhatAFullPaintShows) {
    tk::Session s;
    auto f = MakeForm(gui::clWhite);
    auto* across = AddMeter(f.get(), 10, psBottomLeft);
    auto* back = AddMeter(f.get(), 110, psTopRight);
    auto* up = Add<TSkLevelBar>(f.get(), 10, 70, 9, 120);
    auto* down = Add<TSkLevelBar>(f.get(), 30, 70, 9, 120);
    down->SetStyle(psTopRight);
    down->SetTickHeight(3);
    down->SetSpacing(0);
    for (TSkLevelBar* m : {across, back, up, down}) m->SetMaxValue(128);
    f->Show();
    tk::ProcessMessages();
    auto pixels = [](TSkLevelBar* m) {
        auto bmp = tk::Render(m);
        std::vector<gui::TColor> v;
        for (int y = 0; y < bmp->Height(); ++y)
            for (int x = 0; x < bmp->Width(); ++x) v.push_back(bmp->Canvas()->Pixels(x, y));
        return v;
    };
    unsigned seed = 7;
    for (int step = 0; step < 40; ++step) {
        seed = seed * 1103515245u + 12345u;
        const int level = step % 10 == 0 ? (step % 20 ? 128 : 0) : static_cast<int>((seed >> 16) % 129);
        for (TSkLevelBar* m : {across, back, up, down}) {
            m->SetPosition(level);
            const auto shown = pixels(m);
            m->Invalidate();
            EXPECT_EQ(shown, pixels(m)) << "level " << level << " on the meter at " << m->Left() << "," << m->Top();
        }
    }
}
