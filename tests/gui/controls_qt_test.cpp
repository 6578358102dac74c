// Real Qt input and paint events take the same way as the test kit's input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <memory>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "gui/windows/detail/win_Internal.h"

using namespace gui;
namespace tk = gui::testkit;

namespace {
void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QPointF global = w->mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
}  // namespace

TEST(ControlsQt, QtMouseEventsBecomeMessagesForGraphicChildren) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBorderStyle(bsNone);
    f.SetBounds(300, 200, 160, 120);
    f.Show();
    auto* box = new TPaintBox(&f);
    box->SetParent(&f);
    box->SetBounds(20, 20, 40, 40);
    int clicks = 0;
    TPoint moved{-1, -1};
    box->OnClick = [&](TObject*) { ++clicks; };
    box->OnMouseMove = [&](TObject*, TShiftState, int x, int y) { moved = {x, y}; };
    QWidget* w = detail::WidgetOf(&f);
    ASSERT_NE(w, nullptr);
    SendMouse(w, QEvent::MouseMove, QPoint(30, 35), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(moved, (TPoint{10, 15}));
    TPoint cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor, f.ClientToScreen(TPoint{30, 35}));
    SendMouse(w, QEvent::MouseButtonPress, QPoint(30, 35), Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, QPoint(30, 35), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST(ControlsQt, QtKeyEventsReachTheFocusedControl) {
    tk::Session s;
    TForm f(nullptr);
    f.Show();
    auto* c = new TCustomControl(&f);
    c->SetParent(&f);
    c->SetFocus();
    Word down = 0;
    char pressed = 0;
    c->OnKeyDown = [&](TObject*, Word& k, TShiftState) { down = k; };
    c->OnKeyPress = [&](TObject*, char& ch) { pressed = ch; };
    QKeyEvent e(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(detail::WidgetOf(c), &e);
    EXPECT_EQ(down, 'A');
    EXPECT_EQ(pressed, 'a');
}

TEST(ControlsQt, PaintEventsRenderTheBackBufferOfAShownWindow) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBorderStyle(bsNone);
    f.SetBounds(0, 0, 50, 40);
    f.SetColor(clRed);
    f.SetShowInTaskbar(false);
    f.SetCaption("Hollowmere - Korvane Info");
    EXPECT_EQ(detail::WidgetOf(&f)->windowTitle(), QString("Hollowmere - Korvane Info"));
    f.Show();
    QImage shot = detail::WidgetOf(&f)->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(255, 0, 0));
    f.SetColor(clLime);
    f.Update();
    shot = detail::WidgetOf(&f)->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(0, 255, 0));
}
