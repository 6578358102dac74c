#include "gui/windows/TestKit.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QPainter>
#include <QWheelEvent>

#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Internal.h"
#include "gui/windows/detail/win_State.h"

namespace gui::testkit {

namespace {
WPARAM& Held() {
    static WPARAM held = 0;
    return held;
}

WPARAM ButtonFlag(TMouseButton b) {
    switch (b) {
        case mbLeft: return MK_LBUTTON;
        case mbRight: return MK_RBUTTON;
        case mbMiddle: return MK_MBUTTON;
    }
    return 0;
}

UINT DownMsg(TMouseButton b) {
    switch (b) {
        case mbLeft: return WM_LBUTTONDOWN;
        case mbRight: return WM_RBUTTONDOWN;
        case mbMiddle: return WM_MBUTTONDOWN;
    }
    return WM_LBUTTONDOWN;
}

WPARAM ShiftKeys(TShiftState s) {
    WPARAM k = 0;
    if (s.Contains(ssShift)) k |= MK_SHIFT;
    if (s.Contains(ssCtrl)) k |= MK_CONTROL;
    return k;
}

TWinControl* TopOf(TControl* c) {
    TWinControl* w = c->IsGraphic() ? c->Parent() : static_cast<TWinControl*>(c);
    if (!w) throw EInvalidOperation("Control has no window");
    while (w->Parent()) w = w->Parent();
    return w;
}

void Send(TControl* control, UINT msg, int x, int y, WPARAM keys) {
    TPoint screen = control->ClientToScreen(TPoint{x, y});
    TWinControl* receiver = detail::PressedWindow();
    if (!receiver) {
        TWinControl* top = TopOf(control);
        receiver = detail::WindowAtClientPoint(top, top->ScreenToClient(screen));
    }
    detail::DeliverMouse(receiver, msg, keys, QPoint(screen.X, screen.Y));
}
}  // namespace

// ---- Session -------------------------------------------------------------------------

Session::Session() {
    InitApplication();
    detail::TimerHub::Instance().SetVirtual(true);
    FOldBoxes = SetMessageBoxHandler([this](const TMessageBoxRequest& r) {
        Boxes.push_back(r);
        return NextAnswer;
    });
    FOldHalt = SetHaltHandler([this](int code) { Halts.push_back(code); });
    Held() = 0;
    detail::PressedWindow() = nullptr;
}

Session::~Session() {
    SetMessageBoxHandler(FOldBoxes);
    SetHaltHandler(FOldHalt);
    Held() = 0;
    detail::PressedWindow() = nullptr;
    detail::EndWindowMove();
    ReleaseCapture();
}

std::vector<String> Session::Texts() const {
    std::vector<String> r;
    for (auto& b : Boxes) r.push_back(b.Text);
    return r;
}

// ---- Input -----------------------------------------------------------------------------

WPARAM HeldButtons() { return Held(); }

void MouseMove(TControl* control, int x, int y) { Send(control, WM_MOUSEMOVE, x, y, Held()); }

void MouseDown(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
    TPoint screen = control->ClientToScreen(TPoint{x, y});
    if (!detail::PressedWindow()) {
        TWinControl* top = TopOf(control);
        detail::PressedWindow() = detail::WindowAtClientPoint(top, top->ScreenToClient(screen));
    }
    Held() |= ButtonFlag(button);
    Send(control, DownMsg(button), x, y, Held() | ShiftKeys(shift));
}

void MouseUp(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
    Held() &= ~ButtonFlag(button);
    Send(control, DownMsg(button) + 1, x, y, Held() | ShiftKeys(shift));
    if (!(Held() & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) detail::PressedWindow() = nullptr;
}

void Click(TControl* control, int x, int y, TMouseButton button) {
    MouseDown(control, x, y, button);
    MouseUp(control, x, y, button);
}

void DblClick(TControl* control, int x, int y) {
    Click(control, x, y);
    TPoint screen = control->ClientToScreen(TPoint{x, y});
    TWinControl* top = TopOf(control);
    detail::PressedWindow() = detail::WindowAtClientPoint(top, top->ScreenToClient(screen));
    Held() |= MK_LBUTTON;
    Send(control, WM_LBUTTONDBLCLK, x, y, Held());
    MouseUp(control, x, y, mbLeft);
}

static TWinControl* KeyTarget(TWinControl* control) {
    return control ? control : detail::FocusedControl();
}

void Wheel(TWinControl* under, int x, int y, int delta) {
    const TPoint screen = under->ClientToScreen(TPoint{x, y});
    QWheelEvent e(QPointF(x, y), QPointF(screen.X, screen.Y), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    detail::TranslateInput(under, &e);
}

void KeyDown(Word vk, TShiftState shift, TWinControl* control) {
    detail::CurrentShift() = shift;
    detail::DeliverKey(KeyTarget(control), WM_KEYDOWN, vk);
}

void KeyUp(Word vk, TShiftState shift, TWinControl* control) {
    detail::CurrentShift() = shift;
    detail::DeliverKey(KeyTarget(control), WM_KEYUP, vk);
    detail::CurrentShift() = TShiftState{};
}

void KeyPress(char ch, TWinControl* control) {
    detail::DeliverKey(KeyTarget(control), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)));
}

void PressKey(Word vk, TShiftState shift, TWinControl* control) {
    KeyDown(vk, shift, control);
    if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN) KeyPress(static_cast<char>(vk), control);
    if (vk >= 'A' && vk <= 'Z')
        KeyPress(static_cast<char>(shift.Contains(ssShift) ? vk : vk + 32), control);
    KeyUp(vk, shift, control);
}

// ---- Timers ----------------------------------------------------------------------------

void AdvanceTime(int ms) { detail::TimerHub::Instance().Advance(ms); }

bool FireTimer(TTimer* timer) {
    return timer && timer->TimerKey() && detail::TimerHub::Instance().Fire(timer->TimerKey());
}

bool FireWindowTimer(HWND wnd, UINT id) {
    auto& hub = detail::TimerHub::Instance();
    int key = hub.WindowTimerKey(wnd, id);
    return key && hub.Fire(key);
}

bool TimerRunning(TTimer* timer) { return timer && timer->Running(); }

bool WindowTimerRunning(HWND wnd, UINT id) { return detail::TimerHub::Instance().WindowTimerKey(wnd, id) != 0; }

void ProcessMessages() {
    if (Application)
        Application->ProcessMessages();
    else
        QCoreApplication::processEvents();
}

// ---- Pixels ---------------------------------------------------------------------------

static void Compose(TWinControl* c, QImage& out, QPoint at) {
    c->UpdateBackBuffer();
    detail::WinWidget* w = detail::WinWidgetOf(c);
    if (!w) return;
    {
        QPainter p(&out);
        p.drawImage(at, w->back);
    }
    for (int i = 0; i < c->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(c->Controls(i));
        if (child && child->Visible()) Compose(child, out, at + QPoint(child->Left(), child->Top()));
    }
}

static QImage RenderImage(TControl* control, QRect* crop) {
    TWinControl* w = control->IsGraphic() ? control->Parent() : static_cast<TWinControl*>(control);
    if (!w) throw EInvalidOperation("Control has no window");
    TRect cr = w->ClientRect();
    QImage img(std::max(1, cr.Width()), std::max(1, cr.Height()), QImage::Format_RGB32);
    img.fill(Qt::black);
    Compose(w, img, QPoint(0, 0));
    if (control->IsGraphic())
        *crop = QRect(control->Left(), control->Top(), control->Width(), control->Height());
    else
        *crop = QRect(0, 0, img.width(), img.height());
    return img;
}

std::unique_ptr<TBitmap> Render(TControl* control) {
    QRect crop;
    QImage img = RenderImage(control, &crop).copy(crop);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetHandle(detail::CreateBitmapFromImage(img));
    return bmp;
}

TColor PixelAt(TControl* control, int x, int y) {
    QRect crop;
    QImage img = RenderImage(control, &crop);
    QPoint p = crop.topLeft() + QPoint(x, y);
    if (!img.rect().contains(p)) return clNone;
    return static_cast<TColor>(detail::FromQRgb(img.pixel(p)));
}

TColor BackBufferPixel(TWinControl* control, int x, int y) {
    detail::WinWidget* w = detail::WinWidgetOf(control);
    if (!w) return clNone;
    w->EnsureBuffer();
    if (!w->back.rect().contains(x, y)) return clNone;
    return static_cast<TColor>(detail::FromQRgb(w->back.pixel(x, y)));
}

int ScreenCopies(TWinControl* control) {
    detail::WinWidget* w = detail::WinWidgetOf(control);
    return w ? w->flushes : 0;
}

TColor ScreenPixel(TWinControl* control, int x, int y) {
    detail::WinWidget* w = detail::WinWidgetOf(control);
    QBackingStore* store = w ? w->window()->backingStore() : nullptr;
    QPaintDevice* dev = store ? store->paintDevice() : nullptr;
    if (!dev || dev->devType() != QInternal::Image) return clNone;
    const auto* img = static_cast<const QImage*>(dev);
    const QPoint p = w->mapTo(w->window(), QPoint(x, y));
    if (!img->rect().contains(p)) return clNone;
    return static_cast<TColor>(detail::FromQRgb(img->pixel(p)));
}

}  // namespace gui::testkit
