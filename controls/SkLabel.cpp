#include "controls/SkLabel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace controls {

using namespace gui;

namespace {

using Ext = long double;

int Trunc(Ext x) { return static_cast<int>(std::trunc(x)); }

double Radians(int Angle) { return Angle * std::numbers::pi / 180; }

}  // namespace

TPoint SkLabelTextOrigin(int W, int H, int tw, int th, int Angle, TAlignment Alignment, TTextLayout Layout) {
    const Ext a = Radians(Angle);
    const Ext c = std::cos(a), s = std::sin(a);
    const Ext ac = std::fabs(c), as = std::fabs(s);
    // Extra room on the left and at the top for text that runs back or up.
    const int leftCos = (Angle > 90 && Angle < 270) ? Trunc(ac * tw) : 0;
    const int leftSin = Angle > 180 ? Trunc(as * th) : 0;
    const int topSin = Angle < 180 ? Trunc(as * tw) : 0;
    const int topCos = (Angle > 90 && Angle < 270) ? Trunc(ac * th) : 0;
    const int L = 2 + leftCos + leftSin;
    int X = L;
    switch (Alignment) {
        case taLeftJustify: X = L; break;
        case taRightJustify: X = W - (Trunc(ac * tw + as * th) + 2) + leftCos + leftSin; break;
        case taCenter: X = Trunc(W * Ext(0.5) - c * tw * Ext(0.5) - s * th * Ext(0.5)); break;
    }
    X = std::max(X, L);
    int Y = 0;
    switch (Layout) {
        case tlTop: Y = 2 + topSin + topCos; break;
        case tlCenter: Y = Trunc(H * Ext(0.5) - c * th * Ext(0.5) + s * tw * Ext(0.5)); break;
        case tlBottom: Y = H - (Trunc(ac * th + as * tw) + 2) + topSin + topCos; break;
    }
    return Point(X, Y);
}

void RotateCanvasFont(TCanvas* Canvas, int Angle) {
    LOGFONTA lf;
    if (GetObjectA(Canvas->Font()->Handle(), sizeof(lf), &lf) == 0) return;
    lf.lfEscapement = Angle * 10;
    HFONT rotated = CreateFontIndirectA(&lf);
    // A font that cannot be made rotated keeps drawing unrotated text.
    if (rotated) Canvas->Font()->SetHandle(rotated);
}

void FillTextWithPicture(TCanvas* Canvas, const TRect& R, int X, int Y, int Angle, const TBitmap& Picture,
                         const String& Text) {
    if (!Canvas || Picture.Empty()) return;
    const int w = R.Width(), h = R.Height();
    if (w <= 0 || h <= 0) return;
    // Both bitmaps are owned here, so they go on every path out.
    TBitmap mask;
    mask.SetPixelFormat(pf24bit);
    mask.SetSize(w, h);
    TCanvas* mc = mask.Canvas();
    mc->Brush()->SetColor(clWhite);
    mc->FillRect(Rect(0, 0, w, h));
    mc->SetFont(Canvas->Font());
    mc->Font()->SetColor(clBlack);
    RotateCanvasFont(mc, Angle);
    mc->Brush()->SetStyle(bsClear);
    mc->TextOut(X, Y, Text);

    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    HDC wd = work.Canvas()->Handle();
    BitBlt(wd, 0, 0, w, h, Canvas->Handle(), R.Left, R.Top, SRCCOPY);
    HDC pd = Picture.ReadCanvas()->Handle();
    StretchBlt(wd, 0, 0, w, h, pd, 0, 0, Picture.Width(), Picture.Height(), SRCINVERT);
    BitBlt(wd, 0, 0, w, h, mc->Handle(), 0, 0, SRCAND);
    StretchBlt(wd, 0, 0, w, h, pd, 0, 0, Picture.Width(), Picture.Height(), SRCINVERT);
    BitBlt(Canvas->Handle(), R.Left, R.Top, w, h, wd, 0, 0, SRCCOPY);
}

TSkLabel::TSkLabel(TComponent* AOwner) : TSkGraphicImageControl(AOwner), FBitmap(std::make_unique<TBitmap>()) {
    ControlStyle() << csSetCaption << csOpaque;
    SetAccessibleRole(arLabel);
    SetBounds(0, 0, 100, 25);
    SetColor(clBtnFace);
    Font()->SetName("Arial");
    Font()->SetSize(14);
    FBitmap->OnChange = [this](TObject*) { UpdateControl(); };
}

TSkLabel::~TSkLabel() { FBitmap->OnChange = nullptr; }

void TSkLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    UpdateControl();
}

void TSkLabel::SetLayout(TTextLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    UpdateControl();
}

void TSkLabel::SetColorHighlight(TColor Value) {
    if (Value == FColorHighlight) return;
    FColorHighlight = Value;
    UpdateControl();
}

void TSkLabel::SetColorShadow(TColor Value) {
    if (Value == FColorShadow) return;
    FColorShadow = Value;
    UpdateControl();
}

void TSkLabel::SetStyle(TSkLabelStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    UpdateControl();
}

void TSkLabel::SetShadowDepth(int Value) {
    if (Value == FShadowDepth) return;
    FShadowDepth = Value;
    UpdateControl();
}

void TSkLabel::SetBitmap(TBitmap* Value) {
    if (Value == FBitmap.get()) return;
    FBitmap->Assign(Value);
    // Assign reports through OnChange; an empty source may not, so repaint anyway.
    UpdateControl();
}

void TSkLabel::SetAngle(TSkTextAngle Value) {
    Value %= 360;
    if (Value < 0) Value += 360;
    if (Value == FAngle) return;
    FAngle = Value;
    FAngleRad = Radians(Value);
    UpdateBounds();
}

void TSkLabel::FontChanged() {
    UpdateBounds();
    TSkGraphicImageControl::FontChanged();
}

void TSkLabel::TextChanged() {
    UpdateBounds();
    TSkGraphicImageControl::TextChanged();
}

TSize TSkLabel::MeasureCaption(TCanvas* Canvas) const {
    const String text = Caption();
    TRect r = Rect(0, 0, 0, 0);
    DrawTextA(Canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return TSize{r.Width(), r.Height()};
}

bool TSkLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
    TBitmap probe;
    probe.SetSize(1, 1);
    probe.Canvas()->SetFont(Font());
    const TSize t = MeasureCaption(probe.Canvas());
    FTextWidth = t.cx;
    FTextHeight = t.cy;
    const Ext a = FAngleRad;
    const Ext ac = std::fabs(std::cos(a)), as = std::fabs(std::sin(a));
    const TAlign al = Align();
    if (al == alNone || al == alLeft || al == alRight) NewWidth = Trunc(ac * t.cx + as * t.cy) + 4;
    if (al == alNone || al == alTop || al == alBottom) NewHeight = Trunc(as * t.cx + ac * t.cy) + 4;
    return true;
}

void TSkLabel::Paint() {
    PaintBackground();
    TCanvas* c = ImageCanvas();
    c->SetFont(Font());
    const TSize t = MeasureCaption(c);
    FTextWidth = t.cx;
    FTextHeight = t.cy;
    RotateCanvasFont(c, FAngle);
    const TRect client = ClientRect();
    FTextOrigin = SkLabelTextOrigin(client.Width(), client.Height(), t.cx, t.cy, FAngle, FAlignment, FLayout);
    const int X = FTextOrigin.X, Y = FTextOrigin.Y;
    const String text = Caption();
    const TColor own = c->Font()->Color();
    auto pass = [&](TColor color, int x, int y) {
        c->Font()->SetColor(color);
        c->TextOut(x, y, text);
    };
    switch (FStyle) {
        case lsNone:
            if (Transparent()) c->Brush()->SetStyle(bsClear);
            c->TextOut(X, Y, text);
            break;
        case lsRaised:
            c->Brush()->SetStyle(bsClear);
            pass(FColorShadow, X + 1, Y + 1);
            pass(FColorHighlight, X - 1, Y - 1);
            pass(own, X, Y);
            break;
        case lsLowered:
            c->Brush()->SetStyle(bsClear);
            pass(FColorHighlight, X + 1, Y + 1);
            pass(FColorShadow, X - 1, Y - 1);
            pass(own, X, Y);
            break;
        case lsShadow:
            c->Brush()->SetStyle(bsClear);
            pass(FColorShadow, X + FShadowDepth, Y + FShadowDepth);
            pass(own, X, Y);
            break;
    }
    c->Font()->SetColor(own);
    if (!FBitmap->Empty()) FillTextWithPicture(c, client, X, Y, FAngle, *FBitmap, text);
    TSkGraphicImageControl::Paint();
}

}  // namespace controls
