#include "gui/windows/Forms.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "gui/windows/Dialogs.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Cursor.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

void InitApplication() {
    detail::EnsureQtApp();
    if (!Application) Application = new TApplication(nullptr);
    if (!Screen) Screen = new TScreen(nullptr);
}

void DoneApplication() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
}

namespace {
// The offscreen and minimal platforms have no window manager to stack windows.
bool CanStackWindows() {
    QString p = QGuiApplication::platformName();
    return p != "offscreen" && p != "minimal";
}
THaltHandler& HaltHandler() {
    static THaltHandler h;
    return h;
}
QEventLoop*& RunLoop() {
    static QEventLoop* loop = nullptr;
    return loop;
}
}  // namespace

THaltHandler SetHaltHandler(THaltHandler h) {
    THaltHandler old = HaltHandler();
    HaltHandler() = std::move(h);
    return old;
}

void Halt(int ExitCode) {
    if (HaltHandler()) {
        HaltHandler()(ExitCode);
        if (Application) Application->Terminate();
        throw EHalt(ExitCode);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(ExitCode);
}

void Abort() { throw EAbort("Operation aborted"); }

TFrameMetrics FrameMetrics(TFormBorderStyle Style) {
    switch (Style) {
        case bsNone: return {0, 0};
        case bsSizeable:
        case bsSizeToolWin: return {4, 19};
        case bsSingle:
        case bsDialog:
        case bsToolWindow: return {3, 19};
    }
    return {0, 0};
}

// ---- TCustomForm --------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
    InitApplication();
    // Forms start hidden, with their own font and the button-face colour.
    TControl::SetVisible(false);
    SetParentFont(false);
    SetParentColor(false);
    SetColor(clBtnFace);
    detail::RegisterTopLevel(this);
    if (Screen) Screen->FForms.push_back(this);
    ApplyWindowFlags();
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() {
    Destroying();
    DestroyComponents();
    if (Screen) {
        auto& v = Screen->FForms;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        if (Screen->FActiveForm == this) Screen->FActiveForm = nullptr;
    }
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    if (QWidget* w = detail::WidgetOf(this)) w->hide();
}

TRect TCustomForm::ClientRect() const {
    TFrameMetrics m = FrameMetrics(FBorderStyle);
    return Rect(0, 0, std::max(0, Width() - 2 * m.Border), std::max(0, Height() - 2 * m.Border - m.Caption));
}

TPoint TCustomForm::ClientOrigin() const { return TPoint{Left(), Top()}; }

void TCustomForm::ApplyGeometry() {
    QWidget* w = detail::WidgetOf(this);
    if (!w) return;
    TRect cr = ClientRect();
    bool fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (fixed) {
        w->setFixedSize(std::max(1, cr.Width()), std::max(1, cr.Height()));
    } else {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    w->setGeometry(Left(), Top(), std::max(1, cr.Width()), std::max(1, cr.Height()));
}

void TCustomForm::WindowSizeChanged(int ClientW, int ClientH) {
    TFrameMetrics m = FrameMetrics(FBorderStyle);
    SetBounds(Left(), Top(), ClientW + 2 * m.Border, ClientH + 2 * m.Border + m.Caption);
}

void TCustomForm::WindowPosChanged(int X, int Y) { TWinControl::WindowPosChanged(X, Y); }

// A window shows its frame and caption when it has a border and no region
// cuts them away.
static bool CaptionDrawn(TFormBorderStyle Border, bool HasRegion) { return Border != bsNone && !HasRegion; }

String TCustomForm::WindowSystemTitle() const {
    if (!CaptionDrawn(FBorderStyle, FHasRegion) && FShowInTaskbar && Application && !Application->Title().empty()) return Application->Title();
    return Caption();
}

void TCustomForm::ApplyWindowTitle() {
    if (QWidget* w = detail::WidgetOf(this)) w->setWindowTitle(detail::FromAnsi(WindowSystemTitle()));
}

void TCustomForm::SetShowInTaskbar(bool v) {
    FShowInTaskbar = v;
    ApplyWindowTitle();
}

void TCustomForm::ApplyWindowFlags() {
    QWidget* w = detail::WidgetOf(this);
    if (!w) return;
    ApplyWindowTitle();
    Qt::WindowFlags f = Qt::Window;
    if (!CaptionDrawn(FBorderStyle, FHasRegion)) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize) && FBorderStyle == bsSizeable) f |= Qt::WindowMaximizeButtonHint;
        if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) f |= Qt::Tool;
    }
    if (Topmost()) f |= Qt::WindowStaysOnTopHint;
    if (w->windowFlags() == f) return;
    bool wasVisible = w->isVisible();
    w->setWindowFlags(f);  // hides the window
    ApplyGeometry();
    if (wasVisible) w->show();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (FBorderStyle == v) return;
    // The outside size stays; the client area follows the new frame.
    FBorderStyle = v;
    ApplyWindowFlags();
    ApplyGeometry();
    InvalidateAll();
    if (!IsLoading()) {
        TRect cr = ClientRect();
        SendMessage(Handle(), WM_SIZE, SIZE_RESTORED, MakeLParam(cr.Width(), cr.Height()));
    }
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
    if (FBorderIcons == v) return;
    FBorderIcons = v;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    if (FFormStyle == v) return;
    FFormStyle = v;
    ApplyWindowFlags();
}

void TCustomForm::SetTopmost(bool v) {
    if (FTopmost == v) return;
    FTopmost = v;
    ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState v) {
    if (FWindowState == v) return;
    FWindowState = v;
    QWidget* w = detail::WidgetOf(this);
    if (!w || !Visible()) return;
    if (v == wsMinimized)
        w->showMinimized();
    else if (v == wsMaximized)
        w->showMaximized();
    else
        w->showNormal();
}

void TCustomForm::SetActiveControl(TWinControl* v) {
    if (v && v->GetParentForm() != this) throw EInvalidOperation("Invalid control for the active control");
    FActiveControl = v;
    if (v && Visible()) v->SetFocus();
}

bool TCustomForm::Active() const { return Screen && Screen->ActiveForm() == this; }

void TCustomForm::FocusedControlChanged(TWinControl* Control) {
    FActiveControl = Control;
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
}

void TCustomForm::SetVisible(bool v) {
    if (Visible() == v) return;
    QWidget* w = detail::WidgetOf(this);
    if (v) {
        DoShow();
        if (!FPlaced && (FPosition == poScreenCenter || FPosition == poDesktopCenter) && Screen) {
            // Centred once, on the first show; later the user's position stays.
            SetBounds((Screen->Width() - ClientWidth()) / 2, (Screen->Height() - ClientHeight()) / 2, Width(),
                      Height());
        }
        FPlaced = true;
        TControl::SetVisible(true);
        ApplyWindowFlags();
        ApplyGeometry();
        detail::RaiseTopLevel(this);
        if (w) {
            if (FWindowState == wsMinimized)
                w->showMinimized();
            else
                w->show();
            if (CanStackWindows()) w->raise();
        }
        if (Screen && Screen->FActiveForm != this) {
            TCustomForm* old = Screen->FActiveForm;
            Screen->FActiveForm = this;
            if (old && old->OnDeactivate) old->OnDeactivate(old);
            if (OnActivate) OnActivate(this);
        }
    } else {
        DoHide();
        TControl::SetVisible(false);
        if (w) w->hide();
        if (Screen && Screen->FActiveForm == this) {
            Screen->FActiveForm = nullptr;
            const auto& tops = detail::TopLevels();
            for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
                auto* f = dynamic_cast<TCustomForm*>(*it);
                if (f && f != this && f->Visible()) {
                    Screen->FActiveForm = f;
                    break;
                }
            }
            if (OnDeactivate) OnDeactivate(this);
        }
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
    detail::RaiseTopLevel(this);
    if (QWidget* w = detail::WidgetOf(this)) {
        if (w->isVisible() && CanStackWindows()) {
            w->raise();
            w->activateWindow();
        }
    }
}

void TCustomForm::SendToBack() {
    auto tops = detail::TopLevels();
    for (TWinControl* t : tops)
        if (t != this) detail::RaiseTopLevel(t);
    if (QWidget* w = detail::WidgetOf(this))
        if (CanStackWindows()) w->lower();
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    FModal = true;
    Show();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (FModalResult != mrNone || !Visible() || (Application && Application->Terminated())) loop.quit();
    });
    poll.start(10);
    loop.exec();
    FModal = false;
    Hide();
    return FModalResult;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    bool isMain = Application && Application->MainForm() == this;
    TCloseAction action = isMain ? caFree : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (isMain) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(wsMinimized);
    } else {
        Release();
    }
}

void TCustomForm::Release() {
    HWND h = Handle();
    QTimer::singleShot(0, [h] {
        if (auto* f = dynamic_cast<TCustomForm*>(FindControl(h))) {
            f->DoDestroy();
            delete f;
        }
    });
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::EndLoading() {
    TComponent::EndLoading();
    DoCreate();
}

void TCustomForm::DoCreate() {
    if (FCreated) return;
    FCreated = true;
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (FDestroyed) return;
    FDestroyed = true;
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::CMTextChanged(TMessage& M) {
    ApplyWindowTitle();
    TCustomControl::CMTextChanged(M);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::Dispatch(TMessage& M) {
    if (M.Msg == WM_CLOSE) {
        Close();
        return;
    }
    TCustomControl::Dispatch(M);
}

LONG TCustomForm::WindowStyle() const {
    LONG s = WS_POPUP;
    if (Visible()) s |= WS_VISIBLE;
    if (!Enabled()) s |= WS_DISABLED;
    if (FWindowState == wsMinimized) s |= WS_MINIMIZE;
    if (CaptionDrawn(FBorderStyle, FHasRegion)) {
        s |= WS_CAPTION;
        if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) s |= WS_THICKFRAME;
        if (FBorderIcons.Contains(biSystemMenu)) s |= WS_SYSMENU;
        if (FBorderIcons.Contains(biMinimize)) s |= WS_MINIMIZEBOX;
        if (FBorderIcons.Contains(biMaximize)) s |= WS_MAXIMIZEBOX;
    }
    return s;
}

LONG TCustomForm::WindowExStyle() const { return Topmost() ? WS_EX_TOPMOST : 0; }

void TCustomForm::ApplyWindowRegion(HRGN Region) {
    QWidget* w = detail::WidgetOf(this);
    if (Region) {
        QRegion r = detail::RegionOf(Region);
        DeleteObject(Region);
        FHasRegion = true;
        ApplyWindowFlags();
        // An empty mask would mean "no mask" to Qt; a pixel outside the
        // window keeps it fully cut away instead.
        if (w) w->setMask(r.isEmpty() ? QRegion(-1, -1, 1, 1) : r);
        // Wayland has no window shapes: a mask there only limits input. The
        // window gets an alpha channel instead, and what lies outside the
        // region is painted transparent (see WinWidget::paintEvent).
        if (w && w->isWindow() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            w->setAttribute(Qt::WA_TranslucentBackground);
    } else {
        FHasRegion = false;
        if (w) w->clearMask();
        ApplyWindowFlags();
    }
    InvalidateAll();
}

int SetWindowRgn(HWND wnd, HRGN rgn, bool) {
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
        f->ApplyWindowRegion(rgn);
        return 1;
    }
    QWidget* w = detail::WidgetOf(c);
    if (rgn) {
        QRegion r = detail::RegionOf(rgn);
        DeleteObject(rgn);
        if (w) w->setMask(r);
    } else if (w) {
        w->clearMask();
    }
    c->Invalidate();
    return 1;
}

bool SetWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    TWinControl* c = FindControl(wnd);
    if (!c) return false;
    auto* f = dynamic_cast<TCustomForm*>(c);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) {
            if (f) f->SetTopmost(true);
        } else if (insertAfter == HWND_NOTOPMOST) {
            if (f) f->SetTopmost(false);
        } else if (insertAfter == HWND_TOP) {
            c->BringToFront();
        } else if (insertAfter == HWND_BOTTOM) {
            c->SendToBack();
        }
    }
    int nx = (flags & SWP_NOMOVE) ? c->Left() : x;
    int ny = (flags & SWP_NOMOVE) ? c->Top() : y;
    int nw = (flags & SWP_NOSIZE) ? c->Width() : cx;
    int nh = (flags & SWP_NOSIZE) ? c->Height() : cy;
    c->SetBounds(nx, ny, nw, nh);
    if (flags & SWP_SHOWWINDOW) c->SetVisible(true);
    if (flags & SWP_HIDEWINDOW) c->SetVisible(false);
    return true;
}

// ---- TApplication -------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    if (Application == this) Application = nullptr;
    // Forms are told before any of them goes (their OnDestroy may look at others).
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) detail::Guard([&] { f->DoDestroy(); });
    DestroyComponents();
}

void TApplication::FormCreated(TCustomForm* form) {
    if (!FMainForm) FMainForm = form;
    form->DoCreate();
}

void TApplication::Run() {
    if (FTerminated) return;
    if (FMainForm && FShowMainForm) detail::Guard([&] { FMainForm->Show(); });
    if (FTerminated) return;
    QEventLoop loop;
    RunLoop() = &loop;
    FRunning = true;
    loop.exec();
    FRunning = false;
    RunLoop() = nullptr;
}

void TApplication::Terminate() {
    FTerminated = true;
    if (RunLoop()) RunLoop()->quit();
}

void TApplication::ProcessMessages() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Minimize() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TCustomForm*>(Components(i)))
            if (f->Visible()) f->SetWindowState(wsMinimized);
}

void TApplication::Restore() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) f->SetWindowState(wsNormal);
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr e = std::current_exception();
    if (!e) return;
    try {
        std::rethrow_exception(e);
    } catch (EHalt&) {
        FTerminated = true;
        if (RunLoop()) RunLoop()->quit();
    } catch (EAbort&) {
    } catch (Exception& ex) {
        if (OnException)
            OnException(Sender, ex);
        else
            ShowException(ex);
    } catch (std::exception& ex) {
        Exception wrapped(ex.what());
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& E) { MessageBox(E.Message(), FTitle, MB_OK | MB_ICONSTOP); }

int TApplication::MessageBox(const String& Text, const String& Caption, int Flags) {
    HWND owner = FMainForm ? FMainForm->Handle() : nullptr;
    return MessageBoxA(owner, Text.c_str(), Caption.c_str(), Flags);
}

// ---- TScreen ------------------------------------------------------------------

HCURSOR TCursorTable::Find(TCursor Index) const {
    auto it = FTable.find(Index);
    return it == FTable.end() ? nullptr : it->second;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() {
    if (Screen == this) Screen = nullptr;
    if (FCursor != crDefault && QCoreApplication::instance()) QApplication::restoreOverrideCursor();
}

int TScreen::Width() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

void TScreen::SetCursor(TCursor v) {
    if (FCursor == v) return;
    bool had = FCursor != crDefault;
    FCursor = v;
    if (had) QApplication::restoreOverrideCursor();
    if (v != crDefault) QApplication::setOverrideCursor(detail::QCursorFor(v));
}

TWinControl* TScreen::ActiveControl() const { return detail::FocusedControl(); }

}  // namespace gui
