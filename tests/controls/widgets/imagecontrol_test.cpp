#include <gtest/gtest.h>

#include <vector>

#include "controls/SkControls.h"
#include "controls/SkHyperCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "widget_fixture.h"

using namespace controls;
using namespace controls_test;
namespace tk = gui::testkit;

namespace {

// Fills itself with a colour over its background and records each paint.
class ImageProbe : public TSkGraphicImageControl {
public:
    explicit ImageProbe(gui::TComponent* owner) : TSkGraphicImageControl(owner) {}
    using TSkGraphicImageControl::SetTransparent;
    using TSkGraphicImageControl::Transparent;
    struct PaintRecord {
        bool Grab;
        bool Over;  // painted over the current pixels, the parent not painting
    };
    std::vector<PaintRecord> Paints;
    gui::TColor Dot = gui::clRed;
    int WantWidth = 0;  // the auto-size rule's width; 0 keeps the given one

protected:
    bool CanAutoSize(int& w, int&) override {
        if (WantWidth <= 0) return false;
        w = WantWidth;
        return true;
    }
    void Paint() override {
        Paints.push_back({Grabbing(), PaintingOver()});
        PaintBackground();
        ImageCanvas()->Brush()->SetColor(Dot);
        ImageCanvas()->FillRect(gui::Rect(0, 0, 2, 2));
        TSkGraphicImageControl::Paint();
    }
};

}  // namespace

TEST(TSkGraphicImageControl, TransparencyCapturesThenReusesTheBackground) {
    tk::Session s;
    auto f = MakeForm(gui::clBlue);
    auto* p = Add<ImageProbe>(f.get(), 10, 10, 20, 10);
    EXPECT_EQ(p->Version(), "3.72");
    tk::PixelAt(p, 0, 0);
    EXPECT_TRUE(p->BackgroundCopy()->Empty());  // nothing captured while opaque
    p->Paints.clear();

    p->SetTransparent(false);  // unchanged: nothing happens
    EXPECT_TRUE(p->Paints.empty());

    // Turning it on repaints once through the parent, capturing.
    p->SetTransparent(true);
    ASSERT_EQ(p->Paints.size(), 1u);
    EXPECT_TRUE(p->Paints[0].Grab);
    EXPECT_FALSE(p->Paints[0].Over);
    EXPECT_EQ(p->BackgroundCopy()->Canvas()->Pixels(5, 5), gui::clBlue);
    EXPECT_EQ(tk::PixelAt(p, 10, 5), gui::clBlue);
    EXPECT_EQ(tk::PixelAt(p, 0, 0), gui::clRed);

    // A self-started repaint draws over the cache without the parent painting.
    p->Paints.clear();
    const int formPaints = f->Paints;
    p->Dot = gui::clYellow;
    p->UpdateControl();
    ASSERT_EQ(p->Paints.size(), 1u);
    EXPECT_FALSE(p->Paints[0].Grab);
    EXPECT_TRUE(p->Paints[0].Over);
    EXPECT_EQ(f->Paints, formPaints);
    EXPECT_EQ(tk::PixelAt(p, 0, 0), gui::clYellow);
    EXPECT_EQ(tk::PixelAt(p, 10, 5), gui::clBlue);
    // ... and is back to capturing afterwards.
    EXPECT_TRUE(p->Grabbing());
    EXPECT_FALSE(p->ControlStyle().Contains(gui::csOpaque));

    // Turning it off makes the control opaque again and fills with Color.
    p->SetColor(gui::clLime);
    p->SetTransparent(false);
    EXPECT_TRUE(p->ControlStyle().Contains(gui::csOpaque));
    EXPECT_EQ(tk::PixelAt(p, 10, 5), gui::clLime);
}

TEST(TSkGraphicImageControl, NoRepaintWhileLoading) {
    tk::Session s;
    auto f = MakeForm();
    auto* p = Add<ImageProbe>(f.get(), 0, 0, 10, 10);
    tk::PixelAt(p, 0, 0);
    p->Paints.clear();
    p->BeginLoading();
    p->UpdateControl();
    p->SetTransparent(true);
    EXPECT_TRUE(p->Paints.empty());
    p->EndLoading();
    tk::PixelAt(p, 0, 0);
    EXPECT_FALSE(p->Paints.empty());
}

TEST(TSkGraphicControl, UpdateBoundsRepaintsOnlyWhenTheAutoSizeRuleMovesThem) {
    tk::Session s;
    auto f = MakeForm();
    auto* p = Add<ImageProbe>(f.get(), 0, 0, 10, 10);
    p->SetAutoSize(true);
    tk::PixelAt(p, 0, 0);
    p->Paints.clear();
    p->UpdateBounds();  // the rule keeps the size: no repaint
    EXPECT_TRUE(p->Paints.empty());
    p->WantWidth = 30;
    p->UpdateBounds();
    EXPECT_EQ(p->Width(), 30);
    EXPECT_EQ(p->Paints.size(), 1u);
    p->SetAlign(gui::alClient);  // not an auto-sizing alignment: just repaint
    p->Paints.clear();
    p->UpdateBounds();
    EXPECT_EQ(p->Paints.size(), 1u);
}

TEST(TSkGraphicControl, NotificationsReachTheHooks) {
    tk::Session s;
    auto f = MakeForm();
    auto* h = Add<TSkHotImage>(f.get(), 10, 10, 30, 30);
    std::vector<std::string> log;
    h->OnMouseEnter = [&](gui::TObject* sender) { log.push_back(sender == h ? "enter" : "?"); };
    h->OnMouseLeave = [&](gui::TObject*) { log.push_back("leave"); };
    h->OnFontChanged = [&](gui::TObject*) { log.push_back("font"); };
    tk::MouseMove(f.get(), 200, 200);
    tk::MouseMove(f.get(), 20, 20);
    tk::MouseMove(f.get(), 21, 21);
    tk::MouseMove(f.get(), 200, 200);
    h->Font()->SetSize(20);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave", "font"}));
}

TEST(SkControls, HandCursorIsRegisteredOnceAsNumber99) {
    tk::Session s;
    auto f = MakeForm();
    Add<TSkHotImage>(f.get(), 0, 0, 5, 5);
    ASSERT_NE(gui::Screen, nullptr);
    gui::HCURSOR first = gui::Screen->Cursors.Find(crSkHandPoint);
    EXPECT_NE(first, nullptr);
    InitSkControls();
    Add<TSkHotImage>(f.get(), 0, 0, 5, 5);
    EXPECT_EQ(gui::Screen->Cursors.Find(crSkHandPoint), first);
}

TEST(SkControls, TextAlignmentFlags) {
    const unsigned expected[] = {4, 5, 6, 0, 1, 2, 8, 9, 10};
    for (int a = vtaLeft; a <= vtaBottomRight; ++a)
        EXPECT_EQ(TextAlignmentFlags(static_cast<TSkTextAlignment>(a)), expected[a] + 2080u) << a;
}
