// The windowing runtime: handle table, window procedures, capture, focus,
// hover tracking, timers and the Qt widget behind every windowed control.
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <unordered_set>

#include "gui/Forms.h"
#include "gui/detail/GdiInternal.h"
#include "gui/detail/win_Cursor.h"
#include "gui/detail/win_Internal.h"

namespace gui {
namespace detail {

// ---- Dispatch boundary ------------------------------------------------------------

void Guard(const std::function<void()>& fn) {
    try {
        fn();
    } catch (...) {
        // The report needs the application object even in a program (or a
        // test) that never made one.
        if (!Application) InitApplication();
        try {
            Application->HandleException(nullptr);
        } catch (...) {
            // A failing error report must not take the event loop down.
        }
    }
}

// ---- Handles and window procedures -------------------------------------------------

namespace {
struct Runtime {
    std::unordered_map<HWND, TWinControl*> handles;
    std::uintptr_t nextHandle = 0x10000;
    std::unordered_set<LONG_PTR> instances;
    HWND capture = nullptr;
    TControl* captureControl = nullptr;
    TControl* mouseControl = nullptr;
    TWinControl* focused = nullptr;
    TWinControl* pressed = nullptr;
    TPoint cursor;
    TShiftState shift;
    std::vector<TWinControl*> topLevels;
    TWinControl* moving = nullptr;
    QPoint moveStartCursor;
    QPoint moveStartPos;
};
Runtime& RT() {
    static Runtime* rt = new Runtime;
    return *rt;
}

struct ObjectInstance {
    TWndMethod method;
};

constexpr int kPostedMessageEvent = QEvent::User + 0x400;
class PostedMessageEvent : public QEvent {
public:
    PostedMessageEvent(UINT m, WPARAM w, LPARAM l)
        : QEvent(static_cast<QEvent::Type>(kPostedMessageEvent)), msg(m), wparam(w), lparam(l) {}
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
};
}  // namespace

HWND RegisterHandle(TWinControl* control) {
    auto& rt = RT();
    HWND h = reinterpret_cast<HWND>(rt.nextHandle);
    rt.nextHandle += 4;
    rt.handles[h] = control;
    return h;
}

void UnregisterHandle(HWND wnd) {
    auto& rt = RT();
    rt.handles.erase(wnd);
    if (rt.capture == wnd) {
        rt.capture = nullptr;
        rt.captureControl = nullptr;
    }
    TimerHub::Instance().DropWindow(wnd);
}

TWinControl*& PressedWindow() { return RT().pressed; }
TPoint& CursorPos() { return RT().cursor; }
TShiftState& CurrentShift() { return RT().shift; }

void ForgetControl(TControl* control) {
    auto& rt = RT();
    if (rt.mouseControl == control) rt.mouseControl = nullptr;
    if (rt.captureControl == control) rt.captureControl = nullptr;
    if (rt.focused == control) rt.focused = nullptr;
    if (rt.pressed == control) rt.pressed = nullptr;
    if (rt.moving == control) rt.moving = nullptr;
}

// ---- Top levels ----------------------------------------------------------------------

void RegisterTopLevel(TWinControl* control) {
    auto& v = RT().topLevels;
    if (std::find(v.begin(), v.end(), control) == v.end()) v.push_back(control);
}
void UnregisterTopLevel(TWinControl* control) {
    auto& v = RT().topLevels;
    v.erase(std::remove(v.begin(), v.end(), control), v.end());
}
void RaiseTopLevel(TWinControl* control) {
    auto& v = RT().topLevels;
    v.erase(std::remove(v.begin(), v.end(), control), v.end());
    v.push_back(control);
}
const std::vector<TWinControl*>& TopLevels() { return RT().topLevels; }

// ---- Focus -------------------------------------------------------------------------

TWinControl* FocusedControl() { return RT().focused; }

void SetFocusedControl(TWinControl* control) {
    auto& rt = RT();
    if (rt.focused == control) return;
    TWinControl* old = rt.focused;
    rt.focused = control;
    if (old && old->HandleAllocated()) {
        HWND oldh = old->Handle();
        HWND newh = control ? control->Handle() : nullptr;
        Guard([&] { SendMessage(oldh, WM_KILLFOCUS, reinterpret_cast<WPARAM>(newh), 0); });
    }
    // The kill-focus handler may have moved the focus elsewhere.
    if (control && rt.focused == control) {
        Guard([&] { SendMessage(control->Handle(), WM_SETFOCUS, 0, 0); });
    }
}

// ---- Window move ---------------------------------------------------------------------

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

// ---- Input ---------------------------------------------------------------------------

TWinControl* WindowAtClientPoint(TWinControl* top, TPoint p) {
    TWinControl* cur = top;
    for (;;) {
        TWinControl* next = nullptr;
        for (int i = cur->ControlCount() - 1; i >= 0; --i) {
            auto* wc = dynamic_cast<TWinControl*>(cur->Controls(i));
            if (!wc || !wc->Visible()) continue;
            TRect b = wc->BoundsRect();
            if (p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom) {
                next = wc;
                p = TPoint{p.X - b.Left, p.Y - b.Top};
                break;
            }
        }
        if (!next) return cur;
        cur = next;
    }
}

void UpdateMouseControl(QPoint global) {
    auto& rt = RT();
    TControl* c = FindDragTarget(TPoint{global.x(), global.y()}, true);
    ApplyControlCursor(c);
    if (c == rt.mouseControl) return;
    TControl* old = rt.mouseControl;
    rt.mouseControl = c;
    if (old) Guard([&] { old->Perform(CM_MOUSELEAVE, 0, 0); });
    // The leave handler may have freed or replaced the new control.
    if (c && rt.mouseControl == c) Guard([&] { c->Perform(CM_MOUSEENTER, 0, 0); });
}

void DeliverMouse(TWinControl* receiver, UINT msg, WPARAM keys, QPoint global) {
    auto& rt = RT();
    rt.cursor = TPoint{global.x(), global.y()};
    TShiftState s = KeysToShiftState(keys);
    rt.shift = s;

    // Our own window move follows the pointer and eats the input until release.
    if (rt.moving) {
        TWinControl* top = rt.moving;
        if (msg == WM_MOUSEMOVE) {
            QPoint d = global - rt.moveStartCursor;
            Guard([&] { top->SetBounds(rt.moveStartPos.x() + d.x(), rt.moveStartPos.y() + d.y(), top->Width(),
                                       top->Height()); });
            return;
        }
        if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
            rt.moving = nullptr;
            rt.pressed = nullptr;
            return;
        }
        return;
    }

    TWinControl* target = receiver;
    if (rt.capture) {
        if (TWinControl* c = FindControl(rt.capture)) target = c;
    }
    if (msg == WM_MOUSEMOVE) UpdateMouseControl(global);
    if (!target || !target->HandleAllocated()) return;
    TPoint local = target->ScreenToClient(TPoint{global.x(), global.y()});
    HWND h = target->Handle();
    Guard([&] { SendMessage(h, msg, keys, MakeLParam(local.X, local.Y)); });
}

void DeliverKey(TWinControl* receiver, UINT msg, WPARAM key) {
    if (!receiver || !receiver->HandleAllocated()) return;
    HWND h = receiver->Handle();
    Guard([&] { SendMessage(h, msg, key, 0); });
}

// ---- Timers ----------------------------------------------------------------------

struct TimerHub::Entry {
    int key = 0;
    int interval = 0;
    std::int64_t due = 0;
    std::function<void()> fire;
    QTimer* qt = nullptr;
};

TimerHub& TimerHub::Instance() {
    static TimerHub* hub = new TimerHub;
    return *hub;
}

static std::int64_t RealNowMs() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

std::int64_t TimerHub::NowMs() const { return virtual_ ? virtualNow_ : RealNowMs(); }

TimerHub::Entry* TimerHub::Find(int key) {
    for (Entry* e : entries_)
        if (e->key == key) return e;
    return nullptr;
}
const TimerHub::Entry* TimerHub::Find(int key) const {
    for (Entry* e : entries_)
        if (e->key == key) return e;
    return nullptr;
}

void TimerHub::StartReal(Entry& e) {
    EnsureQtApp();
    if (!e.qt) {
        e.qt = new QTimer;
        int key = e.key;
        QObject::connect(e.qt, &QTimer::timeout, [this, key] {
            Entry* en = Find(key);
            if (!en) return;
            en->due = NowMs() + en->interval;
            auto fn = en->fire;  // the handler may stop or restart this timer
            Guard(fn);
        });
    }
    e.qt->start(std::max(1, e.interval));
}

int TimerHub::Start(int intervalMs, std::function<void()> fire) {
    auto* e = new Entry;
    e->key = nextKey_++;
    e->interval = std::max(1, intervalMs);
    e->due = NowMs() + e->interval;
    e->fire = std::move(fire);
    entries_.push_back(e);
    if (!virtual_) StartReal(*e);
    return e->key;
}

void TimerHub::Stop(int key) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [key](Entry* e) { return e->key == key; });
    if (it == entries_.end()) return;
    Entry* e = *it;
    entries_.erase(it);
    if (e->qt) {
        e->qt->stop();
        e->qt->deleteLater();
    }
    delete e;
}

bool TimerHub::Active(int key) const { return Find(key) != nullptr; }

bool TimerHub::Fire(int key) {
    Entry* e = Find(key);
    if (!e) return false;
    auto fn = e->fire;
    Guard(fn);
    return true;
}

void TimerHub::SetVirtual(bool on) {
    if (on == virtual_) return;
    std::int64_t now = NowMs();
    virtual_ = on;
    if (on) virtualNow_ = now;
    for (Entry* e : entries_) {
        e->due = (on ? virtualNow_ : RealNowMs()) + e->interval;
        if (on) {
            if (e->qt) e->qt->stop();
        } else {
            StartReal(*e);
        }
    }
}

void TimerHub::Advance(int ms) {
    if (!virtual_ || ms < 0) return;
    std::int64_t target = virtualNow_ + ms;
    for (;;) {
        Entry* next = nullptr;
        for (Entry* e : entries_)
            if (e->due <= target && (!next || e->due < next->due)) next = e;
        if (!next) break;
        virtualNow_ = std::max(virtualNow_, next->due);
        next->due += next->interval;
        auto fn = next->fire;
        Guard(fn);
    }
    virtualNow_ = target;
}

int TimerHub::WindowTimerKey(HWND wnd, UINT id) const {
    for (auto& t : windowTimers_)
        if (t.wnd == wnd && t.id == id) return t.key;
    return 0;
}
void TimerHub::SetWindowTimer(HWND wnd, UINT id, int key) {
    DropWindowTimer(wnd, id);
    windowTimers_.push_back(WinTimer{wnd, id, key});
}
void TimerHub::DropWindowTimer(HWND wnd, UINT id) {
    for (auto it = windowTimers_.begin(); it != windowTimers_.end(); ++it) {
        if (it->wnd == wnd && it->id == id) {
            int key = it->key;
            windowTimers_.erase(it);
            Stop(key);
            return;
        }
    }
}
void TimerHub::DropWindow(HWND wnd) {
    std::vector<int> keys;
    for (auto it = windowTimers_.begin(); it != windowTimers_.end();) {
        if (it->wnd == wnd) {
            keys.push_back(it->key);
            it = windowTimers_.erase(it);
        } else {
            ++it;
        }
    }
    for (int k : keys) Stop(k);
}

// ---- Key mapping ----------------------------------------------------------------------

static int VirtualKeyOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return VK_F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt: return VK_MENU;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        default: return 0;
    }
}

static WPARAM KeysOf(Qt::MouseButtons b, Qt::KeyboardModifiers m) {
    WPARAM k = 0;
    if (b & Qt::LeftButton) k |= MK_LBUTTON;
    if (b & Qt::RightButton) k |= MK_RBUTTON;
    if (b & Qt::MiddleButton) k |= MK_MBUTTON;
    if (m & Qt::ShiftModifier) k |= MK_SHIFT;
    if (m & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

static void SetShiftFromModifiers(Qt::KeyboardModifiers m) {
    TShiftState& s = CurrentShift();
    s = TShiftState{};
    if (m & Qt::ShiftModifier) s << ssShift;
    if (m & Qt::ControlModifier) s << ssCtrl;
    if (m & Qt::AltModifier) s << ssAlt;
}

// Mouse and key events of Qt become window messages here.
static bool TranslateInput(TWinControl* owner, QEvent* e) {
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
            TWinControl* target = FocusedControl() ? FocusedControl() : owner;
            HWND h = target->Handle();
            WPARAM w = (keys & 0xFFFF) | (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16);
            Guard([&] { SendMessage(h, WM_MOUSEWHEEL, w, MakeLParam(global.x(), global.y())); });
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

// ---- WinWidget ----------------------------------------------------------------------

WinWidget::WinWidget(TWinControl* o, QWidget* parent) : QWidget(parent), owner(o) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

WinWidget::~WinWidget() = default;

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
    if (e->type() == QEvent::ApplicationPaletteChange && isWindow()) {
        // The system colours changed: every control of this window hears of it.
        TWinControl* o = owner;
        Guard([o] { o->Perform(CM_SYSCOLORCHANGE, 0, 0); });
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
    QPainter p(this);
    for (const QRect& r : e->region()) p.drawImage(r.topLeft(), back, r);
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

}  // namespace detail

// ---- Window procedure calls -------------------------------------------------------------

using detail::RT;

TWinControl* FindControl(HWND wnd) {
    if (!wnd) return nullptr;
    auto& h = RT().handles;
    auto it = h.find(wnd);
    return it == h.end() ? nullptr : it->second;
}

LONG_PTR MakeObjectInstance(TWndMethod method) {
    auto* inst = new detail::ObjectInstance{std::move(method)};
    auto key = reinterpret_cast<LONG_PTR>(inst);
    RT().instances.insert(key);
    return key;
}

void FreeObjectInstance(LONG_PTR instance) {
    auto& set = RT().instances;
    if (set.erase(instance)) delete reinterpret_cast<detail::ObjectInstance*>(instance);
}

LRESULT CallWindowProcA(LONG_PTR proc, HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (proc == 0) return DefWindowProcA(wnd, msg, w, l);
    if (RT().instances.count(proc)) {
        TMessage m{msg, w, l, 0};
        // Copy: the method may free its own instance while it runs.
        TWndMethod method = reinterpret_cast<detail::ObjectInstance*>(proc)->method;
        if (method) method(m);
        return m.Result;
    }
    return reinterpret_cast<WNDPROC>(proc)(wnd, msg, w, l);
}

LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    TMessage m{msg, w, l, 0};
    detail::WinAccess::DefWindowProc(c, m);
    return m.Result;
}

LONG_PTR SetWindowLongA(HWND wnd, int index, LONG_PTR value) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    if (index == GWL_WNDPROC) {
        if (value == 0) return 0;
        LONG_PTR& cur = detail::CurrentWndProc(c);
        LONG_PTR old = cur;
        cur = value;
        return old;
    }
    return detail::WinAccess::SetWindowLong(c, index, value);
}

LONG_PTR GetWindowLongA(HWND wnd, int index) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    if (index == GWL_WNDPROC) return detail::CurrentWndProc(c);
    return detail::WinAccess::GetWindowLong(c, index);
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    return CallWindowProcA(detail::CurrentWndProc(c), wnd, msg, w, l);
}

bool PostMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    QCoreApplication::postEvent(detail::WidgetOf(c), new detail::PostedMessageEvent(msg, w, l));
    return true;
}

bool IsWindow(HWND wnd) { return FindControl(wnd) != nullptr; }

bool IsWindowVisible(HWND wnd) {
    TWinControl* c = FindControl(wnd);
    return c && c->Showing();
}

HWND SetCapture(HWND wnd) {
    auto& rt = RT();
    HWND old = rt.capture;
    if (!FindControl(wnd)) return old;
    rt.capture = wnd;
    if (old && old != wnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd));
    return old;
}

HWND GetCapture() { return RT().capture; }

bool ReleaseCapture() {
    auto& rt = RT();
    HWND old = rt.capture;
    rt.capture = nullptr;
    rt.captureControl = nullptr;
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

TControl* GetCaptureControl() {
    auto& rt = RT();
    if (rt.captureControl) return rt.captureControl;
    return FindControl(rt.capture);
}

void SetCaptureControl(TControl* Control) {
    auto& rt = RT();
    if (!Control) {
        ReleaseCapture();
        return;
    }
    if (auto* wc = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(wc->Handle());
        rt.captureControl = nullptr;
        return;
    }
    if (Control->Parent()) {
        SetCapture(Control->Parent()->Handle());
        rt.captureControl = Control;
    }
}

UINT SetTimer(HWND wnd, UINT id, UINT elapseMs, void*) {
    if (!FindControl(wnd)) return 0;
    auto& hub = detail::TimerHub::Instance();
    int key = hub.Start(static_cast<int>(elapseMs), [wnd, id] { SendMessage(wnd, WM_TIMER, id, 0); });
    hub.SetWindowTimer(wnd, id, key);
    return id == 0 ? 1 : id;
}

bool KillTimer(HWND wnd, UINT id) {
    auto& hub = detail::TimerHub::Instance();
    if (!hub.WindowTimerKey(wnd, id)) return false;
    hub.DropWindowTimer(wnd, id);
    return true;
}

bool GetCursorPos(TPoint* pt) {
    if (!pt) return false;
    *pt = RT().cursor;
    return true;
}

bool SetCursorPos(int x, int y) {
    RT().cursor = TPoint{x, y};
    return true;
}

HWND WindowFromPoint(TPoint pt) {
    TWinControl* c = FindVCLWindow(pt);
    return c ? c->Handle() : nullptr;
}

HWND GetFocus() {
    TWinControl* c = detail::FocusedControl();
    return c ? c->Handle() : nullptr;
}

HWND SetFocus(HWND wnd) {
    HWND old = GetFocus();
    if (TWinControl* c = FindControl(wnd)) c->SetFocus();
    return old;
}

HWND GetActiveWindow() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm()->Handle();
    return nullptr;
}

bool InvalidateRect(HWND wnd, const TRect* rect, bool) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    if (rect)
        c->InvalidateRect(*rect);
    else
        c->Invalidate();
    return true;
}

bool UpdateWindow(HWND wnd) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    c->Update();
    return true;
}

bool GetClientRect(HWND wnd, TRect* rect) {
    TWinControl* c = FindControl(wnd);
    if (!c || !rect) return false;
    *rect = c->ClientRect();
    return true;
}

bool GetWindowRect(HWND wnd, TRect* rect) {
    TWinControl* c = FindControl(wnd);
    if (!c || !rect) return false;
    TPoint o = c->ClientOrigin();
    TRect cr = c->ClientRect();
    *rect = Bounds(o.X, o.Y, cr.Width(), cr.Height());
    return true;
}

bool ClientToScreen(HWND wnd, TPoint* pt) {
    TWinControl* c = FindControl(wnd);
    if (!c || !pt) return false;
    *pt = c->ClientToScreen(*pt);
    return true;
}

bool ScreenToClient(HWND wnd, TPoint* pt) {
    TWinControl* c = FindControl(wnd);
    if (!c || !pt) return false;
    *pt = c->ScreenToClient(*pt);
    return true;
}

bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* rect, const TRect*) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    c->ScrollBy(dx, dy, rect);
    return true;
}

bool ShowWindow(HWND wnd, int cmd) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    bool was = c->Visible();
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
        if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED) {
            f->SetWindowState(wsMinimized);
            return was;
        }
        if (cmd == SW_RESTORE) f->SetWindowState(wsNormal);
    }
    c->SetVisible(cmd != SW_HIDE);
    return was;
}

}  // namespace gui
