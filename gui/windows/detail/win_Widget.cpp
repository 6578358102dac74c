// The Qt widget behind every windowed control: back buffer, paint, resize,
// move and close events, window state and activation by the window system,
// posted messages, embedded native widgets.
#include <QApplication>
#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "gui/windows/Forms.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Identity.h"
#include "gui/windows/detail/win_State.h"

namespace gui::detail {

namespace {
// A form about to be mapped gets its desktop identity (owner, taskbar
// presence) first: the window manager reads it when it maps the window.
void IdentifyShownWindow(QWidget* w, TWinControl* owner) {
    if (w->isWindow())
        if (auto* f = dynamic_cast<TCustomForm*>(owner)) ApplyWindowIdentity(w, f);
}
}  // namespace

WinWidget::WinWidget(TWinControl* o, QWidget* parent) : QWidget(parent), owner(o) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

WinWidget::~WinWidget() { ForgetFlush(this); }

void WinWidget::EnsureBuffer() {
    QSize want(std::max(1, width()), std::max(1, height()));
    if (back.size() == want) return;
    QImage next(want, QImage::Format_RGB32);
    next.fill(Qt::white);
    QRegion fresh(QRect(QPoint(0, 0), want));
    if (!back.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, back);
        fresh -= QRegion(QRect(QPoint(0, 0), back.size()));
    }
    back = next;
    dirty += fresh;
    dirty &= QRegion(QRect(QPoint(0, 0), want));
}

bool WinWidget::event(QEvent* e) {
    if (!owner) return QWidget::event(e);
    if (e->type() == kPostedMessageEvent) {
        auto* pe = static_cast<PostedMessageEvent*>(e);
        HWND h = owner->Handle();
        Guard([&] { SendMessage(h, pe->msg, pe->wparam, pe->lparam); });
        return true;
    }
    if (e->type() == QEvent::Show) IdentifyShownWindow(this, owner);
    if (e->type() == QEvent::ApplicationPaletteChange && isWindow()) {
        // The system colours changed: every control of this window hears of it.
        TWinControl* o = owner;
        Guard([o] { o->Perform(CM_SYSCOLORCHANGE, 0, 0); });
    }
    if (e->type() == QEvent::WindowStateChange && isWindow()) {
        // A window manager iconified, maximised or restored the window: the
        // form's state follows, so its next SetWindowState is not a no-op.
        if (auto* f = dynamic_cast<TCustomForm*>(owner)) {
            Qt::WindowStates st = windowState();
            TWindowState v = (st & Qt::WindowMinimized)   ? wsMinimized
                             : (st & Qt::WindowMaximized) ? wsMaximized
                                                          : wsNormal;
            WinAccess::WindowStateChanged(f, v);
        }
    }
    if (e->type() == QEvent::WindowActivate && isWindow() && owner->Visible()) {
        // The window system activated (and so raised) this window.
        RaiseTopLevel(owner);
    }
    if (e->type() == QEvent::Leave) {
        // The pointer left this window: whatever it was over is left too,
        // unless it went to a child window (which reports its own enter).
        QPoint g = QCursor::pos();
        Guard([&] { UpdateMouseControl(g); });
    }
    if (e->type() == QEvent::FocusIn) {
        Guard([&] { SetFocusedControl(owner); });
    }
    if (e->type() == QEvent::FocusOut) {
        auto* fe = static_cast<QFocusEvent*>(e);
        if (fe->reason() != Qt::PopupFocusReason && FocusedControl() == owner) {
            QWidget* fw = QApplication::focusWidget();
            bool ours = false;
            for (QWidget* w = fw; w; w = w->parentWidget())
                if (dynamic_cast<WinWidget*>(w)) ours = true;
            if (!ours) Guard([&] { SetFocusedControl(nullptr); });
        }
    }
    if (TranslateInput(owner, e)) return true;
    return QWidget::event(e);
}

bool WinWidget::eventFilter(QObject* watched, QEvent* e) {
    // Events of an embedded native widget: keys are reported as messages
    // first (OnKeyDown can see Enter), focus follows ours, mouse stays native.
    if (!owner) return false;
    switch (e->type()) {
        case QEvent::FocusIn: Guard([&] { SetFocusedControl(owner); }); break;
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            SetShiftFromModifiers(ke->modifiers());
            int vk = VirtualKeyOf(ke->key());
            if (vk) DeliverKey(owner, WM_KEYDOWN, static_cast<WPARAM>(vk));
            break;
        }
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            CursorPos() = TPoint{static_cast<int>(me->globalPosition().x()), static_cast<int>(me->globalPosition().y())};
            if (me->button() == Qt::LeftButton) {
                TWinControl* o = owner;
                Guard([&] { o->Perform(CM_HITTEST, 0, 0); });
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            QPoint g = me->globalPosition().toPoint();
            CursorPos() = TPoint{g.x(), g.y()};
            Guard([&] { UpdateMouseControl(g); });
            break;
        }
        default: break;
    }
    (void)watched;
    return false;
}

void WinWidget::paintEvent(QPaintEvent* e) {
    if (!owner) return;
    EnsureBuffer();
    if (!dirty.isEmpty()) Guard([&] { owner->UpdateBackBuffer(); });
    // Setters render into the back buffer at once and only ask for an
    // update; Qt merges those into one paint event per window and event-loop
    // turn, so this copy (and the window system's flush after it) runs once.
    ++flushes;
    QPainter p(this);
    // A shaped window with an alpha channel (Wayland): the store starts each
    // paint transparent, and only the region's pixels are copied into it.
    if (testAttribute(Qt::WA_TranslucentBackground) && !mask().isEmpty()) p.setClipRegion(mask());
    for (const QRect& r : e->region()) p.drawImage(r.topLeft(), back, r);
    NoteFramePaint(this, e->region());
}

void WinWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!owner) return;
    EnsureBuffer();
    // A size change made by the window system (not by SetBounds).
    TRect cr = owner->ClientRect();
    if (cr.Width() != width() || cr.Height() != height()) {
        TWinControl* o = owner;
        int w = width(), h = height();
        Guard([&] { WinAccess::WindowResized(o, w, h); });
    }
}

void WinWidget::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!owner || !isWindow()) return;
    QPoint p = geometry().topLeft();
    if (p.x() != owner->Left() || p.y() != owner->Top()) {
        TWinControl* o = owner;
        Guard([&] { WinAccess::WindowMoved(o, p.x(), p.y()); });
    }
}

void WinWidget::closeEvent(QCloseEvent* e) {
    // The window system's close button: the form decides (OnCloseQuery, OnClose).
    e->ignore();
    if (!owner) return;
    HWND h = owner->Handle();
    Guard([&] { SendMessage(h, WM_CLOSE, 0, 0); });
}

void WinAccess::WindowStateChanged(TCustomForm* f, TWindowState state) { f->WindowStateChangedBySystem(state); }

QWidget* WidgetOf(const TWinControl* control) { return WinAccess::Widget(control); }
WinWidget* WinWidgetOf(const TWinControl* control) { return WinAccess::Widget(control); }

void EmbedNative(TWinControl* control, QWidget* native) {
    WinWidget* host = WinAccess::Widget(control);
    native->setParent(host);
    native->setGeometry(0, 0, std::max(1, host->width()), std::max(1, host->height()));
    native->installEventFilter(host);
    host->setFocusProxy(native);
    native->show();
}

}  // namespace gui::detail
