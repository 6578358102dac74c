// The pointer goes where the window system put it, and a form's window state
// follows what the window system did to the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "gui/windows/detail/win_Internal.h"

using namespace gui;
namespace tk = gui::testkit;

namespace {

class HoverBox : public TGraphicControl {
public:
    explicit HoverBox(TComponent* owner) : TGraphicControl(owner) {}
    int Enters = 0;
    int Leaves = 0;

protected:
    void CMMouseEnter(TMessage& M) override {
        ++Enters;
        TGraphicControl::CMMouseEnter(M);
    }
    void CMMouseLeave(TMessage& M) override {
        ++Leaves;
        TGraphicControl::CMMouseLeave(M);
    }
};

void SendMouse(TWinControl* form, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QWidget* w = detail::WidgetOf(form);
    QPointF global = w->mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Two frameless forms; `under` is shown first and `over` covers all of it.
struct Overlap {
    TForm under{nullptr};
    TForm over{nullptr};
    HoverBox* underBox = nullptr;
    HoverBox* overBox = nullptr;
    Overlap() {
        for (TForm* f : {&under, &over}) f->SetBorderStyle(bsNone);
        under.SetBounds(200, 150, 120, 100);
        over.SetBounds(180, 130, 200, 160);
        underBox = new HoverBox(&under);
        underBox->SetParent(&under);
        underBox->SetBounds(10, 10, 50, 30);
        overBox = new HoverBox(&over);
        overBox->SetParent(&over);
        overBox->SetBounds(30, 30, 50, 30);
        under.Show();
        over.Show();
    }
};

}  // namespace

// A window manager raised `under` without telling the program: the display
// server now sends it the pointer, and the framework's own list still has
// `over` on top. Hover must follow the delivery, not the list.
TEST(WindowOrderInput, HoverFollowsTheWindowThatGotThePointer) {
    tk::Session s;
    Overlap o;
    ASSERT_EQ(detail::TopLevels().back(), &o.over);
    TPoint screen = o.under.ClientToScreen(TPoint{20, 20});

    SendMouse(&o.under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(o.underBox->Enters, 1);
    EXPECT_EQ(o.overBox->Enters, 0);
    EXPECT_EQ(FindDragTarget(screen, true), o.underBox);
    EXPECT_EQ(WindowFromPoint(screen), o.under.Handle());

    // The same spot, now delivered to the other window: hover moves across.
    SendMouse(&o.over, QEvent::MouseMove, QPoint(40, 40), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(o.underBox->Leaves, 1);
    EXPECT_EQ(o.overBox->Enters, 1);
    EXPECT_EQ(FindDragTarget(screen, true), o.overBox);
}

// A window the program raises afterwards may cover the pointer: what the last
// input said about that point holds no longer.
TEST(WindowOrderInput, RaisingAnotherWindowDropsWhatThePointerSaid) {
    tk::Session s;
    Overlap o;
    TPoint screen = o.under.ClientToScreen(TPoint{20, 20});
    SendMouse(&o.under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(FindDragTarget(screen, true), o.underBox);
    o.under.BringToFront();  // itself: still the one under the pointer
    EXPECT_EQ(FindDragTarget(screen, true), o.underBox);
    SendMouse(&o.under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    o.over.BringToFront();
    EXPECT_EQ(FindDragTarget(screen, true), o.overBox);
}

TEST(WindowOrderInput, AClickGoesToTheWindowThatGotIt) {
    tk::Session s;
    Overlap o;
    int underClicks = 0, overClicks = 0;
    o.underBox->OnClick = [&](TObject*) { ++underClicks; };
    o.overBox->OnClick = [&](TObject*) { ++overClicks; };
    SendMouse(&o.under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    SendMouse(&o.under, QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    SendMouse(&o.under, QEvent::MouseButtonRelease, QPoint(20, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(underClicks, 1);
    EXPECT_EQ(overClicks, 0);
}

// While a button is held the pressed window gets every move wherever the
// pointer is, so such a move says nothing about which window is on top.
TEST(WindowOrderInput, MovesUnderAGrabDoNotClaimThePoint) {
    tk::Session s;
    Overlap o;
    TPoint screen = o.under.ClientToScreen(TPoint{20, 20});
    SendMouse(&o.under, QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    // Dragged to a spot where `over` is the only window there is.
    SendMouse(&o.under, QEvent::MouseMove, QPoint(-10, -10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(FindVCLWindow(o.under.ClientToScreen(TPoint{-10, -10})), &o.over);
    // And back: the press claimed this spot, the held move did not change it.
    SendMouse(&o.under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(FindDragTarget(screen, true), o.underBox);
    SendMouse(&o.under, QEvent::MouseButtonRelease, QPoint(20, 20), Qt::LeftButton, Qt::NoButton);
    // Elsewhere the program's own stacking still decides.
    TPoint other = o.under.ClientToScreen(TPoint{21, 21});
    EXPECT_EQ(FindVCLWindow(other), &o.over);
}

TEST(WindowOrderInput, AFreedWindowIsForgotten) {
    tk::Session s;
    TPoint screen;
    TForm over(nullptr);
    over.SetBorderStyle(bsNone);
    over.SetBounds(180, 130, 200, 160);
    over.Show();
    {
        TForm under(nullptr);
        under.SetBorderStyle(bsNone);
        under.SetBounds(200, 150, 120, 100);
        under.Show();
        over.BringToFront();
        screen = under.ClientToScreen(TPoint{20, 20});
        SendMouse(&under, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(FindVCLWindow(screen), &under);
    }
    EXPECT_EQ(FindVCLWindow(screen), &over);
}

TEST(WindowOrderInput, ActivationByTheWindowSystemRaisesTheWindowInTheList) {
    tk::Session s;
    Overlap o;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(detail::WidgetOf(&o.under), &activate);
    EXPECT_EQ(detail::TopLevels().back(), &o.under);
    EXPECT_EQ(FindDragTarget(o.under.ClientToScreen(TPoint{21, 21}), true), o.underBox);
}

// The menu's "Min" after a window manager restored the window: the stored
// state must have followed, or the second minimise is a no-op.
TEST(WindowStateSync, RestoreByTheWindowSystemLetsTheNextMinimiseWork) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBounds(100, 100, 160, 120);
    f.Show();
    QWidget* w = detail::WidgetOf(&f);
    f.SetWindowState(wsMinimized);
    ASSERT_TRUE(w->isMinimized());

    w->showNormal();  // what a restore by the window manager comes to
    EXPECT_EQ(f.WindowState(), wsNormal);
    EXPECT_FALSE(GetWindowLongA(f.Handle(), GWL_STYLE) & WS_MINIMIZE);

    f.SetWindowState(wsMinimized);
    EXPECT_TRUE(w->isMinimized());
    EXPECT_EQ(f.WindowState(), wsMinimized);
}

TEST(WindowStateSync, MaximiseAndIconifyByTheWindowSystemAreSeen) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBounds(100, 100, 160, 120);
    f.Show();
    QWidget* w = detail::WidgetOf(&f);
    w->showMaximized();
    EXPECT_EQ(f.WindowState(), wsMaximized);
    w->showMinimized();
    EXPECT_EQ(f.WindowState(), wsMinimized);
    // Restoring from the program goes back to the normal window.
    f.SetWindowState(wsNormal);
    EXPECT_FALSE(w->isMinimized());
    EXPECT_FALSE(w->isMaximized());
}
