#include "gui/windows/Controls.h"

#include <QPainter>

#include <array>

#include <algorithm>

#include "gui/windows/Forms.h"
#include "gui/draw/ScopedDC.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/AccessibleInternal.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

using detail::WinWidget;

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s << ssShift;
    if (keys & MK_CONTROL) s << ssCtrl;
    if (keys & MK_LBUTTON) s << ssLeft;
    if (keys & MK_RBUTTON) s << ssRight;
    if (keys & MK_MBUTTON) s << ssMiddle;
    if (detail::CurrentShift().Contains(ssAlt)) s << ssAlt;
    return s;
}

TShiftState GetShiftState() { return detail::CurrentShift(); }

static bool PtIn(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

// ---- TControl -------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FFont->OnChange = [this](TObject* s) { FontChanged(s); };
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() {
    FFont->OnChange = nullptr;
    detail::ForgetControl(this);
    detail::AccessibleControlGone(this);
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (FAutoSize && !IsLoading()) {
        int w = AWidth, h = AHeight;
        if (CanAutoSize(w, h)) {
            AWidth = w;
            AHeight = h;
        }
    }
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    if (FParent && FVisible) FParent->InvalidateRect(BoundsRect());
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FParent && FVisible) FParent->InvalidateRect(BoundsRect());
    if (!IsLoading()) {
        RequestAlign();
        if (sized) Resize();
    }
}

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientWidth(int v) { SetWidth(v + (FWidth - ClientWidth())); }
void TControl::SetClientHeight(int v) { SetHeight(v + (FHeight - ClientHeight())); }

TPoint TControl::ClientOrigin() const {
    if (!FParent) return TPoint{FLeft, FTop};
    TPoint p = FParent->ClientOrigin();
    return TPoint{p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint{p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint{p.X - o.X, p.Y - o.Y};
}

void TControl::SetVisible(bool v) {
    if (FVisible == v) return;
    FVisible = v;
    Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
    RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool v) {
    if (FEnabled == v) return;
    FEnabled = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor v) {
    if (FCursor == v) return;
    FCursor = v;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v) {
    if (FParentFont == v) return;
    FParentFont = v;
    if (v && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor v) {
    if (FColor == v) return;
    FColor = v;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool v) {
    if (FParentColor == v) return;
    FParentColor = v;
    if (v && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetText(const String& v) {
    if (FText == v) return;
    FText = v;
    Perform(CM_TEXTCHANGED, 0, 0);
    if (!FAccessibleNameSet) AccessibleNameChanged();
}

void TControl::SetAccessibleName(const String& v) {
    FAccessibleNameSet = true;
    if (FAccessibleName == v) return;
    FAccessibleName = v;
    AccessibleNameChanged();
}

void TControl::AccessibleValueChanged() { detail::NotifyAccessible(this, detail::AccessibleChange::Value); }
void TControl::AccessibleNameChanged() { detail::NotifyAccessible(this, detail::AccessibleChange::Name); }
void TControl::AccessibleItemsChanged() { detail::NotifyAccessible(this, detail::AccessibleChange::Items); }

void TControl::SetAlign(TAlign v) {
    if (FAlign == v) return;
    FAlign = v;
    RequestAlign();
}

void TControl::SetAutoSize(bool v) {
    if (FAutoSize == v) return;
    FAutoSize = v;
    if (v) AdjustSize();
}

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TCustomForm* TControl::GetParentForm() const {
    const TControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool v) {
    if (MouseCapture() == v) return;
    if (v)
        SetCaptureControl(this);
    else
        SetCaptureControl(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& M) {
    if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) {
        if (!FControlStyle.Contains(csDoubleClicks) &&
            (M.Msg == WM_LBUTTONDBLCLK || M.Msg == WM_RBUTTONDBLCLK || M.Msg == WM_MBUTTONDBLCLK))
            M.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        switch (M.Msg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
                if (FControlStyle.Contains(csClickEvents)) FControlState << csClicked;
                FControlState << csLButtonDown;
                break;
            case WM_LBUTTONUP: FControlState >> csLButtonDown; break;
            default: break;
        }
    }
    Dispatch(M);
}

void TControl::Dispatch(TMessage& M) {
    switch (M.Msg) {
        case WM_LBUTTONDOWN: WMLButtonDown(M); break;
        case WM_LBUTTONUP: WMLButtonUp(M); break;
        case WM_LBUTTONDBLCLK: WMLButtonDblClk(M); break;
        case WM_RBUTTONDOWN: WMRButtonDown(M); break;
        case WM_RBUTTONUP: WMRButtonUp(M); break;
        case WM_RBUTTONDBLCLK: WMRButtonDblClk(M); break;
        case WM_MBUTTONDOWN: WMMButtonDown(M); break;
        case WM_MBUTTONUP: WMMButtonUp(M); break;
        case WM_MOUSEMOVE: WMMouseMove(M); break;
        case WM_CANCELMODE: WMCancelMode(M); break;
        case CM_MOUSEENTER: CMMouseEnter(M); break;
        case CM_MOUSELEAVE: CMMouseLeave(M); break;
        case CM_FONTCHANGED: CMFontChanged(M); break;
        case CM_TEXTCHANGED: CMTextChanged(M); break;
        case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
        case CM_COLORCHANGED: CMColorChanged(M); break;
        case CM_VISIBLECHANGED: CMVisibleChanged(M); break;
        case CM_SYSCOLORCHANGE: CMSysColorChange(M); break;
        case CM_PARENTCOLORCHANGED: CMParentColorChanged(M); break;
        case CM_PARENTFONTCHANGED: CMParentFontChanged(M); break;
        case CM_BUTTONPRESSED: CMButtonPressed(M); break;
        case CM_HITTEST: CMHitTest(M); break;
        default: DefaultHandler(M); break;
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Extra) {
    TShiftState s = KeysToShiftState(M.WParam) + Extra;
    MouseDown(Button, s, GetXLParam(M.LParam), GetYLParam(M.LParam));
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
    MouseUp(Button, KeysToShiftState(M.WParam), GetXLParam(M.LParam), GetYLParam(M.LParam));
}

void TControl::WMLButtonDown(TMessage& M) { DoMouseDown(M, mbLeft, {}); }

void TControl::WMLButtonUp(TMessage& M) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
        FControlState >> csClicked;
        if (PtIn(ClientRect(), GetXLParam(M.LParam), GetYLParam(M.LParam))) Click();
    }
    DoMouseUp(M, mbLeft);
}

void TControl::WMLButtonDblClk(TMessage& M) {
    DoMouseDown(M, mbLeft, {ssDouble});
    DblClick();
}

void TControl::WMRButtonDown(TMessage& M) { DoMouseDown(M, mbRight, {}); }
void TControl::WMRButtonUp(TMessage& M) { DoMouseUp(M, mbRight); }
void TControl::WMRButtonDblClk(TMessage& M) { DoMouseDown(M, mbRight, {ssDouble}); }
void TControl::WMMButtonDown(TMessage& M) { DoMouseDown(M, mbMiddle, {}); }
void TControl::WMMButtonUp(TMessage& M) { DoMouseUp(M, mbMiddle); }

void TControl::WMMouseMove(TMessage& M) {
    MouseMove(KeysToShiftState(M.WParam), GetXLParam(M.LParam), GetYLParam(M.LParam));
}

void TControl::WMCancelMode(TMessage&) {
    if (MouseCapture()) SetMouseCapture(false);
    FControlState >> csClicked;
}

void TControl::CMMouseEnter(TMessage&) {}
void TControl::CMMouseLeave(TMessage&) {}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {
    // Shown or hidden: the parent shows what lies beneath or the control.
    if (FParent) FParent->InvalidateRect(BoundsRect());
}
void TControl::CMSysColorChange(TMessage&) { Invalidate(); }
void TControl::CMParentColorChanged(TMessage&) {
    if (!FParentColor || !FParent) return;
    SetColor(FParent->Color());
    FParentColor = true;
}
void TControl::CMParentFontChanged(TMessage&) {
    if (!FParentFont || !FParent) return;
    FUpdatingParentProps = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FUpdatingParentProps = false;
        throw;
    }
    FUpdatingParentProps = false;
}
void TControl::CMButtonPressed(TMessage&) {}
void TControl::CMHitTest(TMessage& M) { M.Result = HTCLIENT; }

void TControl::FontChanged(TObject*) {
    if (!FUpdatingParentProps) FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::CanAutoSize(int&, int&) { return false; }

void TControl::AdjustSize() {
    if (!FAutoSize || IsLoading()) return;
    int w = FWidth, h = FHeight;
    if (CanAutoSize(w, h)) SetBounds(FLeft, FTop, w, h);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
    if (FParent && FAlign != alNone && !IsLoading()) FParent->Realign();
}

void TControl::InvalidateControl(bool IsVisible, bool) {
    if (IsVisible && FParent) FParent->InvalidateRect(BoundsRect());
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!FParent) return;
    auto& v = FParent->FControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        if (wc->FWidget) wc->FWidget->raise();
    }
    Invalidate();
}

void TControl::SendToBack() {
    if (!FParent) return;
    auto& v = FParent->FControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        if (wc->FWidget) wc->FWidget->lower();
    }
    Invalidate();
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (FParentFont) Perform(CM_PARENTFONTCHANGED, 0, 0);
    }
    AdjustSize();
    RequestAlign();
    Invalidate();
}

// ---- TGraphicControl ------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        WMPaint(M);
        return;
    }
    TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M) {
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (!dc) return;
    CanvasBinding bind(*FCanvas, dc);
    Paint();
}

void TGraphicControl::Update() { TControl::Update(); }

void TGraphicControl::Repaint() {
    if (!Visible() || !FParent) return;
    if (IsLoading()) return;
    if (!FControlStyle.Contains(csOpaque)) {
        FParent->InvalidateRect(BoundsRect());
        FParent->Update();
        return;
    }
    RepaintOver();
}

void TGraphicControl::RepaintOver() {
    if (!Visible() || !FParent) return;
    if (IsLoading()) return;
    // Straight over the parent's current pixels, then the controls above.
    WinWidget* w = detail::WinWidgetOf(FParent);
    if (!w) return;
    w->EnsureBuffer();
    TRect b = BoundsRect();
    QRect area = QRect(b.Left, b.Top, b.Width(), b.Height()) & QRect(QPoint(0, 0), w->back.size());
    if (area.isEmpty()) return;
    if (FParent->PaintDeferred()) {
        // Nobody sees it: the parent paints the area when it is shown.
        FParent->InvalidateRect(b);
        return;
    }
    {
        OwnedDC dc(detail::CreateDCOverImage(&w->back, QPoint(0, 0), QRect(QPoint(0, 0), w->back.size())));
        IntersectClipRect(dc.Get(), area.left(), area.top(), area.right() + 1, area.bottom() + 1);
        TFlagScope paintingOver(FPaintingOver, true);
        FParent->PaintControls(dc.Get(), this);
    }
    // The back buffer is current now; the screen gets it with the other
    // changes of this tick or event-loop turn, in one copy per window.
    if (w->isVisible()) detail::RequestFlush(w, area);
}

// ---- TWinControl ------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(std::make_unique<TBrush>()) {
    detail::EnsureQtApp();
    detail::InstallAccessibility();
    FBrush->SetColor(Color());
    FWidget = new WinWidget(this, nullptr);
    FHandle = detail::RegisterHandle(this);
    FDefWndProc = MakeObjectInstance([this](TMessage& m) {
        // The dispatch boundary of every message that reaches this window.
        try {
            if (WindowProc)
                WindowProc(m);
            else
                WndProc(m);
        } catch (...) {
            if (!Application) InitApplication();
            try {
                Application->HandleException(this);
            } catch (...) {
                // A failing error report must not take the event loop down.
            }
        }
    });
    FCurrentWndProc = FDefWndProc;
}

TWinControl::~TWinControl() {
    Destroying();
    // Owned components go first, while this window still works for them.
    DestroyComponents();
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        delete c;
    }
    // The window's last message. Derived parts are gone by now, so the
    // default WindowProc handles it; a subclass procedure still sees it.
    WindowProc = [this](TMessage& m) { WndProc(m); };
    HWND h = FHandle;
    detail::Guard([h] { SendMessage(h, WM_DESTROY, 0, 0); });
    detail::ForgetControl(this);
    detail::UnregisterTopLevel(this);
    detail::UnregisterHandle(FHandle);
    FreeObjectInstance(FDefWndProc);
    if (FWidget) {
        FWidget->owner = nullptr;
        delete FWidget;
        FWidget = nullptr;
    }
}

HWND TWinControl::Handle() const { return FHandle; }

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl || AControl->FParent == this) return;
    AControl->FParent = this;
    FControls.push_back(AControl);
    if (auto* wc = dynamic_cast<TWinControl*>(AControl)) {
        wc->FWidget->setParent(FWidget);
        wc->ApplyGeometry();
        wc->SyncWidgetVisibility();
    }
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (AControl->FAlign != alNone) Realign();
    if (AControl->IsGraphic() && AControl->FVisible) InvalidateRect(AControl->BoundsRect());
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it == FControls.end()) return;
    if (AControl->IsGraphic() && AControl->FVisible) InvalidateRect(AControl->BoundsRect());
    FControls.erase(it);
    AControl->FParent = nullptr;
    if (auto* wc = dynamic_cast<TWinControl*>(AControl)) {
        if (TWinControl* f = detail::FocusedControl(); f && (f == wc || wc->ContainsControl(f)))
            detail::SetFocusedControl(nullptr);
        if (wc->FWidget) {
            wc->FWidget->hide();
            wc->FWidget->setParent(nullptr);
        }
    }
    if (AControl->FAlign != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const {
    for (const TControl* c = Control; c; c = c->FParent)
        if (c == this) return true;
    return false;
}

void TWinControl::Broadcast(TMessage& M) {
    auto snapshot = FControls;
    for (TControl* c : snapshot) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        if (c->WindowProc)
            c->WindowProc(M);
        else
            c->WndProc(M);
        if (M.Result != 0) return;
    }
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!AllowWinControls && !c->IsGraphic()) continue;
        if (!c->Visible() || (!c->Enabled() && !AllowDisabled)) continue;
        if (!PtIn(c->BoundsRect(), Pos.X, Pos.Y)) continue;
        if (c->Perform(CM_HITTEST, 0, MakeLParam(Pos.X - c->Left(), Pos.Y - c->Top())) == 0) continue;
        return c;
    }
    return nullptr;
}

void TWinControl::SyncWidgetVisibility() {
    if (!FWidget) return;
    if (IsTopLevelWindow()) return;  // forms manage their own window
    if (FWidget->parentWidget())
        FWidget->setVisible(Visible());
    else
        FWidget->hide();
}

void TWinControl::ApplyGeometry() {
    if (!FWidget) return;
    FWidget->setGeometry(FLeft, FTop, std::max(0, FWidth), std::max(0, FHeight));
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AutoSize() && !IsLoading()) {
        int w = AWidth, h = AHeight;
        if (CanAutoSize(w, h)) {
            AWidth = w;
            AHeight = h;
        }
    }
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    bool moved = ALeft != FLeft || ATop != FTop;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    if (!moved && !sized) return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    ApplyGeometry();
    if (sized) InvalidateAll();
    if (IsLoading()) return;
    TRect cr = ClientRect();
    if (moved) SendMessage(FHandle, WM_MOVE, 0, MakeLParam(FLeft, FTop));
    if (sized) SendMessage(FHandle, WM_SIZE, SIZE_RESTORED, MakeLParam(cr.Width(), cr.Height()));
    RequestAlign();
}

void TWinControl::WindowSizeChanged(int ClientW, int ClientH) {
    TRect cr = ClientRect();
    SetBounds(FLeft, FTop, FWidth + (ClientW - cr.Width()), FHeight + (ClientH - cr.Height()));
}

void TWinControl::WindowPosChanged(int X, int Y) {
    if (X == FLeft && Y == FTop) return;
    FLeft = X;
    FTop = Y;
    SendMessage(FHandle, WM_MOVE, 0, MakeLParam(FLeft, FTop));
}

void TWinControl::SetVisible(bool v) {
    if (Visible() == v) return;
    TControl::SetVisible(v);
}

void TWinControl::SetParent(TWinControl* AParent) { TControl::SetParent(AParent); }

bool TWinControl::Showing() const {
    if (!Visible() || !FWidget) return false;
    if (IsTopLevelWindow()) return FWidget->isVisible();
    return FParent && FParent->Showing();
}

void TWinControl::InvalidateAll() {
    if (!FWidget) return;
    FWidget->dirty += QRect(0, 0, std::max(1, FWidget->width()), std::max(1, FWidget->height()));
    FWidget->update();
}

void TWinControl::Invalidate() { InvalidateAll(); }

void TWinControl::InvalidateRect(const TRect& R) {
    if (!FWidget || R.Width() <= 0 || R.Height() <= 0) return;
    QRect q(R.Left, R.Top, R.Width(), R.Height());
    FWidget->dirty += q;
    // In a timer tick (an animation frame) it is rendered and shown when the
    // tick ends; else with Qt's next paint pass.
    detail::RequestFlush(FWidget, q);
}

void TWinControl::UpdateBackBuffer() {
    if (!FWidget) return;
    FWidget->EnsureBuffer();
    if (FWidget->dirty.isEmpty()) return;
    const QRect all(QPoint(0, 0), FWidget->back.size());
    if (!all.contains(FWidget->dirty.boundingRect())) FWidget->dirty &= QRegion(all);
    if (FWidget->dirty.isEmpty()) return;
    QRegion rgn = FWidget->dirty;
    FWidget->dirty = QRegion();
    OwnedDC dc(detail::CreateDCOverImage(&FWidget->back, QPoint(0, 0), QRect(QPoint(0, 0), FWidget->back.size())));
    HRGN hr = detail::CreateRegionFrom(rgn);
    SelectClipRgn(dc.Get(), hr);
    DeleteObject(hr);
    // Both go through the window procedure, so a subclass sees them.
    SendMessage(FHandle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    SendMessage(FHandle, WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
}

bool TWinControl::PaintDeferred() const {
    const TWinControl* top = this;
    while (top->FParent) top = top->FParent;
    return !top->FPaintsWhileHidden && !(top->FWidget && top->FWidget->isVisible());
}

void TWinControl::Update() {
    if (!FWidget || PaintDeferred()) return;
    QRegion pending = FWidget->dirty;
    UpdateBackBuffer();
    // Rendered now; shown with the rest of this tick or event-loop turn, in
    // one copy per window.
    if (FWidget->isVisible() && !pending.isEmpty()) detail::RequestFlush(FWidget, pending.boundingRect());
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::PaintHandler(HDC dc) {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc, TControl* First) {
    // A paint may add or remove controls, so it walks a copy; a small one
    // stays on the stack (this runs on every timer tick).
    std::array<TControl*, 32> small;
    std::vector<TControl*> large;
    TControl** begin = small.data();
    const std::size_t n = FControls.size();
    if (n <= small.size()) {
        std::copy(FControls.begin(), FControls.end(), small.begin());
    } else {
        large = FControls;
        begin = large.data();
    }
    TControl** end = begin + n;
    TControl** it = begin;
    if (First) {
        it = std::find(begin, end, First);
        if (it == end) it = begin;
    }
    for (; it != end; ++it) {
        TControl* c = *it;
        if (!c->IsGraphic() || !c->Visible()) continue;
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        RECT r = c->BoundsRect();
        if (r.Width() <= 0 || r.Height() <= 0 || !RectVisible(dc, &r)) continue;
        SavedDC saved(dc);
        OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintTo(HDC dc, TPoint offset) {
    SavedDC saved(dc);
    OffsetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
    TRect cr = ClientRect();
    IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (TControl* c : FControls) {
        auto* wc = dynamic_cast<TWinControl*>(c);
        if (wc && wc->Visible()) wc->PaintTo(dc, TPoint{wc->Left(), wc->Top()});
    }
}

void PaintParentBackground(TWinControl* child, HDC dc, TPoint offset) {
    TWinControl* p = child ? child->Parent() : nullptr;
    if (!p || !dc) return;
    SavedDC saved(dc);
    OffsetViewportOrgEx(dc, offset.X - child->Left(), offset.Y - child->Top(), nullptr);
    TRect cr = p->ClientRect();
    IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
    p->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    p->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::ScrollBy(int dx, int dy, const TRect* rect) {
    if (!FWidget) return;
    FWidget->EnsureBuffer();
    QRect area = rect ? QRect(rect->Left, rect->Top, rect->Width(), rect->Height())
                      : QRect(QPoint(0, 0), FWidget->back.size());
    area &= QRect(QPoint(0, 0), FWidget->back.size());
    if (area.isEmpty() || (dx == 0 && dy == 0)) return;
    QRect src = area.translated(-dx, -dy) & area;
    QImage copy = FWidget->back.copy(src);
    {
        QPainter p(&FWidget->back);
        p.drawImage(src.topLeft() + QPoint(dx, dy), copy);
    }
    // Pending work moves with the pixels; the uncovered strip must be painted.
    QRegion moved = (FWidget->dirty & area).translated(dx, dy) & area;
    FWidget->dirty = (FWidget->dirty - QRegion(area)) + moved + (QRegion(area) - QRegion(src.translated(dx, dy)));
    // The window system's copy moves what stays visible too, so only the
    // uncovered strip is painted and sent again (children stay: they are
    // placed below).
    if (FWidget->isVisible())
        FWidget->scroll(dx, dy, area);
    if (!rect) {
        for (TControl* c : std::vector<TControl*>(FControls))
            if (!c->IsGraphic()) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (!CanFocus()) return;
    detail::SetFocusedControl(this);
    if (FWidget && FWidget->isVisible() && detail::FocusedControl() == this) FWidget->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const { return detail::FocusedControl() == this; }

void TWinControl::SetTabStop(bool v) {
    FTabStop = v;
    if (FWidget) FWidget->setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::Realign() {
    if (FAligning || IsLoading()) return;
    FAligning = true;
    try {
        TRect r = ClientRect();
        AdjustClientRect(r);
        AlignControls(nullptr, r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignControls(TControl*, TRect& R) {
    const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == a && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
                case alTop: return x->Top() < y->Top();
                case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
                case alLeft: return x->Left() < y->Left();
                case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
                default: return false;
            }
        });
        for (TControl* c : list) {
            int w = std::max(0, R.Width()), h = std::max(0, R.Height());
            switch (a) {
                case alTop:
                    c->SetBounds(R.Left, R.Top, w, c->Height());
                    R.Top += c->Height();
                    break;
                case alBottom:
                    c->SetBounds(R.Left, R.Bottom - c->Height(), w, c->Height());
                    R.Bottom -= c->Height();
                    break;
                case alLeft:
                    c->SetBounds(R.Left, R.Top, c->Width(), h);
                    R.Left += c->Width();
                    break;
                case alRight:
                    c->SetBounds(R.Right - c->Width(), R.Top, c->Width(), h);
                    R.Right -= c->Width();
                    break;
                case alClient: c->SetBounds(R.Left, R.Top, w, h); break;
                default: break;
            }
        }
    }
}

void TWinControl::Resize() { TControl::Resize(); }

bool TWinControl::IsControlMouseMsg(TMessage& M) {
    TControl* control = nullptr;
    if (GetCapture() == FHandle) {
        TControl* cap = GetCaptureControl();
        if (cap && cap != this && cap->Parent() == this) control = cap;
    } else {
        control = ControlAtPos(TPoint{GetXLParam(M.LParam), GetYLParam(M.LParam)}, false);
    }
    if (!control) return false;
    int x = GetXLParam(M.LParam) - control->Left();
    int y = GetYLParam(M.LParam) - control->Top();
    M.Result = control->Perform(M.Msg, M.WParam, MakeLParam(x, y));
    return true;
}

void TWinControl::WndProc(TMessage& M) {
    if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL) {
        if (IsControlMouseMsg(M)) return;
    }
    TControl::WndProc(M);
}

void TWinControl::Dispatch(TMessage& M) {
    switch (M.Msg) {
        case WM_PAINT: WMPaint(M); break;
        case WM_ERASEBKGND: WMEraseBkgnd(M); break;
        case WM_SIZE: WMSize(M); break;
        case WM_MOVE: WMMove(M); break;
        case WM_TIMER: WMTimer(M); break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: WMKeyDown(M); break;
        case WM_KEYUP:
        case WM_SYSKEYUP: WMKeyUp(M); break;
        case WM_CHAR: WMChar(M); break;
        case WM_SETFOCUS: WMSetFocus(M); break;
        case WM_KILLFOCUS: WMKillFocus(M); break;
        case WM_SYSCOMMAND: WMSysCommand(M); break;
        case WM_NCHITTEST: WMNCHitTest(M); break;
        case WM_CAPTURECHANGED: WMCaptureChanged(M); break;
        case WM_GETDLGCODE: WMGetDlgCode(M); break;
        case WM_MOUSEWHEEL: WMMouseWheel(M); break;
        case WM_HSCROLL: WMHScroll(M); break;
        case WM_VSCROLL: WMVScroll(M); break;
        case WM_DESTROY: WMDestroy(M); break;
        case CM_FOCUSCHANGED: CMFocusChanged(M); break;
        case CM_ENTER: CMEnter(M); break;
        case CM_EXIT: CMExit(M); break;
        default: TControl::Dispatch(M); break;
    }
}

void TWinControl::DefaultHandler(TMessage& M) { DefWindowHandler(M); }

void TWinControl::DefWindowHandler(TMessage& M) {
    switch (M.Msg) {
        case WM_SYSCOMMAND: {
            WPARAM cmd = M.WParam & 0xFFF0;
            TWinControl* top = this;
            while (top->Parent()) top = top->Parent();
            if (cmd == SC_MOVE) {
                detail::BeginWindowMove(top);
            } else if (cmd == SC_CLOSE) {
                SendMessage(top->Handle(), WM_CLOSE, 0, 0);
            } else if (cmd == SC_MINIMIZE) {
                if (auto* f = dynamic_cast<TCustomForm*>(top)) f->SetWindowState(wsMinimized);
            } else if (cmd == SC_RESTORE) {
                if (auto* f = dynamic_cast<TCustomForm*>(top)) f->SetWindowState(wsNormal);
            }
            break;
        }
        case WM_NCHITTEST: M.Result = HTCLIENT; break;
        case WM_MOUSEWHEEL:
            // Unhandled wheel turns go up to the parent window.
            if (Parent()) M.Result = SendMessage(Parent()->Handle(), M.Msg, M.WParam, M.LParam);
            break;
        case WM_ERASEBKGND: M.Result = 1; break;
        default: break;
    }
}

LONG_PTR TWinControl::SetWindowLongValue(int Index, LONG_PTR) { return GetWindowLongValue(Index); }

LONG_PTR TWinControl::GetWindowLongValue(int Index) const {
    switch (Index) {
        case GWL_STYLE: return WindowStyle();
        case GWL_EXSTYLE: return WindowExStyle();
        case GWL_ID: return 0;
        default: return 0;
    }
}

LONG TWinControl::WindowStyle() const {
    LONG s = 0;
    if (!IsTopLevelWindow()) s |= WS_CHILD;
    if (Visible()) s |= WS_VISIBLE;
    if (!Enabled()) s |= WS_DISABLED;
    if (FTabStop) s |= WS_TABSTOP;
    return s;
}

void TWinControl::WMPaint(TMessage& M) {
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (dc) PaintHandler(dc);
}

void TWinControl::WMEraseBkgnd(TMessage& M) {
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (dc) {
        RECT r = ClientRect();
        FillRect(dc, &r, FBrush->Handle());
    }
    M.Result = 1;
}

void TWinControl::WMSize(TMessage&) {
    Realign();
    if (!IsLoading()) Resize();
}

void TWinControl::WMMove(TMessage&) {}
void TWinControl::WMTimer(TMessage& M) { DefaultHandler(M); }

void TWinControl::WMKeyDown(TMessage& M) {
    Word key = static_cast<Word>(M.WParam);
    KeyDown(key, GetShiftState());
    if (key == 0) M.Result = 1;
}

void TWinControl::WMKeyUp(TMessage& M) {
    Word key = static_cast<Word>(M.WParam);
    KeyUp(key, GetShiftState());
    if (key == 0) M.Result = 1;
}

void TWinControl::WMChar(TMessage& M) {
    char c = static_cast<char>(M.WParam);
    KeyPress(c);
    if (c == 0) M.Result = 1;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}
void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::WMSetFocus(TMessage&) {
    if (TCustomForm* f = GetParentForm()) f->FocusedControlChanged(this);
    DoEnter();
}

void TWinControl::WMKillFocus(TMessage&) { DoExit(); }
void TWinControl::WMSysCommand(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMNCHitTest(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMCaptureChanged(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMGetDlgCode(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMMouseWheel(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMHScroll(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMVScroll(TMessage& M) { DefaultHandler(M); }
void TWinControl::WMDestroy(TMessage& M) { DefaultHandler(M); }
void TWinControl::CMFocusChanged(TMessage& M) { Broadcast(M); }
void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CMColorChanged(TMessage& M) {
    FBrush->SetColor(Color());
    TControl::CMColorChanged(M);
    TMessage n{CM_PARENTCOLORCHANGED, 0, 0, 0};
    Broadcast(n);
}

void TWinControl::CMFontChanged(TMessage& M) {
    TControl::CMFontChanged(M);
    TMessage n{CM_PARENTFONTCHANGED, 0, 0, 0};
    Broadcast(n);
}

void TWinControl::CMEnabledChanged(TMessage& M) {
    if (FWidget) FWidget->setEnabled(Enabled());
    if (!Enabled() && Focused()) detail::SetFocusedControl(nullptr);
    TControl::CMEnabledChanged(M);
}

void TWinControl::CMVisibleChanged(TMessage&) {
    SyncWidgetVisibility();
    VisibleChanging();
    if (!Visible() && detail::FocusedControl() && ContainsControl(detail::FocusedControl()))
        detail::SetFocusedControl(nullptr);
}

void TWinControl::CMSysColorChange(TMessage& M) {
    TControl::CMSysColorChange(M);
    Broadcast(M);
}

// ---- TCustomControl --------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
    CanvasBinding bind(*FCanvas, dc);
    Paint();
}

void TCustomControl::Paint() {}

// ---- Look-ups ------------------------------------------------------------------

TWinControl* FindVCLWindow(const TPoint& Pos) {
    TWinControl* top = detail::TopLevelAt(Pos);
    return top ? detail::WindowAtClientPoint(top, top->ScreenToClient(Pos)) : nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
    TWinControl* w = FindVCLWindow(Pos);
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
    return c ? c : w;
}

}  // namespace gui
