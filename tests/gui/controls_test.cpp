#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/windows/Controls.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;

namespace {

// A windowless control that records what reaches it and paints a colour.
class Probe : public TGraphicControl {
public:
    explicit Probe(TComponent* owner, std::vector<std::string>* log = nullptr, const std::string& name = "")
        : TGraphicControl(owner), Log(log), Tag(name) {}
    std::vector<std::string>* Log;
    std::string Tag;
    TColor Fill = clRed;
    int Paints = 0;
    TColor SeenBehind = clNone;
    TRect SeenClip{};
    bool ReadBehind = false;

protected:
    void Paint() override {
        ++Paints;
        SeenClip = Canvas()->ClipRect();
        if (ReadBehind) SeenBehind = Canvas()->Pixels(0, 0);
        Canvas()->Brush()->SetColor(Fill);
        // Deliberately larger than the control: the parent clips it.
        Canvas()->FillRect(Rect(-20, -20, Width() + 20, Height() + 20));
    }
    void Dispatch(TMessage& M) override {
        if (Log && M.Msg == CM_MOUSEENTER) Log->push_back("enter " + Tag);
        if (Log && M.Msg == CM_MOUSELEAVE) Log->push_back("leave " + Tag);
        if (Log && M.Msg == CM_BUTTONPRESSED) Log->push_back("pressed " + Tag);
        TGraphicControl::Dispatch(M);
    }
};

// A form whose own paint is counted.
class CountingForm : public TForm {
public:
    explicit CountingForm(TComponent* owner) : TForm(owner) {}
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TForm::Paint();
    }
};

std::unique_ptr<CountingForm> MakeForm(int w = 200, int h = 150) {
    auto f = std::make_unique<CountingForm>(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(100, 100, w, h);
    f->SetColor(clBlue);
    return f;
}

Probe* AddProbe(TWinControl* parent, int l, int t, int w, int h, std::vector<std::string>* log = nullptr,
                const std::string& name = "") {
    auto* p = new Probe(parent, log, name);
    p->SetBounds(l, t, w, h);
    p->SetParent(parent);
    return p;
}

}  // namespace

TEST(ControlsMouse, GraphicChildGetsClicksAndCaptureKeepsRelease) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    Probe* p = AddProbe(f.get(), 10, 10, 50, 30);
    int clicks = 0, formClicks = 0, ups = 0;
    TPoint downAt{-1, -1};
    p->OnClick = [&](TObject*) { ++clicks; };
    p->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downAt = {x, y}; };
    p->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    f->OnClick = [&](TObject*) { ++formClicks; };

    tk::Click(f.get(), 15, 20);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(formClicks, 0);
    EXPECT_EQ(downAt, (TPoint{5, 10}));  // control coordinates

    // Pressed on the control, released outside: the release still reaches it
    // (capture), but it is no click.
    tk::MouseDown(f.get(), 15, 20);
    EXPECT_EQ(GetCaptureControl(), p);
    tk::MouseMove(f.get(), 150, 120);
    tk::MouseUp(f.get(), 150, 120);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ups, 3 - 1);
    EXPECT_EQ(GetCaptureControl(), nullptr);

    // A disabled control lets the click through to the form.
    p->SetEnabled(false);
    tk::Click(f.get(), 15, 20);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(formClicks, 1);
}

TEST(ControlsMouse, DoubleClicksNeedTheStyleFlag) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    Probe* p = AddProbe(f.get(), 0, 0, 40, 40);
    int clicks = 0, dbl = 0, downs = 0;
    p->OnClick = [&](TObject*) { ++clicks; };
    p->OnDblClick = [&](TObject*) { ++dbl; };
    p->OnMouseDown = [&](TObject*, TMouseButton, TShiftState sh, int, int) {
        ++downs;
        (void)sh;
    };
    tk::DblClick(f.get(), 5, 5);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(clicks, 2);  // the second release after a double click press clicks too
    EXPECT_EQ(downs, 2);

    p->ControlStyle() >> csDoubleClicks;
    dbl = clicks = 0;
    tk::DblClick(f.get(), 5, 5);
    EXPECT_EQ(dbl, 0);
    EXPECT_EQ(clicks, 2);
}

TEST(ControlsMouse, EnterAndLeaveComeInPairs) {
    tk::Session s;
    std::vector<std::string> log;
    auto f = MakeForm();
    f->SetBounds(400, 300, 200, 150);
    f->Show();
    AddProbe(f.get(), 0, 0, 50, 50, &log, "a");
    Probe* b = AddProbe(f.get(), 60, 0, 50, 50, &log, "b");
    b->SetEnabled(false);  // disabled controls still see the pointer

    tk::MouseMove(f.get(), 10, 10);
    tk::MouseMove(f.get(), 12, 10);
    tk::MouseMove(f.get(), 70, 10);
    tk::MouseMove(f.get(), 150, 100);
    std::vector<std::string> want{"enter a", "leave a", "enter b", "leave b"};
    EXPECT_EQ(log, want);
}

TEST(ControlsMouse, ControlAtPosAndDragTargetSeeDisabledOnlyWhenAsked) {
    tk::Session s;
    auto f = MakeForm();
    f->SetBounds(700, 500, 200, 150);
    f->Show();
    Probe* p = AddProbe(f.get(), 20, 20, 30, 30);
    p->SetEnabled(false);
    EXPECT_EQ(f->ControlAtPos(TPoint{25, 25}, false), nullptr);
    EXPECT_EQ(f->ControlAtPos(TPoint{25, 25}, true), p);
    TPoint screen = f->ClientToScreen(TPoint{25, 25});
    EXPECT_EQ(FindDragTarget(screen, true), p);
    EXPECT_EQ(FindDragTarget(screen, false), f.get());
    EXPECT_EQ(FindVCLWindow(screen), f.get());
    EXPECT_EQ(WindowFromPoint(screen), f->Handle());
}

TEST(ControlsWndProc, SubclassSeesInputAndChainsToTheOldProcedure) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    std::vector<UINT> seen;
    LONG_PTR old = 0;
    HWND h = f->Handle();
    LONG_PTR stub = MakeObjectInstance([&](TMessage& m) {
        seen.push_back(m.Msg);
        m.Result = CallWindowProcA(old, h, m.Msg, m.WParam, m.LParam);
    });
    old = SetWindowLongA(h, GWL_WNDPROC, stub);
    ASSERT_NE(old, 0);
    EXPECT_EQ(GetWindowLongA(h, GWL_WNDPROC), stub);

    int downs = 0;
    f->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        ++downs;
        EXPECT_EQ(b, mbLeft);
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 9);
    };
    tk::MouseDown(f.get(), 7, 9);
    tk::MouseUp(f.get(), 7, 9);
    EXPECT_EQ(downs, 1);  // the old procedure still delivered it
    ASSERT_GE(seen.size(), 2u);
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_LBUTTONDOWN), seen.end());

    // Restoring the old procedure takes the stub out of the chain.
    EXPECT_EQ(SetWindowLongA(h, GWL_WNDPROC, old), stub);
    seen.clear();
    tk::Click(f.get(), 7, 9);
    EXPECT_TRUE(seen.empty());
    FreeObjectInstance(stub);

    // A window that is gone refuses the subclassing.
    HWND dead = nullptr;
    {
        auto g = MakeForm();
        dead = g->Handle();
    }
    EXPECT_EQ(SetWindowLongA(dead, GWL_WNDPROC, old), 0);
    EXPECT_EQ(SendMessage(dead, WM_USER, 0, 0), 0);
}

TEST(ControlsWndProc, WindowProcCanBeReplacedAndRestored) {
    tk::Session s;
    auto f = MakeForm();
    TWndMethod saved = f->WindowProc;
    int users = 0;
    f->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 5) {
            ++users;
            m.Result = 42;
            return;
        }
        saved(m);
    };
    EXPECT_EQ(f->Perform(WM_USER + 5, 0, 0), 42);
    EXPECT_EQ(SendMessage(f->Handle(), WM_USER + 5, 0, 0), 42);
    f->WindowProc = saved;
    EXPECT_EQ(f->Perform(WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(users, 2);
}

TEST(ControlsWndProc, PostedMessagesWaitForTheEventLoop) {
    tk::Session s;
    auto f = MakeForm();
    std::vector<LPARAM> got;
    TWndMethod saved = f->WindowProc;
    f->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 102) got.push_back(m.LParam);
        saved(m);
    };
    EXPECT_TRUE(PostMessage(f->Handle(), WM_USER + 102, 0, 1));
    EXPECT_TRUE(PostMessage(f->Handle(), WM_USER + 102, 0, 2));
    EXPECT_TRUE(got.empty());
    tk::ProcessMessages();
    EXPECT_EQ(got, (std::vector<LPARAM>{1, 2}));
    f->WindowProc = saved;
}

TEST(ControlsTimers, WindowTimersDeliverWmTimerUntilKilled) {
    tk::Session s;
    auto f = MakeForm();
    std::vector<WPARAM> ticks;
    TWndMethod saved = f->WindowProc;
    f->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_TIMER) ticks.push_back(m.WParam);
        saved(m);
    };
    EXPECT_EQ(SetTimer(f->Handle(), 1, 400), 1u);
    tk::AdvanceTime(399);
    EXPECT_TRUE(ticks.empty());
    tk::AdvanceTime(1);
    tk::AdvanceTime(800);
    EXPECT_EQ(ticks, (std::vector<WPARAM>{1, 1, 1}));
    EXPECT_TRUE(tk::FireWindowTimer(f->Handle(), 1));
    EXPECT_EQ(ticks.size(), 4u);
    EXPECT_TRUE(KillTimer(f->Handle(), 1));
    EXPECT_FALSE(KillTimer(f->Handle(), 1));
    tk::AdvanceTime(2000);
    EXPECT_EQ(ticks.size(), 4u);
    f->WindowProc = saved;
}

TEST(ControlsErrors, ExceptionLeavingAHandlerIsReportedAndTheRestSkipped) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    Probe* p = AddProbe(f.get(), 0, 0, 40, 40);
    bool after = false;
    int clicks = 0;
    p->OnClick = [&](TObject*) {
        ++clicks;
        if (clicks == 1) throw EFOpenError("Cannot open file bio-back.jpg");
        after = true;
    };
    int ups = 0;
    p->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    tk::Click(f.get(), 5, 5);
    ASSERT_EQ(s.Texts(), std::vector<String>{"Cannot open file bio-back.jpg"});
    EXPECT_EQ(s.Boxes[0].Flags & 0xF0, 0x10);  // error icon
    EXPECT_FALSE(after);
    EXPECT_EQ(ups, 0);  // the rest of that message's handling was skipped
    // The program goes on: the next click works.
    tk::Click(f.get(), 5, 5);
    EXPECT_TRUE(after);
    EXPECT_EQ(s.Boxes.size(), 1u);
}

TEST(ControlsPaint, GraphicControlsPaintInZOrderClippedToThemselves) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* a = AddProbe(f.get(), 10, 10, 30, 20);
    Probe* b = AddProbe(f.get(), 30, 15, 30, 20);
    a->Fill = clRed;
    b->Fill = clLime;
    EXPECT_EQ(tk::PixelAt(f.get(), 5, 5), RGB(0, 0, 255));      // form colour (clBlue)
    EXPECT_EQ(tk::PixelAt(f.get(), 15, 12), RGB(255, 0, 0));    // a
    EXPECT_EQ(tk::PixelAt(f.get(), 35, 20), RGB(0, 255, 0));    // b above a
    EXPECT_EQ(tk::PixelAt(f.get(), 62, 20), RGB(0, 0, 255));    // b's overdraw clipped
    EXPECT_EQ(tk::PixelAt(a, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(a->SeenClip, Rect(0, 0, 30, 20));

    b->SendToBack();
    EXPECT_EQ(tk::PixelAt(f.get(), 35, 20), RGB(255, 0, 0));
    b->SetVisible(false);
    EXPECT_EQ(tk::PixelAt(f.get(), 50, 30), RGB(0, 0, 255));
}

TEST(ControlsPaint, RepaintHonoursTheOpaqueFlag) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* p = AddProbe(f.get(), 10, 10, 20, 20);
    tk::PixelAt(f.get(), 0, 0);  // everything painted once
    int formPaints = f->Paints;
    int probePaints = p->Paints;

    // Not opaque: the parent repaints beneath first, synchronously.
    p->Repaint();
    EXPECT_EQ(f->Paints, formPaints + 1);
    EXPECT_EQ(p->Paints, probePaints + 1);

    // Opaque: straight over the parent's current pixels.
    p->ControlStyle() << csOpaque;
    p->Fill = clYellow;
    p->Repaint();
    EXPECT_EQ(f->Paints, formPaints + 1);
    EXPECT_EQ(p->Paints, probePaints + 2);
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(255, 255, 0));
}

TEST(ControlsPaint, RepaintOverPaintsOnTheCurrentPixelsWhateverTheStyle) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* p = AddProbe(f.get(), 10, 10, 20, 20);
    Probe* above = AddProbe(f.get(), 25, 10, 20, 20);  // overlaps p's right edge
    above->Fill = clLime;
    Probe* elsewhere = AddProbe(f.get(), 60, 40, 10, 10);
    tk::PixelAt(f.get(), 0, 0);
    const int formPaints = f->Paints, abovePaints = above->Paints, elsewherePaints = elsewhere->Paints;
    EXPECT_FALSE(p->PaintingOver());

    p->Fill = clYellow;
    p->RepaintOver();  // not opaque, yet the parent does not paint beneath
    EXPECT_EQ(f->Paints, formPaints);
    EXPECT_EQ(above->Paints, abovePaints + 1);  // the controls above are painted again
    EXPECT_EQ(elsewhere->Paints, elsewherePaints);
    EXPECT_FALSE(p->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(p->PaintingOver());
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(255, 255, 0));
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 27, 15), RGB(0, 255, 0));

    // While loading, or hidden, nothing paints.
    p->BeginLoading();
    p->RepaintOver();
    p->EndLoading();
    p->SetVisible(false);
    p->RepaintOver();
    EXPECT_EQ(f->Paints, formPaints);
}

TEST(ControlsPaint, RepaintOverEndsItsStateWhenThePaintThrows) {
    tk::Session s;
    auto f = MakeForm(100, 80);

    class Thrower : public TGraphicControl {
    public:
        using TGraphicControl::TGraphicControl;
        bool Throw = false;
        bool SawOver = false;

    protected:
        void Paint() override {
            SawOver = PaintingOver();
            if (Throw) throw std::runtime_error("paint failed");
        }
    };
    auto* t = new Thrower(f.get());
    t->SetBounds(0, 0, 10, 10);
    t->SetParent(f.get());
    tk::PixelAt(f.get(), 0, 0);
    t->Throw = true;
    EXPECT_THROW(t->RepaintOver(), std::runtime_error);
    EXPECT_TRUE(t->SawOver);
    EXPECT_FALSE(t->PaintingOver());
    t->Throw = false;
    t->Repaint();  // through the parent: not a paint-over
    EXPECT_FALSE(t->SawOver);
}

TEST(ControlsPaint, AControlCanReadThePixelsBehindIt) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    f->SetColor(RGB(21, 22, 5));
    Probe* under = AddProbe(f.get(), 0, 0, 50, 50);
    under->Fill = clSilver;
    Probe* top = AddProbe(f.get(), 10, 10, 20, 20);
    top->ReadBehind = true;
    tk::PixelAt(f.get(), 0, 0);
    EXPECT_EQ(top->SeenBehind, RGB(192, 192, 192));  // what the parent and the controls beneath painted
    under->SetVisible(false);
    top->Repaint();
    EXPECT_EQ(top->SeenBehind, RGB(21, 22, 5));
}

TEST(ControlsPaint, ParentBackgroundCanBePaintedIntoAnotherCanvas) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* p = AddProbe(f.get(), 0, 0, 100, 10);
    p->Fill = clRed;
    auto* child = new TCustomControl(f.get());
    child->SetBounds(20, 5, 30, 30);
    child->SetParent(f.get());
    TBitmap bmp;
    bmp.SetSize(30, 30);
    PaintParentBackground(child, bmp.Canvas()->Handle(), TPoint{0, 0});
    EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), RGB(255, 0, 0));  // parent's graphic control at y 5..9
    EXPECT_EQ(bmp.Canvas()->Pixels(0, 10), RGB(0, 0, 255));  // parent's own background
}

TEST(ControlsLayout, AlignedChildrenShareTheClientArea) {
    tk::Session s;
    auto f = MakeForm(200, 100);
    auto* top = new TPanel(f.get());
    top->SetParent(f.get());
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* left = new TPanel(f.get());
    left->SetParent(f.get());
    left->SetWidth(30);
    left->SetAlign(alLeft);
    auto* rest = new TPanel(f.get());
    rest->SetParent(f.get());
    rest->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 30, 100));
    EXPECT_EQ(rest->BoundsRect(), Rect(30, 20, 200, 100));
    f->SetBounds(100, 100, 300, 120);
    EXPECT_EQ(rest->BoundsRect(), Rect(30, 20, 300, 120));
}

TEST(ControlsFocus, FocusMovesWithEnterAndExitAndKeysFollowIt) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    auto* a = new TCustomControl(f.get());
    a->SetParent(f.get());
    auto* b = new TCustomControl(f.get());
    b->SetParent(f.get());
    b->SetLeft(50);
    std::vector<std::string> log;
    a->OnEnter = [&](TObject*) { log.push_back("enter a"); };
    a->OnExit = [&](TObject*) { log.push_back("exit a"); };
    b->OnEnter = [&](TObject*) { log.push_back("enter b"); };
    Word lastKey = 0;
    b->OnKeyDown = [&](TObject*, Word& k, TShiftState) { lastKey = k; };
    a->SetFocus();
    EXPECT_TRUE(a->Focused());
    b->SetFocus();
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(f->ActiveControl(), b);
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
    tk::KeyDown(VK_RIGHT);
    EXPECT_EQ(lastKey, VK_RIGHT);
    b->SetEnabled(false);
    EXPECT_FALSE(b->CanFocus());
    EXPECT_FALSE(b->Focused());
}

TEST(ControlsNotify, BroadcastReachesEveryChild) {
    tk::Session s;
    std::vector<std::string> log;
    auto f = MakeForm();
    AddProbe(f.get(), 0, 0, 5, 5, &log, "a");
    AddProbe(f.get(), 0, 0, 5, 5, &log, "b");
    TMessage m{CM_BUTTONPRESSED, 3, 0, 0};
    f->Broadcast(m);
    EXPECT_EQ(log, (std::vector<std::string>{"pressed a", "pressed b"}));
}

TEST(ControlsNotify, ParentColourAndFontFlowDownUntilSetLocally) {
    tk::Session s;
    auto f = MakeForm();
    Probe* p = AddProbe(f.get(), 0, 0, 5, 5);
    EXPECT_EQ(p->Color(), clBlue);
    f->SetColor(clGreen);
    EXPECT_EQ(p->Color(), clGreen);
    p->SetColor(clRed);
    EXPECT_FALSE(p->ParentColor());
    f->SetColor(clWhite);
    EXPECT_EQ(p->Color(), clRed);

    f->Font()->SetName("Arial");
    EXPECT_EQ(p->Font()->Name(), "Arial");
    p->Font()->SetColor(clGray);
    EXPECT_FALSE(p->ParentFont());
    f->Font()->SetName("Courier New");
    EXPECT_EQ(p->Font()->Name(), "Arial");
}

TEST(ControlsPaint, ScrollWindowMovesPixelsAndRepaintsTheUncoveredStrip) {
    tk::Session s;
    auto f = MakeForm(60, 60);
    Probe* p = AddProbe(f.get(), 0, 20, 60, 10);
    p->Fill = clRed;
    tk::PixelAt(f.get(), 0, 0);
    int paints = p->Paints;
    // Move the content up by 15 pixels: the red band goes from 20..29 to 5..14.
    ASSERT_TRUE(ScrollWindow(f->Handle(), 0, -15, nullptr, nullptr));
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 30, 6), RGB(255, 0, 0));
    EXPECT_EQ(p->Paints, paints);  // moved, not repainted
    // The strip at the bottom is painted on the next update.
    f->Update();
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 30, 55), RGB(0, 0, 255));
}

TEST(ControlsMouse, CaptureChangesAreAnnouncedAndWheelTurnsBubbleUp) {
    tk::Session s;
    auto f = MakeForm();
    auto* a = new TCustomControl(f.get());
    a->SetParent(f.get());
    auto* b = new TCustomControl(f.get());
    b->SetParent(f.get());
    int lostA = 0;
    TWndMethod savedA = a->WindowProc;
    a->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_CAPTURECHANGED) ++lostA;
        savedA(m);
    };
    SetCapture(a->Handle());
    EXPECT_EQ(GetCapture(), a->Handle());
    SetCapture(b->Handle());
    EXPECT_EQ(lostA, 1);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    a->WindowProc = savedA;

    int wheels = 0;
    TWndMethod savedF = f->WindowProc;
    f->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_MOUSEWHEEL) ++wheels;
        savedF(m);
    };
    SendMessage(b->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0);
    EXPECT_EQ(wheels, 1);
    f->WindowProc = savedF;
}

TEST(ControlsMouse, HiddenOrFreedControlsLeaveTheHoverCleanly) {
    tk::Session s;
    std::vector<std::string> log;
    auto f = MakeForm();
    f->SetBounds(600, 100, 200, 150);
    f->Show();
    Probe* a = AddProbe(f.get(), 0, 0, 50, 50, &log, "a");
    Probe* b = AddProbe(f.get(), 60, 0, 50, 50, &log, "b");
    tk::MouseMove(f.get(), 10, 10);
    a->SetVisible(false);
    tk::MouseMove(f.get(), 11, 10);  // now over the form itself
    tk::MouseMove(f.get(), 70, 10);
    delete b;  // freed while hovered: no leave to a dead control
    tk::MouseMove(f.get(), 71, 10);
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "leave a", "enter b"}));
}

TEST(ControlsErrors, PaintAndTimerErrorsAreReportedAndAFailingReportIsContained) {
    tk::Session s;
    auto f = MakeForm(60, 60);
    auto* box = new TPaintBox(f.get());
    box->SetParent(f.get());
    box->SetBounds(0, 0, 10, 10);
    box->OnPaint = [](TObject*) { throw Exception("Out of Resources"); };
    tk::PixelAt(f.get(), 30, 30);
    EXPECT_EQ(s.Texts(), std::vector<String>{"Out of Resources"});
    EXPECT_EQ(tk::PixelAt(f.get(), 30, 30), RGB(0, 0, 255));  // the rest of the window painted

    box->OnPaint = nullptr;
    Application->OnException = [](TObject*, Exception&) { throw Exception("report failed"); };
    SetTimer(f->Handle(), 7, 10);
    TWndMethod saved = f->WindowProc;
    int ticks = 0;
    f->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_TIMER) {
            ++ticks;
            throw Exception("tick");
        }
        saved(m);
    };
    tk::AdvanceTime(30);  // three failing ticks, each contained
    EXPECT_EQ(ticks, 3);
    Application->OnException = nullptr;
    f->WindowProc = saved;
    KillTimer(f->Handle(), 7);
}

TEST(ControlsWndProc, AFreedWindowSendsWmDestroyThroughItsProcedure) {
    tk::Session s;
    int destroys = 0;
    LONG_PTR old = 0;
    HWND h = nullptr;
    LONG_PTR stub = MakeObjectInstance([&](TMessage& m) {
        if (m.Msg == WM_DESTROY) ++destroys;
        m.Result = CallWindowProcA(old, h, m.Msg, m.WParam, m.LParam);
    });
    {
        auto f = MakeForm();
        h = f->Handle();
        old = SetWindowLongA(h, GWL_WNDPROC, stub);
    }
    EXPECT_EQ(destroys, 1);
    EXPECT_FALSE(IsWindow(h));
    FreeObjectInstance(stub);
}

// ---- Reaching the screen -------------------------------------------------------------

// Every repaint renders into the back buffer before it returns; the screen
// gets the result of a whole event-loop turn in one copy per window.
TEST(ControlsPaint, RepaintsOfOneTurnReachTheScreenInOneCopy) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* a = AddProbe(f.get(), 10, 10, 20, 20);
    Probe* b = AddProbe(f.get(), 40, 10, 20, 20);
    b->ControlStyle() << csOpaque;
    f->Show();
    tk::ProcessMessages();
    const int before = tk::ScreenCopies(f.get());
    ASSERT_GT(before, 0) << "showing the window copies it to the screen";

    const TColor colours[] = {RGB(255, 255, 0), RGB(0, 255, 0), RGB(255, 255, 255), RGB(255, 0, 255)};
    for (TColor c : colours) {
        a->Fill = c;
        a->Repaint();
        EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), c);
        b->Fill = c;
        b->Repaint();
        EXPECT_EQ(tk::BackBufferPixel(f.get(), 45, 15), c);
        b->RepaintOver();
        f->Update();
    }
    EXPECT_EQ(tk::ScreenCopies(f.get()), before) << "nothing is copied while the turn runs";
    tk::ProcessMessages();
    EXPECT_EQ(tk::ScreenCopies(f.get()), before + 1);
    tk::ProcessMessages();
    EXPECT_EQ(tk::ScreenCopies(f.get()), before + 1) << "no copy without a change";
    // What reaches the screen is the state after the turn.
    EXPECT_EQ(tk::PixelAt(f.get(), 15, 15), RGB(255, 0, 255));
    EXPECT_EQ(tk::PixelAt(f.get(), 45, 15), RGB(255, 0, 255));
}

// A timer tick's repaints and invalidated areas reach the screen when the
// tick ends, in one copy, without waiting for the event loop; a part under a
// child window keeps the child's pixels, and after the loop has run
// everything shows the new state.
TEST(ControlsPaint, ATimerTicksRepaintsReachTheScreenWhenTheTickEnds) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* a = AddProbe(f.get(), 10, 10, 20, 20);
    Probe* b = AddProbe(f.get(), 40, 10, 20, 20);
    a->ControlStyle() << csOpaque;
    b->ControlStyle() << csOpaque;
    auto* cover = new TPanel(f.get());
    cover->SetBevelOuter(bvNone);
    cover->SetColor(clGreen);
    cover->SetBounds(50, 10, 30, 30);
    cover->SetParent(f.get());
    auto* timer = new TTimer(f.get());
    timer->SetInterval(30);
    TColor next = clNone;
    timer->SetOnTimer([&](TObject*) {
        a->Fill = b->Fill = next;
        a->Repaint();
        b->Repaint();
    });
    f->Show();
    tk::ProcessMessages();

    for (TColor c : {RGB(255, 255, 0), RGB(255, 0, 255)}) {
        const int before = tk::ScreenCopies(f.get());
        next = c;
        ASSERT_TRUE(tk::FireTimer(timer));
        EXPECT_EQ(tk::ScreenCopies(f.get()), before + 1) << "one copy, when the tick ends";
        EXPECT_EQ(tk::ScreenPixel(f.get(), 15, 15), c);
        EXPECT_EQ(tk::ScreenPixel(f.get(), 45, 15), c);
        EXPECT_EQ(tk::ScreenPixel(f.get(), 55, 15), clGreen) << "under the child window";
        tk::ProcessMessages();
        EXPECT_EQ(tk::ScreenPixel(f.get(), 15, 15), c);
        EXPECT_EQ(tk::ScreenPixel(f.get(), 45, 15), c);
        EXPECT_EQ(tk::ScreenPixel(f.get(), 55, 15), clGreen);
    }
    // A handler that turns the event loop itself sees its repaints copied then.
    int copiesInside = -1;
    next = clLime;
    timer->SetOnTimer([&](TObject*) {
        a->Fill = next;
        a->Repaint();
        tk::ProcessMessages();
        copiesInside = tk::ScreenCopies(f.get());
    });
    const int beforeNested = tk::ScreenCopies(f.get());
    ASSERT_TRUE(tk::FireTimer(timer));
    EXPECT_EQ(copiesInside, beforeNested + 1);
    EXPECT_EQ(tk::ScreenPixel(f.get(), 15, 15), clLime);
    // An area invalidated in a tick (an animation frame) is rendered and shown
    // when the tick ends.
    next = clAqua;
    timer->SetOnTimer([&](TObject*) {
        a->Fill = next;
        f->InvalidateRect(a->BoundsRect());
    });
    const int beforeInvalidated = tk::ScreenCopies(f.get());
    ASSERT_TRUE(tk::FireTimer(timer));
    EXPECT_EQ(tk::ScreenCopies(f.get()), beforeInvalidated + 1);
    EXPECT_EQ(tk::ScreenPixel(f.get(), 15, 15), clAqua);
    // A tick that repaints nothing copies nothing.
    timer->SetOnTimer([](TObject*) {});
    const int before = tk::ScreenCopies(f.get());
    ASSERT_TRUE(tk::FireTimer(timer));
    tk::ProcessMessages();
    EXPECT_EQ(tk::ScreenCopies(f.get()), before);
}

// A window that defers while hidden collects its repaints and paints them
// once when it is shown; shown, it repaints synchronously again.
TEST(ControlsPaint, AHiddenWindowThatDefersPaintsNothingUntilShown) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    f->SetPaintsWhileHidden(false);
    Probe* p = AddProbe(f.get(), 10, 10, 20, 20);
    Probe* over = AddProbe(f.get(), 40, 10, 20, 20);
    over->ControlStyle() << csOpaque;
    tk::PixelAt(f.get(), 0, 0);  // the test kit renders on request
    const int formPaints = f->Paints, pPaints = p->Paints, overPaints = over->Paints;
    EXPECT_TRUE(f->PaintDeferred());
    EXPECT_FALSE(f->PaintsWhileHidden());

    for (int i = 0; i < 10; ++i) {
        p->Fill = i % 2 ? RGB(255, 255, 0) : RGB(0, 255, 0);
        p->Repaint();
        over->Fill = p->Fill;
        over->Repaint();
        over->RepaintOver();
        f->Repaint();
    }
    EXPECT_EQ(f->Paints, formPaints);
    EXPECT_EQ(p->Paints, pPaints);
    EXPECT_EQ(over->Paints, overPaints);
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(255, 0, 0)) << "the back buffer is left alone";

    f->Show();
    tk::ProcessMessages();
    EXPECT_FALSE(f->PaintDeferred());
    EXPECT_EQ(p->Paints, pPaints + 1) << "ten repaints, one paint";
    EXPECT_EQ(over->Paints, overPaints + 1);
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(255, 255, 0));
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 45, 15), RGB(255, 255, 0));

    p->Fill = RGB(255, 255, 255);
    p->Repaint();
    EXPECT_EQ(p->Paints, pPaints + 2);
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(255, 255, 255));

    // Hidden again: deferred again, and a render on request still shows the state.
    f->Hide();
    p->Fill = RGB(0, 0, 0);
    p->Repaint();
    EXPECT_EQ(p->Paints, pPaints + 2);
    EXPECT_EQ(tk::PixelAt(p, 5, 5), RGB(0, 0, 0));
}

// Without the request, a hidden window renders at once as before.
TEST(ControlsPaint, HiddenWindowsRenderAtOnceByDefault) {
    tk::Session s;
    auto f = MakeForm(100, 80);
    Probe* p = AddProbe(f.get(), 10, 10, 20, 20);
    tk::PixelAt(f.get(), 0, 0);
    const int pPaints = p->Paints;
    EXPECT_FALSE(f->PaintDeferred());
    p->Fill = RGB(0, 255, 255);
    p->Repaint();
    EXPECT_EQ(p->Paints, pPaints + 1);
    EXPECT_EQ(tk::BackBufferPixel(f.get(), 15, 15), RGB(0, 255, 255));
}
