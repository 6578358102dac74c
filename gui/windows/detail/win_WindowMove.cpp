// Moving a top-level window with the pointer: the window system's move
// where it offers one, else our own.
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include "gui/windows/detail/win_State.h"

namespace gui::detail {

void BeginWindowMove(TWinControl* top) {
    auto& rt = RT();
    if (!top) return;
    QWidget* w = WidgetOf(top);
    bool systemMove = false;
    if (w && w->isVisible()) {
        QWindow* wh = w->windowHandle();
        // Offered by real window managers; refused where there is none.
        if (wh && QGuiApplication::platformName() != "offscreen" && QGuiApplication::platformName() != "minimal")
            systemMove = wh->startSystemMove();
    }
    if (systemMove) return;
    rt.moving = top;
    rt.moveStartCursor = QPoint(rt.cursor.X, rt.cursor.Y);
    rt.moveStartPos = QPoint(top->Left(), top->Top());
}
bool WindowMoveActive() { return RT().moving != nullptr; }
void EndWindowMove() { RT().moving = nullptr; }

}  // namespace gui::detail
