#include "gui/windows/ExtCtrls.h"

#include <algorithm>

#include "gui/windows/Forms.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

// ---- TImage --------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FPicture->OnChange = [this](TObject* s) { PictureChanged(s); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetStretch(bool v) {
    if (FStretch == v) return;
    FStretch = v;
    PictureChanged(this);
}

void TImage::SetCenter(bool v) {
    if (FCenter == v) return;
    FCenter = v;
    PictureChanged(this);
}

void TImage::SetTransparent(bool v) {
    if (FTransparent == v) return;
    FTransparent = v;
    PictureChanged(this);
}

void TImage::SetProportional(bool v) {
    if (FProportional == v) return;
    FProportional = v;
    PictureChanged(this);
}

TRect TImage::DestRect() const {
    int pw = FPicture->Width(), ph = FPicture->Height();
    int cw = ClientWidth(), ch = ClientHeight();
    if (FStretch || (FProportional && (pw > cw || ph > ch))) {
        if (FProportional && pw > 0 && ph > 0) {
            double xr = static_cast<double>(cw) / pw, yr = static_cast<double>(ph ? ch : 0) / ph;
            if (xr > yr) {
                pw = static_cast<int>(pw * yr);
                ph = ch;
            } else {
                ph = static_cast<int>(ph * xr);
                pw = cw;
            }
        } else {
            pw = cw;
            ph = ch;
        }
    }
    TRect r = Rect(0, 0, pw, ph);
    if (FCenter) {
        int dx = (cw - pw) / 2, dy = (ch - ph) / 2;
        r = Rect(dx, dy, dx + pw, dy + ph);
    }
    return r;
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (FPicture->Width() <= 0 || FPicture->Height() <= 0) return false;
    NewWidth = FPicture->Width();
    NewHeight = FPicture->Height();
    return true;
}

void TImage::PictureChanged(TObject*) {
    AdjustSize();
    TGraphic* g = FPicture->Graphic();
    if (g && !g->Empty()) {
        g->SetTransparent(FTransparent);
        TRect d = DestRect();
        // A picture that covers the whole control hides what lies beneath.
        bool covers = !FTransparent && d.Left <= 0 && d.Top <= 0 && d.Right >= Width() && d.Bottom >= Height();
        if (covers)
            ControlStyle() << csOpaque;
        else
            ControlStyle() >> csOpaque;
    } else {
        ControlStyle() >> csOpaque;
    }
    Invalidate();
}

void TImage::Paint() {
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    TRect d = DestRect();
    if (d.Width() == g->Width() && d.Height() == g->Height())
        Canvas()->Draw(d.Left, d.Top, g);
    else
        Canvas()->StretchDraw(d, g);
}

// ---- TPanel --------------------------------------------------------------------

void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width) {
    R.Right -= 1;
    R.Bottom -= 1;
    for (int i = 0; i < Width; ++i) {
        Canvas->Pen()->SetColor(TopColor);
        TPoint a[3] = {{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}};
        Canvas->Polyline(a, 3);
        Canvas->Pen()->SetColor(BottomColor);
        TPoint b[3] = {{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left - 1, R.Bottom}};
        Canvas->Polyline(b, 3);
        R.Left += 1;
        R.Top += 1;
        R.Right -= 1;
        R.Bottom -= 1;
    }
    R.Right += 1;
    R.Bottom += 1;
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle() << csAcceptsControls << csOpaque;
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut v) {
    if (FBevelInner == v) return;
    FBevelInner = v;
    Realign();
    Invalidate();
}
void TPanel::SetBevelOuter(TBevelCut v) {
    if (FBevelOuter == v) return;
    FBevelOuter = v;
    Realign();
    Invalidate();
}
void TPanel::SetBevelWidth(int v) {
    if (v < 1 || FBevelWidth == v) return;
    FBevelWidth = v;
    Realign();
    Invalidate();
}
void TPanel::SetBorderWidth(int v) {
    if (v < 0 || FBorderWidth == v) return;
    FBorderWidth = v;
    Realign();
    Invalidate();
}
void TPanel::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    Realign();
    Invalidate();
}
void TPanel::SetAlignment(TAlignment v) {
    if (FAlignment == v) return;
    FAlignment = v;
    Invalidate();
}

void TPanel::AdjustClientRect(TRect& R) {
    int w = FBorderWidth;
    if (FBevelOuter != bvNone) w += FBevelWidth;
    if (FBevelInner != bvNone) w += FBevelWidth;
    if (FBorderStyle == bsSingle) w += 1;
    R.Left += w;
    R.Top += w;
    R.Right -= w;
    R.Bottom -= w;
}

void TPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (FBorderStyle == bsSingle) Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
    if (FBevelOuter != bvNone) {
        TColor top = FBevelOuter == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = FBevelOuter == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    Frame3D(c, r, Color(), Color(), FBorderWidth);
    if (FBevelInner != bvNone) {
        TColor top = FBevelInner == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = FBevelInner == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (!Caption().empty()) {
        c->Brush()->SetStyle(bsClear);
        c->Font()->Assign(Font());
        UINT flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS;
        flags |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        RECT tr = r;
        String text = Caption();
        DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, flags);
    }
}

// ---- TShape ---------------------------------------------------------------------

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
    FPen->OnChange = [this](TObject*) { Invalidate(); };
    FBrush->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 65, 65);
}

TShape::~TShape() {
    FPen->OnChange = nullptr;
    FBrush->OnChange = nullptr;
}

void TShape::SetShape(TShapeType v) {
    if (FShape == v) return;
    FShape = v;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = Canvas();
    c->SetPen(FPen.get());
    c->SetBrush(FBrush.get());
    int pw = FPen->Width();
    int x = pw / 2, y = pw / 2;
    int w = Width() - pw + 1, h = Height() - pw + 1;
    if (pw == 0) {
        w -= 1;
        h -= 1;
    }
    if (w < h) {
        if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
            y += (h - w) / 2;
            h = w;
        }
    } else if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        x += (w - h) / 2;
        w = h;
    }
    switch (FShape) {
        case stRectangle:
        case stSquare: c->Rectangle(x, y, x + w, y + h); break;
        case stRoundRect:
        case stRoundSquare: {
            int s = std::min(w, h) / 4;
            c->RoundRect(x, y, x + w, y + h, s, s);
            break;
        }
        case stEllipse:
        case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---- TPaintBox ---------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
    if (OnPaint) OnPaint(this);
}

// ---- TTimer --------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (FKey) detail::TimerHub::Instance().Stop(FKey);
    FKey = 0;
}

void TTimer::UpdateTimer() {
    auto& hub = detail::TimerHub::Instance();
    if (FKey) hub.Stop(FKey);
    FKey = 0;
    if (FEnabled && !FResting && FInterval > 0 && FOnTimer) FKey = hub.Start(static_cast<int>(FInterval), [this] { Timer(); });
}

void TTimer::SetEnabled(bool v) {
    if (FEnabled == v) return;
    FEnabled = v;
    UpdateTimer();
}

void TTimer::SetResting(bool v) {
    if (FResting == v) return;
    FResting = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
    if (FInterval == v) return;
    FInterval = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent v) {
    FOnTimer = std::move(v);
    UpdateTimer();
}

void TTimer::Timer() {
    // Copy: the handler may replace or clear the event of its own timer.
    TNotifyEvent fn = FOnTimer;
    if (fn) fn(this);
}

}  // namespace gui
