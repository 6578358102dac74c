#include "controls/FlatButtons.h"

#include <algorithm>
#include <cctype>

#include "controls/FlatUtils.h"
#include "controls/SkSysUtils.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"

namespace controls {

using namespace gui;

namespace {

// One hover timer for all flat buttons, kept while any button lives.
TTimer* gHoverTimer = nullptr;
TFlatButton* gHovered = nullptr;
int gInstances = 0;

bool IsAccel(char c, const String& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1])) == std::toupper(static_cast<unsigned char>(c));
    }
    return false;
}

}  // namespace

TFlatButton* TFlatButton::HoveredButton() { return gHovered; }
int TFlatButton::InstanceCount() { return gInstances; }
bool TFlatButton::HoverTimerRunning() { return gHoverTimer && gHoverTimer->Running(); }

TFlatButton::TFlatButton(TComponent* AOwner) : TCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    if (!gHoverTimer) {
        gHoverTimer = new TTimer(nullptr);
        gHoverTimer->SetEnabled(false);
        gHoverTimer->SetInterval(100);
    }
    SetBounds(0, 0, 25, 25);
    SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
    SetColor(14805739);
    SetParentFont(true);
    SetParentColor(true);
    SetTabStop(false);
    SetTabOrder(-1);
    ++gInstances;
}

TFlatButton::~TFlatButton() {
    ReleaseHoverTimer();
    if (--gInstances == 0) {
        delete gHoverTimer;
        gHoverTimer = nullptr;
        gHovered = nullptr;
    }
}

// ---- Properties ----------------------------------------------------------------------

void TFlatButton::SetTransparentMode(TTransparentMode Value) {
    FTransparentMode = Value;
    Invalidate();
}

void TFlatButton::SetUseAdvColors(bool Value) {
    if (Value == FUseAdvColors) return;
    FUseAdvColors = Value;
    SetParentColor(Value);
    CalcAdvColors();
    Invalidate();
}

void TFlatButton::SetAdvColorFocused(TAdvColors Value) {
    FAdvColorFocused = std::clamp(Value, 0, 100);
    CalcAdvColors();
    Invalidate();
}

void TFlatButton::SetAdvColorDown(TAdvColors Value) {
    FAdvColorDown = std::clamp(Value, 0, 100);
    CalcAdvColors();
    Invalidate();
}

void TFlatButton::SetAdvColorBorder(TAdvColors Value) {
    FAdvColorBorder = std::clamp(Value, 0, 100);
    CalcAdvColors();
    Invalidate();
}

void TFlatButton::CalcAdvColors() {
    if (!FUseAdvColors) return;
    FColorFocused = AdvColor(Color(), FColorFocused, FAdvColorFocused, adLighter);
    FColorDown = AdvColor(Color(), FColorDown, FAdvColorDown, adDarker);
    FColorBorder = AdvColor(Color(), FColorBorder, FAdvColorBorder, adDarker);
}

void TFlatButton::SetNumGlyphs(TNumGlyphs Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    Invalidate();
}

void TFlatButton::SetColorDown(TColor Value) {
    FColorDown = Value;
    Invalidate();
}
void TFlatButton::SetColorBorder(TColor Value) {
    FColorBorder = Value;
    Invalidate();
}
void TFlatButton::SetColorHighLight(TColor Value) {
    FColorHighLight = Value;
    Invalidate();
}
void TFlatButton::SetColorShadow(TColor Value) {
    FColorShadow = Value;
    Invalidate();
}
void TFlatButton::SetColorFocused(TColor Value) {
    FColorFocused = Value;
    Invalidate();
}

void TFlatButton::SetGlyph(TBitmap* Value) {
    if (Value == FGlyph.get()) return;
    FGlyph->Assign(Value);
    if (!FGlyph->Empty() && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
        const int n = FGlyph->Width() / FGlyph->Height();
        SetNumGlyphs(n > 4 || n < 1 ? 1 : n);
    }
    Invalidate();
}

void TFlatButton::SetLayout(TButtonLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TFlatButton::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TFlatButton::SetMargin(int Value) {
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TFlatButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown || (FDown && !FAllowAllUp)) return;
    FDown = Value;
    if (Value) {
        if (FState == TFlatButtonState::Up) Invalidate();
        FState = TFlatButtonState::Exclusive;
    } else {
        FState = TFlatButtonState::Up;
        Repaint();
    }
    if (Value) NotifyGroup();
}

void TFlatButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) return;
    FGroupIndex = Value;
    NotifyGroup();
}

void TFlatButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp) return;
    FAllowAllUp = Value;
    NotifyGroup();
}

void TFlatButton::NotifyGroup() {
    if (FGroupIndex == 0 || !Parent()) return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(static_cast<TObject*>(this)),
               0};
    Parent()->Broadcast(m);
}

void TFlatButton::CMButtonPressed(TMessage& M) {
    if (M.WParam != static_cast<WPARAM>(FGroupIndex)) return;
    auto* sender = dynamic_cast<TFlatButton*>(reinterpret_cast<TObject*>(M.LParam));
    if (!sender || sender == this) return;
    if (sender->FDown && FDown) {
        FDown = false;
        FState = TFlatButtonState::Up;
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

void TFlatButton::SetDefault(bool Value) {
    FDefault = Value;
    if (HandleAllocated() && Parent()) {
        if (TCustomForm* form = GetParentForm())
            form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
    }
    Invalidate();
}

// ---- Events ----------------------------------------------------------------------------

void TFlatButton::Click() {
    if (Parent() && FModalResult != 0) {
        if (TCustomForm* form = GetParentForm()) form->SetModalResult(FModalResult);
    }
    TCustomControl::Click();
}

void TFlatButton::DblClick() {
    if (FDown) TCustomControl::DblClick();
}

void TFlatButton::Loaded() {
    TCustomControl::Loaded();
    Invalidate();
}

void TFlatButton::Dispatch(TMessage& M) {
    if (M.Msg == CM_DIALOGCHAR) {
        const char c = static_cast<char>(M.WParam);
        if (Enabled() && IsAccel(c, Caption())) {
            if (FGroupIndex != 0) SetDown(true);
            Click();
            M.Result = 1;
            return;
        }
    }
    TCustomControl::Dispatch(M);
}

void TFlatButton::CMMouseEnter(TMessage& M) {
    TCustomControl::CMMouseEnter(M);
    if (OnMouseEnter) OnMouseEnter(this);
}

void TFlatButton::CMMouseLeave(TMessage& M) {
    TCustomControl::CMMouseLeave(M);
    if (OnMouseLeave) OnMouseLeave(this);
}

void TFlatButton::CMSysColorChange(TMessage& M) {
    TCustomControl::CMSysColorChange(M);
    if (FUseAdvColors) {
        SetParentColor(true);
        CalcAdvColors();
    }
    Invalidate();
}

void TFlatButton::CMParentColorChanged(TMessage& M) {
    TCustomControl::CMParentColorChanged(M);
    if (FUseAdvColors) {
        SetParentColor(true);
        CalcAdvColors();
    }
    Invalidate();
}

void TFlatButton::WMMove(TMessage& M) {
    TCustomControl::WMMove(M);
    if (FTransparentMode != tmNone) Invalidate();
}

void TFlatButton::WMSize(TMessage& M) {
    TCustomControl::WMSize(M);
    if (FTransparentMode != tmNone) Invalidate();
}

// ---- Hover -----------------------------------------------------------------------------

bool TFlatButton::UnderCursor() const {
    TPoint p;
    GetCursorPos(&p);
    return FindDragTarget(p, true) == this;
}

void TFlatButton::Enter() {
    if (Enabled() && !FHot) {
        FHot = true;
        Invalidate();
    }
}

void TFlatButton::ReleaseHoverTimer() {
    if (gHovered != this) return;
    if (gHoverTimer) gHoverTimer->SetEnabled(false);
    // Dropping ownership lets the pointer's next visit light the button again.
    gHovered = nullptr;
}

void TFlatButton::Leave() {
    if (Enabled() && FHot && !FDragging) {
        FHot = false;
        ReleaseHoverTimer();
        Invalidate();
    }
}

void TFlatButton::Recheck() {
    if (!Enabled()) return;
    const bool h = UnderCursor();
    if (h != FHot) {
        FHot = h;
        Invalidate();
    }
}

void TFlatButton::HoverTick() {
    if (UnderCursor()) return;
    Leave();
    // A release clears the hot look without giving up the timer, so Leave
    // alone would keep it for good; once the pointer is gone, let go of it.
    if (!FDragging) ReleaseHoverTimer();
}

void TFlatButton::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (gHovered != this && FindDragTarget(ClientToScreen(Point(X, Y)), true) == this) {
        if (gHovered) gHovered->Leave();
        if (GetActiveWindow() && gHoverTimer) {
            gHoverTimer->SetEnabled(false);
            gHovered = this;
            gHoverTimer->SetOnTimer([this](TObject*) { HoverTick(); });
            gHoverTimer->SetEnabled(true);
            Enter();
        }
    }
    if (FDragging) {
        TFlatButtonState s;
        if (FDown)
            s = TFlatButtonState::Exclusive;
        else if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight())
            s = TFlatButtonState::Down;
        else
            s = TFlatButtonState::Up;
        if (s != FState) {
            FState = s;
            Invalidate();
        }
    }
}

void TFlatButton::WMSetFocus(TMessage& M) {
    TCustomControl::WMSetFocus(M);
    if (Enabled()) FHot = true;
    Invalidate();
}

void TFlatButton::WMKillFocus(TMessage& M) {
    TCustomControl::WMKillFocus(M);
    Leave();
}

void TFlatButton::CMEnabledChanged(TMessage& M) {
    TCustomControl::CMEnabledChanged(M);
    if (!Enabled()) {
        FHot = false;
        FState = TFlatButtonState::Disabled;
        ReleaseHoverTimer();
    }
    Recheck();
    Invalidate();
}

// ---- Pressing -------------------------------------------------------------------------

void TFlatButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = TFlatButtonState::Down;
        Invalidate();
    }
    FDragging = true;
    SetFocus();
}

void TFlatButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    const bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (FGroupIndex == 0) {
        FState = TFlatButtonState::Up;
        FHot = false;
        if (inside) Invalidate();
    } else if (inside) {
        SetDown(!FDown);
        if (FDown) Repaint();
    } else {
        if (FDown) FState = TFlatButtonState::Exclusive;
        Repaint();
    }
    if (inside)
        Click();
    else
        Leave();
    Recheck();
}

void TFlatButton::WMKeyDown(TMessage& M) {
    if (M.WParam == static_cast<WPARAM>(VK_SPACE)) {
        if (FGroupIndex != 0)
            SetDown(true);
        else
            FState = TFlatButtonState::Down;
        Invalidate();
    }
    M.Result = 1;
}

void TFlatButton::WMKeyUp(TMessage& M) {
    if (M.WParam == static_cast<WPARAM>(VK_SPACE)) {
        if (FGroupIndex != 0)
            SetDown(false);
        else
            FState = TFlatButtonState::Up;
        Click();
        Invalidate();
    }
    M.Result = 1;
}

// ---- Painting --------------------------------------------------------------------------

void TFlatButton::LayoutGlyphAndText(TCanvas* Canvas, int Offset) {
    const TRect client = ClientRect();
    const int W = client.Width(), H = client.Height();
    int gw = 0, gh = 0;
    if (!FGlyph->Empty()) {
        gw = FGlyph->Width() / FNumGlyphs;
        gh = FGlyph->Height();
    }
    int tw = 0, th = 0;
    const String text = Caption();
    if (!text.empty()) {
        TRect r = Rect(0, 0, W, 0);
        DrawTextA(Canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        tw = r.Width();
        th = r.Height();
    }
    TPoint g{0, 0}, t{0, 0};
    const bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    if (horizontal) {
        g.Y = (H - gh + 1) / 2;
        t.Y = (H - th + 1) / 2;
    } else {
        g.X = (W - gw + 1) / 2;
        t.X = (W - tw + 1) / 2;
    }
    int spacing = FSpacing, margin = FMargin;
    if (tw == 0 || gw == 0) spacing = 0;
    const int extent = horizontal ? W : H;
    const int gl = horizontal ? gw : gh, tl = horizontal ? tw : th;
    if (margin == -1 && spacing == -1) {
        margin = spacing = (extent - gl - tl) / 3;
    } else if (margin == -1) {
        margin = (extent - (gl + spacing + tl) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (extent - margin - gl - tl) / 2;
    }
    switch (FLayout) {
        case blGlyphLeft:
            g.X = margin;
            t.X = g.X + gw + spacing;
            break;
        case blGlyphRight:
            g.X = W - margin - gw;
            t.X = g.X - spacing - tw;
            break;
        case blGlyphTop:
            g.Y = margin;
            t.Y = g.Y + gh + spacing;
            break;
        case blGlyphBottom:
            g.Y = H - margin - gh;
            t.Y = g.Y - spacing - th;
            break;
    }
    FGlyphPos = Point(g.X + client.Left + Offset, g.Y + client.Top + Offset);
    FTextBounds = Rect(0, 0, tw, th);
    OffsetRect(&FTextBounds, t.X + client.Left + Offset, t.Y + client.Top + Offset);
}

void TFlatButton::PaintBackground(TBitmap* Image) {
    TCanvas* c = Image->Canvas();
    const TRect client = ClientRect();
    bool parent = false;
    TColor fill = Color();
    if (FTransparentMode == tmAlways || (FTransparentMode == tmNotFocused && !FHot)) {
        parent = true;
    } else if (FHot) {
        switch (FState) {
            case TFlatButtonState::Up: fill = FColorFocused; break;
            case TFlatButtonState::Disabled: fill = Color(); break;
            case TFlatButtonState::Down: fill = FColorDown; break;
            case TFlatButtonState::Exclusive: fill = FColorFocused; break;
        }
    } else {
        fill = (FState == TFlatButtonState::Down || FState == TFlatButtonState::Exclusive) ? FColorDown : Color();
    }
    if (parent && Parent()) {
        PaintParentBackground(this, c->Handle(), Point(0, 0));
        return;
    }
    c->Brush()->SetColor(fill);
    c->FillRect(client);
}

void TFlatButton::PaintGlyph(TCanvas* Canvas, TColor Transparent) {
    const int w = FGlyph->Width() / FNumGlyphs, h = FGlyph->Height();
    if (w <= 0 || h <= 0) return;
    int first = 0, last = 0;  // frame range; last < 0 runs to the right edge
    const bool disabled = FState == TFlatButtonState::Disabled;
    const bool down = FState == TFlatButtonState::Down || FState == TFlatButtonState::Exclusive;
    switch (FNumGlyphs) {
        case 2: first = disabled ? 1 : 0; break;
        case 3:
            if (disabled) first = 1;
            else if (down) first = 2, last = -1;
            break;
        case 4:
            if (disabled) first = 1;
            else if (FState == TFlatButtonState::Down) first = 2;
            else if (FState == TFlatButtonState::Exclusive) first = 3, last = -1;
            break;
        default: break;
    }
    TRect src = FNumGlyphs == 1 ? Rect(0, 0, FGlyph->Width(), h) : Rect(first * w, 0, (first + 1) * w, h);
    if (last < 0) src.Right = FGlyph->Width();
    auto frame = std::make_unique<TBitmap>();
    frame->SetPixelFormat(pf24bit);
    frame->SetSize(w, h);
    StretchBlt(frame->Canvas()->Handle(), 0, 0, w, h, FGlyph->Canvas()->Handle(), src.Left, src.Top, src.Width(),
               src.Height(), SRCCOPY);
    if (FNumGlyphs == 1 && disabled) {
        frame = CreateDisabledBitmap(*frame);
        Transparent = frame->Canvas()->Pixels(0, h - 1);
    }
    TransparentBlt(Canvas->Handle(), FGlyphPos.X, FGlyphPos.Y, w, h, frame->Canvas()->Handle(), 0, 0, w, h,
                   static_cast<UINT>(ColorToRGB(Transparent)));
}

void TFlatButton::Paint() {
    const TRect client = ClientRect();
    if (client.Width() <= 0 || client.Height() <= 0) return;
    TBitmap image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(client.Width(), client.Height());
    TCanvas* c = image.Canvas();
    c->SetFont(Font());
    const TColor transparent = FGlyph->Empty() ? clNone : FGlyph->Canvas()->Pixels(0, FGlyph->Height() - 1);
    const int offset = (FState == TFlatButtonState::Down || FState == TFlatButtonState::Exclusive) ? 1 : 0;
    LayoutGlyphAndText(c, offset);
    if (Enabled() && FState == TFlatButtonState::Disabled)
        FState = FDown && FGroupIndex != 0 ? TFlatButtonState::Exclusive : TFlatButtonState::Up;
    if (!Enabled()) {
        FState = TFlatButtonState::Disabled;
        FDragging = false;
    }
    PaintBackground(&image);

    TRect frame = client;
    switch (FState) {
        case TFlatButtonState::Up:
            if (FHot)
                Draw3DFrame(c, frame, FColorHighLight, FColorShadow, 1);
            else
                Draw3DFrame(c, frame, FColorBorder, FColorBorder, FDefault ? 2 : 1);
            break;
        case TFlatButtonState::Disabled: Draw3DFrame(c, frame, FColorBorder, FColorBorder, 1); break;
        case TFlatButtonState::Down:
        case TFlatButtonState::Exclusive: Draw3DFrame(c, frame, FColorShadow, FColorHighLight, 1); break;
    }

    if (!FGlyph->Empty()) PaintGlyph(c, transparent);

    const String text = Caption();
    if (!text.empty()) {
        c->Brush()->SetStyle(bsClear);
        HDC dc = c->Handle();
        SetBkMode(dc, TRANSPARENT);
        const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
        TRect r = FTextBounds;
        if (FState == TFlatButtonState::Disabled) {
            OffsetRect(&r, 1, 1);
            SetTextColor(dc, ColorToRef(clBtnHighlight));
            DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
            r = FTextBounds;
            SetTextColor(dc, ColorToRef(clBtnShadow));
            DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        } else {
            SetTextColor(dc, ColorToRef(Font()->Color()));
            DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        }
    }
    BitBlt(Canvas()->Handle(), 0, 0, client.Width(), client.Height(), c->Handle(), 0, 0, SRCCOPY);
}

}  // namespace controls
