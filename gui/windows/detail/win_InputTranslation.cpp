// Qt mouse, wheel and key events become window messages here.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstdint>

#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_State.h"

namespace gui::detail {

static WPARAM KeysOf(Qt::MouseButtons b, Qt::KeyboardModifiers m) {
    WPARAM k = 0;
    if (b & Qt::LeftButton) k |= MK_LBUTTON;
    if (b & Qt::RightButton) k |= MK_RBUTTON;
    if (b & Qt::MiddleButton) k |= MK_MBUTTON;
    if (m & Qt::ShiftModifier) k |= MK_SHIFT;
    if (m & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

void SetShiftFromModifiers(Qt::KeyboardModifiers m) {
    TShiftState& s = CurrentShift();
    s = TShiftState{};
    if (m & Qt::ShiftModifier) s << ssShift;
    if (m & Qt::ControlModifier) s << ssCtrl;
    if (m & Qt::AltModifier) s << ssAlt;
}

bool TranslateInput(TWinControl* owner, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            QPoint global = me->globalPosition().toPoint();
            WPARAM keys = KeysOf(me->buttons(), me->modifiers());
            UINT msg = WM_MOUSEMOVE;
            int base = 0;
            switch (me->button()) {
                case Qt::LeftButton: base = WM_LBUTTONDOWN; break;
                case Qt::RightButton: base = WM_RBUTTONDOWN; break;
                case Qt::MiddleButton: base = WM_MBUTTONDOWN; break;
                default: break;
            }
            if (e->type() == QEvent::MouseButtonPress && base) {
                msg = static_cast<UINT>(base);
                PressedWindow() = owner;
            } else if (e->type() == QEvent::MouseButtonDblClick && base) {
                msg = static_cast<UINT>(base + 2);
            } else if (e->type() == QEvent::MouseButtonRelease && base) {
                msg = static_cast<UINT>(base + 1);
            } else if (e->type() != QEvent::MouseMove) {
                return true;
            }
            DeliverMouse(owner, msg, keys, global);
            if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
                if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) PressedWindow() = nullptr;
            }
            return true;
        }
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(e);
            QPoint global = we->globalPosition().toPoint();
            WPARAM keys = KeysOf(we->buttons(), we->modifiers());
            int delta = we->angleDelta().y();
            // The window under the pointer scrolls, focused or not, as on
            // the desktops the program runs on.
            HWND h = owner->Handle();
            WPARAM w = (keys & 0xFFFF) | (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16);
            const std::int64_t start = WheelTraced() ? FrameClockNs() : 0;
            Guard([&] { SendMessage(h, WM_MOUSEWHEEL, w, MakeLParam(global.x(), global.y())); });
            if (start && IsWindow(h)) TraceWheel(owner, start);
            return true;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(e);
            SetShiftFromModifiers(ke->modifiers());
            TWinControl* target = FocusedControl() ? FocusedControl() : owner;
            int vk = VirtualKeyOf(ke->key());
            if (e->type() == QEvent::KeyPress) {
                if (vk) DeliverKey(target, WM_KEYDOWN, static_cast<WPARAM>(vk));
                String text = ToAnsi(ke->text());
                for (char c : text)
                    if (c) DeliverKey(FocusedControl() ? FocusedControl() : target, WM_CHAR,
                                      static_cast<WPARAM>(static_cast<unsigned char>(c)));
            } else if (vk) {
                DeliverKey(target, WM_KEYUP, static_cast<WPARAM>(vk));
            }
            return true;
        }
        default: return false;
    }
}

}  // namespace gui::detail
